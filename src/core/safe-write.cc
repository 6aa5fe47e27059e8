#include "core/safe-write.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <giomm/file.h>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::function<bool(const char*)>& write_fault() {
    static std::function<bool(const char*)> fault;
    return fault;
}

// False, with errno set, when a test makes this step fail.
bool step(const char* name) {
    if (write_fault() && write_fault()(name)) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + strerror(errno));
}
} // namespace

void set_write_fault(std::function<bool(const char* step)> fault) {
    write_fault() = std::move(fault);
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

std::string replace_file_contents(const std::string& path, const std::string& data,
                                  const std::string& expected_etag) {
    const std::string folder = Glib::path_get_dirname(path);
    std::string temporary = folder + "/." + Glib::path_get_basename(path) + ".XXXXXX";
    int fd = step("create") ? mkstemp(&temporary[0]) : -1;
    if (fd < 0) fail("Can't create a file in " + folder);
    try {
        for (size_t done = 0; done < data.size();) {
            ssize_t wrote = step("write") ? write(fd, data.data() + done, data.size() - done) : -1;
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) fail("Can't write " + path);
            done += static_cast<size_t>(wrote);
        }
        if (fchmod(fd, 0644) != 0 || !step("sync") || fsync(fd) != 0) fail("Can't write " + path);
        const bool closed = step("close") && close(fd) == 0;
        fd = -1;
        if (!closed) fail("Can't write " + path);
        if (!expected_etag.empty() && Glib::file_test(path, Glib::FILE_TEST_EXISTS) &&
            file_etag(path) != expected_etag)
            throw std::runtime_error("The file was externally modified");
        if (!step("rename") || rename(temporary.c_str(), path.c_str()) != 0)
            fail("Can't replace " + path);
    } catch (...) {
        if (fd >= 0) close(fd);
        unlink(temporary.c_str());
        throw;
    }
    // The rename reaches the disk with its folder.
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return file_etag(path);
}
