// Temporary folders and files for tests, and other small test helpers.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

// A temporary folder, removed with everything in it when the object dies in
// the process that made it (a forked death-test child leaves it alone).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return dir; }
    // Writes a file below the folder (creating subfolders) and returns its path.
    std::string write(const std::string& name, const std::string& contents) const;

private:
    std::string dir;
    pid_t owner;
};

// Points HOME and the XDG folders at a private temporary folder, so that no
// test reads or writes the user's surveys or downloaded data. GLib reads these
// once, so call it first thing in main.
void use_private_home();

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();

private:
    std::string name, old;
    bool had_old;
};

// Everything printed to standard output while the object lives (one at a time).
struct CaptureStdout {
    std::string captured;
    bool done = false;
    CaptureStdout() { testing::internal::CaptureStdout(); }
    ~CaptureStdout() { text(); }
    const std::string& text() {
        if (!done) captured = testing::internal::GetCapturedStdout(), done = true;
        return captured;
    }
};

std::string read_text_file(const std::string& path);
// Entries of a folder; 0 for one that can't be listed.
size_t files_in(const std::string& folder);

// The small data set that every reader test shares: odd but loadable files.
inline const std::string EDGE_DATA = std::string(TAVRO_FIXTURES) + "/edge/";
