// A shell command run as a child process while the main loop goes on.
#pragma once

#include <functional>
#include <string>

struct CommandResult {
    int status = -77;   // the shell's wait status; -77 when it could not start
    std::string output; // standard output and error, as the command wrote them
    bool cancelled = false;
};

// Runs command with /bin/sh; every 50 ms, cancelled is asked, and true ends
// the command with all it started.
CommandResult run_command(const std::string& command, const std::function<bool()>& cancelled);
