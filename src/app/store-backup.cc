#include "app/store-backup.h"

#include "app/my-app-core.h"
#include "app/store-files.h"
#include "core/errors.h"
#include "core/safe-write.h"
#include "survey/survey-file.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <glibmm/miscutils.h>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lifetime of surveys is far below this: a survey is a few kilobytes, one
// of every species of a region a few hundred, so even ten thousand dives fit
// with room to spare. It bounds what a wrong or hostile archive can make a
// restore write into the store; memory is bounded by the member cap, as
// only one survey is held at a time.
constexpr uint64_t BACKUP_TOTAL_CAP = 2ull * 1024 * 1024 * 1024;

using ReadArchive = std::unique_ptr<struct archive, int (*)(struct archive*)>;
using WriteArchive = std::unique_ptr<struct archive, int (*)(struct archive*)>;

// Adds up the work of a job and asks the caller whether to go on.
class Meter {
public:
    Meter(const StoreProgress& progress, uint64_t total) : progress(progress), total(total) {}
    bool at(uint64_t done_now) {
        done = std::min(done_now, total);
        return !progress || progress(done, total);
    }
    bool add(uint64_t bytes) { return at(done + bytes); }
    uint64_t done = 0;

private:
    const StoreProgress& progress;
    uint64_t total;
};

// Removes a file when it goes, unless kept.
struct TemporaryName {
    std::string path;
    ~TemporaryName() {
        if (!path.empty()) unlink(path.c_str());
    }
};

struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

std::string sha256(const char* data, size_t size) {
    gchar* hex =
        g_compute_checksum_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(data), size);
    std::string digest = hex;
    g_free(hex);
    return digest;
}

std::string sha256(const std::string& data) {
    return sha256(data.data(), data.size());
}

std::string error_of(struct archive* a) {
    const char* why = archive_error_string(a);
    return why ? why : "the archive cannot be read";
}

// A name from the archive as the user may see it: a control character could
// break the line or make it say something else.
std::string printable(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        out += c < 0x20 || c == 0x7f ? format("\\x%02x", c) : std::string(1, static_cast<char>(c));
    return out;
}

