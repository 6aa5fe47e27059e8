#include "net/data-install.h"

#include "core/beside-loop.h"
#include "core/errors.h"
#include "net/archive-check.h"
#include "net/command-runner.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <glib.h>
#include <glibmm/shell.h>

namespace {

// The archive check on a thread of its own, the main loop going on meanwhile.
ArchiveCheck check_in_background(const std::string& archive, NetSession& session) {
    std::atomic<bool> stop{false};
    ArchiveCheck result;
    run_beside_main_loop(
        [&] {
            result = check_archive(archive, data_set_policy(), [&](uint64_t) { return !stop; });
        },
        [&] {
            if (session.cancelled()) stop = true;
        });
    return result;
}

bool remove_folder(const std::string& path) {
    return std::system(("rm -rf " + Glib::shell_quote(path)).c_str()) == 0;
}

void step(NetSession& session, const char* what) {
    if (session.progress) session.progress->step(what);
}

} // namespace

DataInstall install_data_archive(const std::string& archive, const std::string& folder,
                                 NetSession& session,
                                 const std::function<bool(const std::string& dir)>& loads) {
    DataInstall result;
    result.outcome = DataInstall::REFUSED;
    // Nothing the server sends is unpacked before each member is known to be
    // a data file.
    step(session, "Checking data files");
    const ArchiveCheck checked = check_in_background(archive, session);
    if (session.cancelled()) {
        result.outcome = DataInstall::CANCELLED;
        return result;
    }
    if (!checked.ok) {
        if (!checked.error.empty()) result.refused.push_back(checked.error);
        result.refused.insert(result.refused.end(), checked.refused.begin(), checked.refused.end());
        return result;
    }
    // Unpacked beside the set in use, which stays until the new one has
    // loaded: unpacked over it, a damaged or partial archive would leave a mix.
    const std::string incoming = folder + "/incoming", current = folder + "/data-files";
    remove_folder(incoming);
    g_mkdir_with_parents(incoming.c_str(), 0755);
    // Quoted for the shell, so that a home folder with a blank or a quote works.
    result.command = "bzip2 -dkc " + Glib::shell_quote(archive) + " | tar -C " +
                     Glib::shell_quote(incoming) +
                     " --no-same-owner --no-same-permissions -xvf - 2>&1";
    if (debug_level > 0) printf("About to run: %s\n", result.command.c_str());
    step(session, "Unpacking data files");
    const CommandResult unpacked =
        run_command(result.command, [&session] { return session.cancelled(); });
    result.output = unpacked.output;
    result.status = unpacked.status;
    if (unpacked.cancelled || unpacked.status != 0) {
        remove_folder(incoming);
        result.outcome = unpacked.cancelled ? DataInstall::CANCELLED : DataInstall::UNPACK_FAILED;
        return result;
    }
    step(session, "Checking data files");
    if (!loads(incoming + "/data-files/")) {
        remove_folder(incoming);
        result.outcome = DataInstall::NOT_LOADED;
        return result;
    }
    const std::string previous = current + ".previous";
    remove_folder(previous);
    if ((rename(current.c_str(), previous.c_str()) != 0 && errno != ENOENT) ||
        rename((incoming + "/data-files").c_str(), current.c_str()) != 0) {
        rename(previous.c_str(), current.c_str());
        remove_folder(incoming);
        result.outcome = DataInstall::NOT_PLACED;
        return result;
    }
    remove_folder(previous);
    remove_folder(incoming);
    result.outcome = DataInstall::INSTALLED;
    return result;
}
