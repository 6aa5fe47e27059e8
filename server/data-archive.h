// The data archive the program downloads: a bzip2 tar with the data set's
// files under "data-files/".
#pragma once

#include <string>

// Builds the archive of the data-set folder with the system's tar and bzip2
// and returns its bytes; false with the reason in error when that fails. A
// hostile_kind (fifo, symlink, hardlink, huge-member, unknown-file,
// outside-link-folder) adds a member that the program must refuse to unpack.
bool build_data_archive(const std::string& data_dir, const std::string& hostile_kind,
                        std::string& bytes, std::string& error);
