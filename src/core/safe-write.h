// Replacing a file's contents without ever leaving it half written, and
// placing new files without ever replacing one.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

// The file on disk no longer carries the entity tag it was opened or saved
// with: someone else changed it.
struct ExternallyModified : std::runtime_error {
    ExternallyModified() : std::runtime_error("The file was externally modified") {}
};

// The file is in place, but its folder could not be flushed to the disk, so
// a power cut may still lose it.
struct FolderNotSynced : std::runtime_error {
    FolderNotSynced(const std::string& path, const std::string& etag, const std::string& why)
        : std::runtime_error("The file was written to " + path +
                             ", but the disk did not confirm it: " + why),
          path(path), etag(etag) {}
    std::string path, etag;
};

// Data written into a temporary file of a folder and flushed to the disk,
// waiting to be renamed to its place. The temporary file goes with the object
// unless it was placed.
class StagedFile {
public:
    // Throws std::runtime_error with the reason.
    StagedFile(const std::string& folder, const std::string& data);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Renames over path. With expected_etag, a file at path must still carry
    // that tag (else ExternallyModified). Returns the new entity tag.
    // Both place the file, then flush its folder (else FolderNotSynced).
    std::string replace(const std::string& path, const std::string& expected_etag);
    // Renames to path only when nothing is there; false, with the temporary
    // file kept for the next try, when the name is taken.
    bool place_new(const std::string& path);
    // The placed file's entity tag.
    const std::string& etag() const { return placed_etag; }

private:
    // Flushes the folder once the file is placed; throws FolderNotSynced.
    void finish();
    std::string folder, temporary, placed, placed_etag;
};

// Writes data into a temporary file of path's folder, flushes it to the disk
// and renames it over path, so that a failure at any step (a full disk, a
// crash) leaves the old file as it was and no temporary file behind. With
// expected_etag, see StagedFile::replace. Returns the new entity tag; throws
// std::runtime_error with the reason.
std::string replace_file_contents(const std::string& path, const std::string& data,
                                  const std::string& expected_etag);

// Renames from to to unless something is at to: false then, from untouched.
// Throws std::runtime_error for any other failure.
bool rename_no_replace(const std::string& from, const std::string& to);

// A name of the save's temporary files; nothing else is ever hidden or
// cleaned up as one.
bool is_save_temporary(const std::string& name);

// The entity tag of a file; empty when it has none or does not exist.
std::string file_etag(const std::string& path);

// For tests: called before each step ("create", "write", "sync", "close",
// "rename", "noreplace", "link", "syncdir") with its name; true makes that
// step fail: "noreplace" as on a file system without the no-replace rename,
// "link" as on one without hard links, the others as on a full disk.
void set_write_fault(std::function<bool(const char* step)> fault);
