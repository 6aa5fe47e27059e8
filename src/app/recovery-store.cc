#include "app/recovery-store.h"

#include "app/store-files.h"
#include "core/errors.h"
#include "core/safe-write.h"
#include "survey/survey-file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <glib.h>
#include <glibmm/fileutils.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string SURVEY = SURVEY_EXTENSION, ORIGIN = ".origin", LOCK = ".lock";
const std::string HEADER = "TAVRO-Survey recovery 1\n";

// Each value goes with its length, so that no byte of a path (a line end
// included) can shift the fields that follow.
std::string encode(const RecoveryStore::Origin& origin) {
    std::string text = HEADER;
    for (auto [key, value] :
         {std::make_pair("path ", &origin.path), std::make_pair("state ", &origin.state_dir),
          std::make_pair("etag ", &origin.etag)})
        text += key + std::to_string(value->size()) + "\n" + *value + "\n";
    return text;
}

bool decode(const std::string& text, RecoveryStore::Origin& origin) {
    if (text.compare(0, HEADER.size(), HEADER) != 0) return false;
    size_t at = HEADER.size();
    for (auto [key, value] : {std::make_pair(std::string("path "), &origin.path),
                              std::make_pair(std::string("state "), &origin.state_dir),
                              std::make_pair(std::string("etag "), &origin.etag)}) {
        if (text.compare(at, key.size(), key) != 0) return false;
        at += key.size();
        const size_t end = text.find('\n', at);
        if (end == std::string::npos || end == at || end - at > 6 ||
            text.find_first_not_of("0123456789", at) != end)
            return false;
        const size_t length = std::stoul(text.substr(at, end - at));
        at = end + 1;
        if (length >= text.size() - at || text[at + length] != '\n') return false;
        *value = text.substr(at, length);
        at += length + 1;
    }
    return at == text.size();
}

// The lock file is still the one at path: a scan may have taken it for a
// stale one and deleted it between its creation and its locking.
bool same_file(int fd, const std::string& path) {
    struct stat held, named;
    return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

RecoveryStore::RecoveryStore(std::string folder) : folder(std::move(folder)) {}

RecoveryStore::~RecoveryStore() {
    close();
}

std::string RecoveryStore::survey_path() const {
    return id_path.empty() ? "" : id_path + SURVEY;
}

std::string RecoveryStore::origin_path() const {
    return id_path.empty() ? "" : id_path + ORIGIN;
}

void RecoveryStore::take_lock() {
    g_mkdir_with_parents(folder.c_str(), 0700);
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string id = folder + "/" +
                               format("%ld-%u-%08x", static_cast<long>(getpid()), ++counter,
                                      static_cast<unsigned>(g_random_int()));
        const int fd =
            open((id + LOCK).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) break;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && same_file(fd, id + LOCK)) {
            lock_fd = fd;
            id_path = id;
            return;
        }
        ::close(fd);
    }
    throw std::runtime_error("Can't lock a recovery file in " + folder + ": " + strerror(errno));
}

void RecoveryStore::write(const std::string& xml, const Origin& origin) {
    if (lock_fd < 0) take_lock();
    // The origin first: a copy is never seen with the origin of an older one.
    const std::string encoded = encode(origin);
    if (encoded != written_origin) {
        replace_file_contents(origin_path(), encoded, "");
        written_origin = encoded;
    }
    replace_file_contents(survey_path(), xml, "");
}

void RecoveryStore::remove() {
    if (id_path.empty()) return;
    unlink(survey_path().c_str());
    unlink(origin_path().c_str());
    written_origin.clear();
}

void RecoveryStore::close() {
    if (lock_fd < 0) return;
    remove();
    unlink((id_path + LOCK).c_str());
    ::close(lock_fd);
    lock_fd = -1;
    id_path.clear();
}

void RecoveryStore::abandon() {
    if (lock_fd >= 0) ::close(lock_fd);
    lock_fd = -1;
    id_path.clear();
    written_origin.clear();
}

RecoveryStore::Orphan::Orphan(std::string id_path, int lock_fd)
    : id_path(std::move(id_path)), lock_fd(lock_fd) {}

RecoveryStore::Orphan::Orphan(Orphan&& other) noexcept
    : survey_path(std::move(other.survey_path)), has_origin(other.has_origin),
      origin(std::move(other.origin)), id_path(std::move(other.id_path)), lock_fd(other.lock_fd) {
    other.lock_fd = -1;
}

RecoveryStore::Orphan::~Orphan() {
    if (lock_fd >= 0) ::close(lock_fd);
}

void RecoveryStore::Orphan::discard() {
    if (lock_fd < 0) return;
    // Deleted while still locked: nobody else can be offering it meanwhile.
    unlink((id_path + SURVEY).c_str());
    unlink((id_path + ORIGIN).c_str());
    unlink((id_path + LOCK).c_str());
    ::close(lock_fd);
    lock_fd = -1;
}

std::vector<RecoveryStore::Orphan> RecoveryStore::scan(const std::string& folder) {
    std::vector<Orphan> found;
    std::vector<std::string> names;
    try {
        for (const std::string& name : Glib::Dir(folder))
            names.push_back(name);
    } catch (const Glib::FileError&) {
        return found; // no folder, nothing left behind
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        // Hidden names are writes in progress, or cut short.
        const bool survey = ends_with(name, SURVEY), lock = ends_with(name, LOCK);
        if (name[0] == '.' || (!survey && !lock)) continue;
        const std::string id_path =
            folder + "/" + name.substr(0, name.size() - (survey ? SURVEY : LOCK).size());
        if (lock && exists(id_path + SURVEY)) continue; // taken with its survey
        const int fd = open((id_path + LOCK).c_str(),
                            O_RDWR | O_CLOEXEC | O_NOFOLLOW | (survey ? O_CREAT : 0), 0600);
        if (fd < 0) continue;
        // Held: the window is alive, here or in another running copy.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !same_file(fd, id_path + LOCK)) {
            ::close(fd);
            continue;
        }
        if (!exists(id_path + SURVEY)) {
            // A window gone before its first copy, or a copy discarded
            // meanwhile: nobody can write one under this lock any more.
            if (lock) unlink((id_path + LOCK).c_str());
            ::close(fd);
            continue;
        }
        Orphan orphan(id_path, fd);
        orphan.survey_path = id_path + SURVEY;
        std::string text;
        Glib::ustring why;
        orphan.has_origin =
            read_survey_file(id_path + ORIGIN, text, why) && decode(text, orphan.origin);
        if (!orphan.has_origin) orphan.origin = Origin();
        found.push_back(std::move(orphan));
    }
    return found;
}
