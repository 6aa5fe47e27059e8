#include "core/safe-write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <giomm/file.h>
#include <glibmm/miscutils.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One short form whatever the final name: a name near the file system's limit
// still has room for its temporary file.
const char TEMPORARY_PREFIX[] = ".tavro-save-";
const size_t TEMPORARY_RANDOM = 6; // mkstemp's XXXXXX

std::function<bool(const char*)>& write_fault() {
    static std::function<bool(const char*)> fault;
    return fault;
}

// False, with errno set, when a test makes this step fail.
bool step(const char* name) {
    if (write_fault() && write_fault()(name)) {
        const std::string which = name;
        errno = which == "noreplace" ? EINVAL : which == "link" ? EPERM : ENOSPC;
        return false;
    }
    return true;
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + strerror(errno));
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The kernel's no-replace rename; where the file system refuses it, a hard
// link (which never replaces either) and then the old name's removal; where
// that is refused too, a look at the name just before the rename.
// keep_from: a link leaves from in place (the caller removes it).
bool no_replace(const std::string& from, const std::string& to, bool keep_from) {
    if (step("noreplace") &&
        renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        fail("Can't rename " + from + " to " + to);
    if (step("link") && link(from.c_str(), to.c_str()) == 0) {
        if (!keep_from) unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) return false;
    printf("No safe rename in the folder of %s: checked that the name is free, then renamed\n",
           to.c_str());
    if (exists(to)) return false;
    if (!step("rename") || rename(from.c_str(), to.c_str()) != 0)
        fail("Can't rename " + from + " to " + to);
    return true;
}

} // namespace

void set_write_fault(std::function<bool(const char* step)> fault) {
    write_fault() = std::move(fault);
}

bool is_save_temporary(const std::string& name) {
    const size_t prefix = sizeof TEMPORARY_PREFIX - 1;
    return name.size() == prefix + TEMPORARY_RANDOM &&
           name.compare(0, prefix, TEMPORARY_PREFIX) == 0;
}

std::string file_etag(const std::string& path) {
    try {
        return Gio::File::create_for_path(path)
            ->query_info(G_FILE_ATTRIBUTE_ETAG_VALUE)
            ->get_etag();
    } catch (const Glib::Error&) {
        return "";
    }
}

StagedFile::StagedFile(const std::string& folder, const std::string& data)
    : folder(folder), temporary(folder + "/" + TEMPORARY_PREFIX + "XXXXXX") {
    int fd = step("create") ? mkstemp(&temporary[0]) : -1;
    if (fd < 0) {
        temporary.clear();
        fail("Can't create a file in " + folder);
    }
    try {
        for (size_t done = 0; done < data.size();) {
            ssize_t wrote = step("write") ? write(fd, data.data() + done, data.size() - done) : -1;
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) fail("Can't write " + temporary);
            done += static_cast<size_t>(wrote);
        }
        if (fchmod(fd, 0644) != 0 || !step("sync") || fsync(fd) != 0)
            fail("Can't write " + temporary);
        const bool closed = step("close") && close(fd) == 0;
        fd = -1;
        if (!closed) fail("Can't write " + temporary);
    } catch (...) {
        if (fd >= 0) close(fd);
        unlink(temporary.c_str());
        throw;
    }
}

StagedFile::~StagedFile() {
    if (!temporary.empty()) unlink(temporary.c_str());
}

std::string StagedFile::replace(const std::string& path, const std::string& expected_etag) {
    if (!expected_etag.empty() && exists(path) && file_etag(path) != expected_etag)
        throw ExternallyModified();
    if (!step("rename") || rename(temporary.c_str(), path.c_str()) != 0)
        fail("Can't replace " + path);
    temporary.clear();
    placed = path;
    finish();
    return placed_etag;
}

bool StagedFile::place_new(const std::string& path) {
    if (!no_replace(temporary, path, true)) return false;
    // A link leaves the temporary name too; a rename does not.
    if (exists(temporary)) unlink(temporary.c_str());
    temporary.clear();
    placed = path;
    finish();
    return true;
}

void StagedFile::finish() {
    placed_etag = file_etag(placed);
    // The new name reaches the disk with its folder.
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = dir >= 0 && step("syncdir") && fsync(dir) == 0;
    const int why = errno;
    if (dir >= 0) close(dir);
    if (!synced) throw FolderNotSynced(placed, placed_etag, strerror(why));
}

std::string replace_file_contents(const std::string& path, const std::string& data,
                                  const std::string& expected_etag) {
    return StagedFile(Glib::path_get_dirname(path), data).replace(path, expected_etag);
}

bool rename_no_replace(const std::string& from, const std::string& to) {
    if (!no_replace(from, to, false)) return false;
    const int dir = open(Glib::path_get_dirname(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}