// A member's folders and name, without the empty and "." parts tar adds.
std::vector<std::string> name_parts(const std::string& name) {
    std::vector<std::string> parts;
    for (size_t start = 0; start <= name.size();) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        if (!part.empty() && part != ".") parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

std::string entry_name(archive_entry* e) {
    const char* raw = archive_entry_pathname(e);
    if (!raw) raw = archive_entry_pathname_utf8(e);
    return raw ? raw : "";
}

struct StoreSurvey {
    std::string path, member;
    uint64_t size;
};

std::vector<StoreSurvey> list_store(const std::string& store_folder, uint64_t& bytes) {
    std::vector<StoreSurvey> surveys;
    bytes = 0;
    for (MyAppCore::WhichDir which : MyAppCore::STATE_FOLDERS) {
        const std::string folder = MyAppCore::folder_name(which);
        for (const std::string& path : list_survey_files(store_folder + "/" + folder)) {
            struct stat st;
            const uint64_t size = lstat(path.c_str(), &st) == 0 ? st.st_size : 0;
            surveys.push_back({path, folder + "/" + Glib::path_get_basename(path), size});
            bytes += size;
        }
    }
    return surveys;
}

// Writes the surveys into the archive open on fd, keeping each member's
// digest; the error, or empty.
std::string write_members(int fd, const std::vector<StoreSurvey>& surveys,
                          std::map<std::string, std::string>& digests, Meter& meter) {
    WriteArchive a(archive_write_new(), archive_write_free);
    if (!a) return "out of memory";
    // GNU tar keeps names as the bytes they are, whatever the locale, and
    // takes names longer than 100 bytes.
    if (archive_write_add_filter_gzip(a.get()) != ARCHIVE_OK ||
        archive_write_set_format_gnutar(a.get()) != ARCHIVE_OK ||
        archive_write_open_fd(a.get(), fd) != ARCHIVE_OK)
        return error_of(a.get());
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> e(archive_entry_new(),
                                                               archive_entry_free);
    for (const StoreSurvey& survey : surveys) {
        std::string text;
        Glib::ustring why;
        if (!read_survey_file(survey.path, text, why))
            return "Can't read " + survey.path + ": " + why.raw();
        struct stat st;
        archive_entry_clear(e.get());
        archive_entry_copy_pathname(e.get(), survey.member.c_str());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        archive_entry_set_size(e.get(), text.size());
        if (lstat(survey.path.c_str(), &st) == 0) archive_entry_set_mtime(e.get(), st.st_mtime, 0);
        if (archive_write_header(a.get(), e.get()) != ARCHIVE_OK ||
            archive_write_data(a.get(), text.data(), text.size()) !=
                static_cast<la_ssize_t>(text.size()))
            return error_of(a.get());
        digests[survey.member] = sha256(text);
        if (!meter.add(text.size())) return "cancelled";
    }
    return archive_write_close(a.get()) == ARCHIVE_OK ? "" : error_of(a.get());
}

// Reads the archive back: exactly the members written, each with its
// digest. The error, or empty.
std::string verify_members(const std::string& path,
                           const std::map<std::string, std::string>& digests, Meter& meter) {
    ReadArchive a(archive_read_new(), archive_read_free);
    if (!a) return "out of memory";
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_tar(a.get());
    if (archive_read_open_filename(a.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK)
        return error_of(a.get());
    std::set<std::string> seen;
    archive_entry* e = nullptr;
    std::vector<char> block(64 * 1024);
    int status;
    while ((status = archive_read_next_header(a.get(), &e)) == ARCHIVE_OK) {
        const std::string name = entry_name(e);
        GChecksum* sum = g_checksum_new(G_CHECKSUM_SHA256);
        la_ssize_t got;
        while ((got = archive_read_data(a.get(), block.data(), block.size())) > 0) {
            g_checksum_update(sum, reinterpret_cast<const guchar*>(block.data()), got);
            meter.add(got);
        }
        const std::string digest = g_checksum_get_string(sum);
        g_checksum_free(sum);
        if (got < 0) return error_of(a.get());
        const auto written = digests.find(name);
        if (written == digests.end() || written->second != digest || !seen.insert(name).second)
            return "The backup read back differs from the store at " + printable(name);
        if (!meter.add(0)) return "cancelled";
    }
    if (status != ARCHIVE_EOF) return error_of(a.get());
    if (seen.size() != digests.size()) return "The backup read back lacks surveys";
    return "";
}

// Flushes the folder so that a rename in it reaches the disk.
void sync_folder(const std::string& folder) {
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

} // namespace

std::string default_backup_name(int year, int month, int mday) {
    return format("TAVRO-Surveys-%04d-%02d-%02d.tar.gz", year, month, mday);
}

BackupResult back_up_store(const std::string& store_folder, const std::string& archive_path,
                           const StoreProgress& progress) {
    BackupResult result;
    uint64_t bytes = 0;
    const std::vector<StoreSurvey> surveys = list_store(store_folder, bytes);
    Meter meter(progress, 2 * bytes); // written once, read back once

    const std::string folder = Glib::path_get_dirname(archive_path);
    TemporaryName temporary{folder + "/.tavro-backup-XXXXXX"};
    FileDescriptor file;
    file.fd = mkstemp(&temporary.path[0]);
    if (file.fd < 0) {
        temporary.path.clear();
        result.error = "Can't create a file in " + folder + ": " + g_strerror(errno);
        return result;
    }
    std::map<std::string, std::string> digests;
    result.error = write_members(file.fd, surveys, digests, meter);
    if (result.error.empty() && (fchmod(file.fd, 0644) != 0 || fsync(file.fd) != 0))
        result.error = "Can't write " + archive_path + ": " + g_strerror(errno);
    const int fd = file.fd;
    file.fd = -1;
    if (close(fd) != 0 && result.error.empty())
        result.error = "Can't write " + archive_path + ": " + g_strerror(errno);
    if (result.error.empty()) result.error = verify_members(temporary.path, digests, meter);
    if (result.error.empty() && rename(temporary.path.c_str(), archive_path.c_str()) != 0)
        result.error = "Can't write " + archive_path + ": " + g_strerror(errno);
    if (!result.error.empty()) return result;
    temporary.path.clear();
    sync_folder(folder);
    result.ok = true;
    result.surveys = digests.size();
    return result;
}

ArchivePolicy store_backup_policy() {
    ArchivePolicy policy;
    for (MyAppCore::WhichDir which : MyAppCore::STATE_FOLDERS)
        policy.top_folders.push_back(MyAppCore::folder_name(which));
    policy.file_allowed = is_survey_file_name;
    policy.member_cap = MAX_SURVEY_FILE_BYTES;
    policy.total_cap = BACKUP_TOTAL_CAP;
    return policy;
}

namespace {

// The digests of every survey in the store, so that one restored twice, or
// one the store holds under another name or in another state, is skipped.
std::set<std::string> store_digests(const std::string& store_folder) {
    std::set<std::string> digests;
    uint64_t bytes;
    for (const StoreSurvey& survey : list_store(store_folder, bytes)) {
        std::string text;
        Glib::ustring why;
        if (read_survey_file(survey.path, text, why)) digests.insert(sha256(text));
    }
    return digests;
}

// The archive was checked, but it is read a second time: a member unlike
// those the check let through means the file changed in between.
bool still_allowed(archive_entry* e, const std::vector<std::string>& parts,
                   const ArchivePolicy& policy) {
    const bool links = archive_entry_hardlink(e) || archive_entry_symlink(e);
    return !links && archive_entry_filetype(e) == AE_IFREG && parts.size() >= 2 &&
           std::find(policy.top_folders.begin(), policy.top_folders.end(), parts[0]) !=
               policy.top_folders.end() &&
           std::find(parts.begin(), parts.end(), "..") == parts.end() &&
           policy.file_allowed(parts.back()) && archive_entry_size(e) >= 0 &&
           static_cast<uint64_t>(archive_entry_size(e)) <= policy.member_cap;
}

// The member's data, read up to the cap; false when the archive fails or
// holds more than the cap.
bool read_member(struct archive* a, uint64_t cap, std::string& data) {
    data.clear();
    char block[16 * 1024];
    la_ssize_t got;
    while ((got = archive_read_data(a, block, sizeof block)) > 0) {
        data.append(block, got);
        if (data.size() > cap) return false;
    }
    return got == 0;
}

// Places one survey read from the archive, or says why it was skipped; a
// write failure ends the restore (std::runtime_error).
void restore_member(const std::string& member, const std::vector<std::string>& parts,
                    const std::string& data, const std::string& store_folder,
                    std::set<std::string>& known, RestoreResult& result) {
    SurveyDocument document;
    if (!document.load_text(data)) {
        result.skipped.push_back({member, "not a survey this program opens: " + document.error});
        return;
    }
    const std::string digest = sha256(data);
    if (known.count(digest)) {
        result.skipped.push_back({member, "already in the store"});
        return;
    }
    const MyAppCore::WhichDir which = parts[0] == MyAppCore::folder_name(MyAppCore::UPLOADED)
                                          ? MyAppCore::UPLOADED
                                          : MyAppCore::IN_PROGRESS;
    const std::string folder = store_folder + "/" + MyAppCore::folder_name(which);
    if (g_mkdir_with_parents(folder.c_str(), 0755) != 0)
        throw std::runtime_error("Can't create " + folder + ": " + g_strerror(errno));
    const std::string name = canonical_survey_name(parts.back());
    const std::string stem = name.substr(0, name.size() - strlen(SURVEY_EXTENSION));
    std::string path;
    try {
        path = save_survey_file(folder, stem, data, "", "").path;
    } catch (const FolderNotSynced& placed) {
        // In place; the next flush of the folder takes it to the disk.
        path = placed.path;
    }
    known.insert(digest);
    result.added.push_back({member, path});
}

} // namespace

RestoreResult restore_store(const std::string& archive_path, const std::string& store_folder,
                            const StoreProgress& progress) {
    RestoreResult result;
    struct stat st;
    const uint64_t size = stat(archive_path.c_str(), &st) == 0 ? st.st_size : 0;
    Meter meter(progress, 2 * size); // checked once, read once
    const ArchivePolicy policy = store_backup_policy();
    const ArchiveCheck check =
        check_archive(archive_path, policy, [&](uint64_t read) { return meter.at(read); });
    if (!check.ok) {
        result.error = !check.refused.empty()           ? check.refused[0]
                       : check.error == "no data files" ? "the archive holds no surveys"
                                                        : check.error;
        return result;
    }
    std::set<std::string> known = store_digests(store_folder);

    ReadArchive a(archive_read_new(), archive_read_free);
    archive_read_support_filter_gzip(a.get());
    archive_read_support_filter_bzip2(a.get());
    archive_read_support_format_tar(a.get());
    int status = archive_read_open_filename(a.get(), archive_path.c_str(), 64 * 1024);
    archive_entry* e = nullptr;
    std::string data;
    while (status == ARCHIVE_OK && (status = archive_read_next_header(a.get(), &e)) == ARCHIVE_OK) {
        if (archive_entry_filetype(e) == AE_IFDIR) continue;
        const std::string member = entry_name(e);
        const std::vector<std::string> parts = name_parts(member);
        if (!still_allowed(e, parts, policy) || !read_member(a.get(), policy.member_cap, data)) {
            result.error = "the archive changed or is damaged at " + printable(member);
            return result;
        }
        try {
            restore_member(printable(member), parts, data, store_folder, known, result);
        } catch (const std::runtime_error& failed) {
            result.error = failed.what();
            return result;
        }
        if (!meter.at(size + archive_filter_bytes(a.get(), -1))) {
            result.error = "cancelled";
            return result;
        }
    }
    if (status != ARCHIVE_EOF)
        result.error = error_of(a.get());
    else
        result.ok = true;
    return result;
}
