// Metadata of a data set: its version stamp and the date it was updated.
#pragma once

#include <string>

class DataFileInfo {
public:
    std::string timestamp;
    std::string updated;
    bool valid = false;
    // True when a line without "=" was found. Only used when the caller asked
    // for corruption to be survivable (a downloaded set we can fall back from).
    bool corrupted = false;

    explicit DataFileInfo(const std::string& dir, bool corruption_is_fatal = true);
    static std::string get_filename() { return "data-file-info.txt"; }
};
