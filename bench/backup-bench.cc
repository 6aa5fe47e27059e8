// tavro-backup-bench: backing up a store of 1,000 surveys (goal: within 2 s)
// and restoring that backup into an empty store. The surveys are the test
// fixture's real survey file with member numbers and species lists varied,
// spread over the three state folders. Exits non-zero when the backup misses
// its goal.
#include "app/my-app-core.h"
#include "app/store-backup.h"
#include "bench-summary.h"
#include "bench-support.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <giomm/init.h>
#include <glib/gstdio.h>
#include <glibmm/fileutils.h>
#include <unistd.h>

namespace {

const int SURVEYS = 1000;
const int PASSES = 5;
const double BACKUP_GOAL_S = 2.0;

// Writes the store; its size in bytes, or 0 when the template is missing.
size_t write_store(const std::string& store) {
    std::string text;
    try {
        text = Glib::file_get_contents(TAVRO_SOURCE_DIR
                                       "/tests/fixtures/surveys/legacy-0.2.TAVRO-Survey");
    } catch (const Glib::Error&) {
        return 0;
    }
    const size_t member = text.find("12345"), ids = text.find("    </ids>");
    if (member == std::string::npos || ids == std::string::npos) return 0;
    const MyAppCore::WhichDir folders[] = {MyAppCore::IN_PROGRESS, MyAppCore::READY_TO_UPLOAD,
                                           MyAppCore::UPLOADED};
    for (MyAppCore::WhichDir which : folders)
        g_mkdir_with_parents((store + "/" + MyAppCore::folder_name(which)).c_str(), 0755);
    size_t bytes = 0;
    for (int n = 0; n < SURVEYS; ++n) {
        // As a store holds them: 1 to 60 species each.
        std::string species;
        for (int s = 0; s < 1 + n % 60; ++s)
            species += "      <species id=\"" + std::to_string(1000 + s * 7) + "\" abun=\"" +
                       std::to_string(1 + s % 4) + "\" resp=\"" + std::to_string(1 + s % 4) +
                       "\"/>\n";
        std::string survey = text.substr(0, member) + std::to_string(10000 + n) +
                             text.substr(member + 5, ids - member - 5) + species + text.substr(ids);
        const std::string path = store + "/" + MyAppCore::folder_name(folders[n % 3]) + "/" +
                                 std::to_string(10000 + n) + "-PNW-20090704-9-10010004" +
                                 ".TAVRO-Survey";
        std::ofstream(path, std::ios::binary) << survey;
        bytes += survey.size();
    }
    return bytes;
}

} // namespace

int main() {
    Gio::init(); // a restored file's entity tag comes from Gio
    // A restore prints every file name it chose; the figures are what is wanted.
    fflush(stdout);
    const int figures = dup(1), null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);

    ScratchDir dir("backup-bench");
    const std::string store = dir.path() + "/store", archive = dir.path() + "/backup.tar.gz";
    const size_t bytes = write_store(store);
    if (bytes == 0) {
        dprintf(figures, "backup bench: the survey template could not be read\n");
        return 1;
    }
    PassTimer backup, restore;
    for (int pass = 0; pass < PASSES; ++pass) {
        backup.start();
        const BackupResult saved = back_up_store(store, archive);
        backup.stop();
        if (!saved.ok || saved.surveys != SURVEYS) {
            dprintf(figures, "backup failed: %s\n", saved.error.c_str());
            return 1;
        }
        const std::string empty = dir.path() + "/restored-" + std::to_string(pass);
        restore.start();
        const RestoreResult restored = restore_store(archive, empty);
        restore.stop();
        if (!restored.ok || restored.added.size() != SURVEYS) {
            dprintf(figures, "restore failed: %s\n", restored.error.c_str());
            return 1;
        }
    }
    const bool ok = backup.best() <= BACKUP_GOAL_S;
    dprintf(figures,
            "Backup of %d surveys (%.1f MB, archive %.2f MB): best %.0f ms, mean %.0f ms "
            "(goal: within %.0f s)  %s\n",
            SURVEYS, bytes / 1e6, file_size(archive) / 1e6, backup.best() * 1e3,
            backup.mean() * 1e3, BACKUP_GOAL_S, ok ? "OK" : "OVER");
    dprintf(figures, "Restore of that backup into an empty store: best %.0f ms, mean %.0f ms\n",
            restore.best() * 1e3, restore.mean() * 1e3);
    close(figures);
    // Leave the scratch folder before it is removed.
    if (chdir("/") != 0) return 1;
    return ok ? 0 : 1;
}
