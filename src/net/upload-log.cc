#include "net/upload-log.h"

#include "survey/survey-file.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <glib.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

std::string UploadLog::sha256(const std::string& bytes) {
    gchar* sum = g_compute_checksum_for_data(
        G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
    std::string text = sum;
    g_free(sum);
    return text;
}

void UploadLog::record(const std::string& bytes, const std::string& file_name,
                       const char* verdict) {
    char when[32];
    const time_t now = time(nullptr);
    struct tm local;
    strftime(when, sizeof when, "%Y-%m-%d %H:%M", localtime_r(&now, &local));
    // One line a send: the name last, with nothing in it that ends a field.
    std::string name = file_name;
    for (char& c : name)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    const std::string line = sha256(bytes) + "\t" + when + "\t" + verdict + "\t" + name + "\n";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
    const bool ok =
        fd >= 0 && write(fd, line.data(), line.size()) == ssize_t(line.size()) && fsync(fd) == 0;
    const int why = errno;
    if (fd >= 0) close(fd);
    if (!ok) throw std::runtime_error("Can't write " + path + ": " + strerror(why));
}

std::vector<UploadLog::Entry> UploadLog::entries() const {
    std::vector<Entry> found;
    std::string text;
    Glib::ustring why;
    // Read as a survey is, so that nothing odd in its place holds the program.
    if (!read_survey_file(path, text, why)) return found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        Entry entry;
        std::istringstream fields(line);
        if (std::getline(fields, entry.sha256, '\t') && std::getline(fields, entry.time, '\t') &&
            std::getline(fields, entry.verdict, '\t') && std::getline(fields, entry.file_name))
            found.push_back(entry);
    }
    return found;
}
