#include "net/archive-check.h"

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <glib.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr uint64_t DATA_SET_CAP = 200ull * 1024 * 1024;

// The archive file, read in blocks that are counted for progress.
struct Source {
    int fd = -1;
    uint64_t bytes_read = 0;
    const std::function<bool(uint64_t)>* progress = nullptr;
    bool cancelled = false;
    std::exception_ptr thrown; // from progress; it must not cross libarchive
    char block[64 * 1024];
    ~Source() {
        if (fd >= 0) close(fd);
    }
};

la_ssize_t read_block(struct archive* a, void* data, const void** block) {
    Source& s = *static_cast<Source*>(data);
    ssize_t n;
    do
        n = read(s.fd, s.block, sizeof s.block);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        archive_set_error(a, errno, "%s", g_strerror(errno));
        return ARCHIVE_FATAL;
    }
    s.bytes_read += n;
    if (*s.progress) {
        try {
            s.cancelled = !(*s.progress)(s.bytes_read);
        } catch (...) {
            s.thrown = std::current_exception();
        }
        if (s.cancelled || s.thrown) {
            archive_set_error(a, ECANCELED, "cancelled");
            return ARCHIVE_FATAL;
        }
    }
    *block = s.block;
    return n;
}

// A name from the archive as the user may see it: a control character could
// break the line or make it say something else.
std::string shown(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f) {
            char hex[5];
            snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool is_set(const char* link) {
    return link && *link;
}

// Why the policy refuses a member; empty when it takes it. total is what
// the members before it add up to.
std::string refusal(archive_entry* e, const std::string& name, const ArchivePolicy& policy,
                    uint64_t total) {
    if (name.empty()) return "a member without a name";
    if (name[0] == '/') return "an absolute name";
    // The name's folders, without the empty and "." ones that tar adds
    // ("./data-files/a.csv") and that change nothing where it lands.
    std::vector<std::string> parts;
    for (size_t start = 0; start <= name.size();) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        if (part == "..") return "a name that climbs out of its folder (\"..\")";
        if (!part.empty() && part != ".") parts.push_back(part);
        start = end + 1;
    }

    // A hard link carries the type of a regular file; either link may have
    // a target that only one of the two accessors can give.
    if (is_set(archive_entry_hardlink(e)) || is_set(archive_entry_hardlink_utf8(e)))
        return "a hard link";
    if (is_set(archive_entry_symlink(e)) || is_set(archive_entry_symlink_utf8(e)))
        return "a symbolic link";
    const bool folder = archive_entry_filetype(e) == AE_IFDIR;
    switch (archive_entry_filetype(e)) {
    case AE_IFREG:
    case AE_IFDIR:
        break;
    case AE_IFLNK:
        return "a symbolic link";
    case AE_IFIFO:
        return "a FIFO (named pipe)";
    case AE_IFCHR:
        return "a character device";
    case AE_IFBLK:
        return "a block device";
    case AE_IFSOCK:
        return "a socket";
    default:
        return "neither a file nor a folder";
    }

    // The archive's own "./" folder is where the top folders go.
    if (parts.empty() && folder) return "";
    bool under_top = false;
    for (const std::string& top : policy.top_folders)
        under_top = under_top || (!parts.empty() && parts[0] == top);
    if (!under_top || (parts.size() == 1 && !folder)) {
        std::string folders;
        for (const std::string& top : policy.top_folders)
            folders += (folders.empty() ? "" : " or ") + top + "/";
        return "not in " + (folders.empty() ? std::string("a data folder") : folders);
    }
    if (!folder && !(policy.file_allowed && policy.file_allowed(parts.back())))
        return "a kind of file a data set does not hold";

    const la_int64_t signed_size = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
    if (signed_size < 0) return "a negative size";
    const uint64_t size = signed_size;
    if (size > policy.member_cap)
        return std::to_string(size) + " bytes, more than the " + std::to_string(policy.member_cap) +
               " a member may have";
    if (total > policy.total_cap || size > policy.total_cap - total)
        return "brings the archive to more than " + std::to_string(policy.total_cap) + " bytes";
    return "";
}

} // namespace

ArchivePolicy data_set_policy() {
    ArchivePolicy policy;
    policy.top_folders = {"data-files"};
    policy.file_allowed = [](const std::string& name) {
        auto ends = [&](const char* suffix) {
            const std::string s = suffix;
            return name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
        };
        return ends(".csv") || ends(".txt");
    };
    policy.member_cap = DATA_SET_CAP;
    policy.total_cap = DATA_SET_CAP;
    return policy;
}

ArchiveCheck check_archive(const std::string& path, const ArchivePolicy& policy,
                           const std::function<bool(uint64_t bytes_read)>& progress) {
    ArchiveCheck check;
    // On the heap: the block is too big for a worker thread's stack.
    auto source = std::make_unique<Source>();
    source->progress = &progress;
    source->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (source->fd < 0) {
        check.error = std::string("cannot open the archive: ") + g_strerror(errno);
        return check;
    }

    std::unique_ptr<struct archive, int (*)(struct archive*)> a(archive_read_new(),
                                                                archive_read_free);
    if (!a) {
        check.error = "out of memory";
        return check;
    }
    archive_read_support_filter_bzip2(a.get());
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_tar(a.get());
    // Anything short of ARCHIVE_OK ends the check: a warning means libarchive
    // had to guess, and the unpacking might guess otherwise.
    int status = archive_read_open(a.get(), source.get(), nullptr, read_block, nullptr);
    uint64_t files = 0;
    archive_entry* e = nullptr;
    while (status == ARCHIVE_OK && (status = archive_read_next_header(a.get(), &e)) == ARCHIVE_OK) {
        const char* raw = archive_entry_pathname(e);
        if (!raw) raw = archive_entry_pathname_utf8(e);
        const std::string name = raw ? raw : "";
        const std::string why = refusal(e, name, policy, check.total);
        check.members += 1;
        if (archive_entry_size(e) > 0) check.total += archive_entry_size(e);
        if (!why.empty()) {
            check.refused.push_back((name.empty() ? "(no name)" : shown(name)) + ": " + why);
            break;
        }
        files += archive_entry_filetype(e) == AE_IFREG;
        status = archive_read_data_skip(a.get());
    }

    if (!check.refused.empty()) return check;
    if (source->cancelled || source->thrown) {
        const std::exception_ptr thrown = source->thrown;
        a.reset();
        source.reset();
        if (thrown) std::rethrow_exception(thrown);
        check.error = "cancelled";
    } else if (status != ARCHIVE_EOF) {
        const char* why = archive_error_string(a.get());
        check.error = why ? why : "the archive cannot be read";
    } else if (files == 0) {
        check.error = "no data files";
    } else {
        check.ok = true;
    }
    return check;
}
