// Checking a downloaded archive before anything in it is unpacked: the
// server is not trusted, so every member's header is read first and the
// archive is refused at the first member that could land outside the data
// folder, is not a plain file or folder, or is bigger than a data set can be.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What an archive may hold: everything else is refused before anything is unpacked.
struct ArchivePolicy {
    // Every member lies under one of these, e.g. {"data-files"}; the folder
    // itself may be a member too.
    std::vector<std::string> top_folders;
    // Given the last path component of a regular file; no function allows none.
    std::function<bool(const std::string& file_name)> file_allowed;
    // Largest size of one member, as its header says (bytes; a sparse file
    // counts with its full size). A cap of 0 allows only empty members.
    uint64_t member_cap = 0;
    // The members' sizes added up.
    uint64_t total_cap = 0;
};

// The data-set policy: top folder "data-files", file names ending in ".csv"
// or ".txt", 200 MiB in all, 200 MiB a member.
ArchivePolicy data_set_policy();

struct ArchiveCheck {
    bool ok = false;
    // One line per refused member: its name and why ("data-files/x: a
    // symbolic link"). Control characters in the name are shown as \xNN.
    std::vector<std::string> refused;
    // A damaged or unreadable archive: why (then ok is false, refused may be
    // empty). "cancelled" when progress asked to stop, "no data files" when
    // the archive holds no regular file.
    std::string error;
    // What was read: the members whose headers were read, the refused one
    // included, and their sizes added up.
    uint64_t members = 0, total = 0;
};

// Reads the archive's headers (tar, plain, bzip2- or gzip-compressed) in one pass
// and stops at the first member the policy refuses; contents are skipped,
// never unpacked or kept. progress is called now and then with the
// compressed bytes read so far; returning false stops the check (error
// "cancelled"); an exception it throws is passed on once the file is closed.
// Safe to run on a worker thread (no GLib main loop use, no globals).
ArchiveCheck check_archive(const std::string& path, const ArchivePolicy& policy,
                           const std::function<bool(uint64_t bytes_read)>& progress = nullptr);
