// A downloaded data archive put in place of the data set in use: checked
// member by member, unpacked beside it by a child process, loaded as a
// trial, and only then swapped in. The main loop runs throughout, and the
// session's Cancel ends it; until the swap, the set in use stays as it was.
#pragma once

#include "net/net-session.h"

#include <functional>
#include <string>
#include <vector>

struct DataInstall {
    enum Outcome { INSTALLED, REFUSED, CANCELLED, UNPACK_FAILED, NOT_LOADED, NOT_PLACED } outcome;
    std::vector<std::string> refused; // REFUSED: why, a line a member (or the archive)
    std::string command, output;      // UNPACK_FAILED: what ran and what it said
    int status = 0;                   // and its wait status
};

// folder: the per-user data folder, which holds data-files/ when a set was
// downloaded before. loads: whether a data-set folder loads (the trial).
DataInstall install_data_archive(const std::string& archive, const std::string& folder,
                                 NetSession& session,
                                 const std::function<bool(const std::string& dir)>& loads);
