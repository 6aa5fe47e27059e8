// Every survey the server took, or may have taken, kept in the per-user
// folder so that none is sent a second time without the volunteer knowing.
#pragma once

#include <string>
#include <vector>

class UploadLog {
public:
    struct Entry {
        std::string sha256, time, verdict, file_name; // verdict: "accepted" or "maybe"
    };

    explicit UploadLog(std::string path) : path(std::move(path)) {}
    // Adds a line and flushes it to the disk; throws std::runtime_error.
    void record(const std::string& bytes, const std::string& file_name, const char* verdict);
    // The lines written so far; none when there is no log.
    std::vector<Entry> entries() const;

    static std::string sha256(const std::string& bytes);

private:
    std::string path;
};
