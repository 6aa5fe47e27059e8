// Copies of open, unsaved surveys in the per-user data folder, so that the
// survey of a window that did not close normally (the program crashed or was
// killed, the power went) can be offered back at the next start.
#pragma once

#include <string>
#include <vector>

// One window's copy: "ID.TAVRO-Survey" (the survey's XML as a save would
// write it), "ID.origin" (where it came from) and "ID.lock", which the window
// holds locked with flock while it lives. A copy whose lock is free belongs to
// a window that is gone; one whose lock is held, to a running window of this
// or another running copy of the program.
class RecoveryStore {
public:
    // Where an unsaved survey came from: its file, the store folder that file
    // lies in, and its entity tag when opened or last saved. All empty for a
    // survey never saved.
    struct Origin {
        std::string path, state_dir, etag;
    };

    // A copy left by a window that is gone. Whoever scanned holds its lock
    // until the object goes, so that two programs starting at once do not
    // both offer it.
    class Orphan {
    public:
        std::string survey_path;
        // False when the origin file is missing or damaged: the survey is
        // then offered as one never saved.
        bool has_origin = false;
        Origin origin;

        Orphan(std::string id_path, int lock_fd);
        Orphan(Orphan&& other) noexcept;
        Orphan& operator=(Orphan&&) = delete;
        ~Orphan();
        // Deletes the copy and its lock file.
        void discard();

    private:
        std::string id_path; // folder/ID
        int lock_fd;
    };

    explicit RecoveryStore(std::string folder);
    // The end of a window that closes normally: see close.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Replaces the copy by xml and origin, each written whole or not at all.
    // The lock is taken with the first write. Throws std::runtime_error.
    void write(const std::string& xml, const Origin& origin);
    // Deletes the copy; the lock stays for later writes.
    void remove();
    // Deletes the copy and the lock file and releases the lock.
    void close();
    // Releases the lock and keeps the files, as a crash would.
    void abandon();
    // The survey copy; empty before the first write.
    std::string survey_path() const;
    std::string origin_path() const;

    // The copies of windows that are gone, each locked for the caller. Lock
    // files left without a copy are deleted on the way.
    static std::vector<Orphan> scan(const std::string& folder);

private:
    void take_lock();

    std::string folder;
    std::string id_path; // folder/ID once locked
    int lock_fd = -1;
    std::string written_origin; // contents of the origin file on disk
};
