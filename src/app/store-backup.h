// Backing up the whole survey store into one archive, and putting the surveys
// of such an archive back, without the toolkit: the window runs these on a
// worker thread behind a progress window and shows the result.
//
// Both are safe on a worker thread: no GLib main loop, no globals, nothing
// shown; everything the user should see is in the result. Neither ever
// replaces or removes a survey of the store.
#pragma once

#include "net/archive-check.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Called now and then with the work done so far and the work of the whole
// job (both in bytes, done never above total, total fixed for the call);
// returning false stops the job as soon as it is safe ("cancelled"). An
// exception it throws is passed on once files are cleaned up.
using StoreProgress = std::function<bool(uint64_t done, uint64_t total)>;

// The name the file chooser proposes for a backup made on that day:
// "TAVRO-Surveys-2026-12-08.tar.gz".
std::string default_backup_name(int year, int month, int mday);

struct BackupResult {
    bool ok = false;
    // Surveys in the archive, each read back and found equal to its file.
    size_t surveys = 0;
    // Why there is no backup, for the user ("cancelled" when asked to stop).
    std::string error;
};

// Writes every survey of the store's three state folders (store_folder is
// the store's root, MyAppCore::get_survey_dir(SURVEY_ROOT)) into a gzip'd
// tar at archive_path, as members "<state folder>/<file name>". The archive
// is written under a temporary name beside archive_path, read back and every
// member compared with its file (SHA-256), and only then renamed to
// archive_path, replacing a file there (the file chooser has asked). On any
// failure or cancel nothing is left: no temporary, no file at archive_path
// that wasn't there. A store without surveys gives an empty archive (ok,
// surveys 0). A survey that can't be read fails the backup, naming it: a
// backup that silently lacks one would be trusted all the same.
BackupResult back_up_store(const std::string& store_folder, const std::string& archive_path,
                           const StoreProgress& progress = nullptr);

// What a backup may hold for a restore: members under the three state
// folders, survey file names, regular files (and folders) only, at most a
// survey file's size cap each, and a total cap.
ArchivePolicy store_backup_policy();

struct RestoreResult {
    // The archive was taken and each of its surveys added or skipped.
    bool ok = false;
    // Why the restore stopped: the archive refused whole by its check
    // ("In Progress/x.sh: a kind of file ..."), damaged or unreadable,
    // "cancelled", or a survey that could not be written. Surveys added
    // before a stop stay in the store and are listed in added; running the
    // restore again skips them as already in the store.
    std::string error;
    // Member names are as the archive spells them, control characters shown
    // as \xNN; they may not be valid UTF-8 and are not escaped for markup.
    struct Added {
        std::string member, path; // path: where it now is in the store
    };
    struct Skipped {
        std::string member, reason;
    };
    std::vector<Added> added;
    std::vector<Skipped> skipped;
};

// Puts the surveys of archive_path back into the store at store_folder.
// The archive is first checked whole against store_backup_policy() and
// refused at the first member that doesn't belong in a backup: nothing is
// written then. Each survey is then read into memory and skipped, with the
// reason, when the survey reader does not take it, or when a survey of the
// same bytes is anywhere in the store (or came earlier in the archive).
// Surveys from "Uploaded" go back to Uploaded, all others to In Progress
// (never Ready To Upload: the user looks at a restored survey before it is
// sent). Each is created under its safe name with the current extension, or
// the next free name with a counter; no file is ever replaced.
RestoreResult restore_store(const std::string& archive_path, const std::string& store_folder,
                            const StoreProgress& progress = nullptr);
