// Replacing a file's contents without ever leaving it half written.
#pragma once

#include <functional>
#include <string>

// Writes data into a temporary file of path's folder, flushes it to the disk
// and renames it over path, so that a failure at any step (a full disk, a
// crash) leaves the old file as it was and no temporary file behind. With
// expected_etag, the file at path must still carry that entity tag: one
// changed by someone else is not overwritten. Returns the new entity tag;
// throws std::runtime_error with the reason.
std::string replace_file_contents(const std::string& path, const std::string& data,
                                  const std::string& expected_etag);

// The entity tag of a file; empty when it has none or does not exist.
std::string file_etag(const std::string& path);

// For tests: called before each step ("create", "write", "sync", "close",
// "rename") with its name; true makes that step fail as on a full disk.
void set_write_fault(std::function<bool(const char* step)> fault);
