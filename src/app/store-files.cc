#include "app/store-files.h"

#include "core/errors.h"
#include "core/safe-write.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <sys/stat.h>

const char* const SURVEY_EXTENSION = ".TAVRO-Survey";
const char* const OLD_SURVEY_EXTENSION = ".TAVRO_survey";

namespace {

// Longest name before the counter and the extension.
const size_t MAX_STEM_BYTES = 255 - 4 - 13;

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The extension of a survey file name, or empty for another file.
std::string extension_of(const std::string& name) {
    for (const char* extension : {SURVEY_EXTENSION, OLD_SURVEY_EXTENSION})
        if (ends_with(name, extension)) return extension;
    return "";
}

std::string fit(std::string stem) {
    if (stem.size() <= MAX_STEM_BYTES) return stem;
    size_t cut = MAX_STEM_BYTES;
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
        --cut;
    return stem.substr(0, cut);
}

std::string with_counter(const std::string& stem, int counter, const std::string& extension) {
    return stem + (counter ? format("-%d", counter) : "") + extension;
}

} // namespace

std::string safe_name_part(const std::string& text) {
    std::string safe = text;
    for (char& c : safe)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    if (!safe.empty() && safe[0] == '.') safe[0] = '_';
    return safe;
}

std::string survey_file_stem(const std::string& member, const std::string& subregion, int year,
                             int month, int mday, const std::string& dive_start,
                             const std::string& zone) {
    std::string stem;
    if (!member.empty()) stem = safe_name_part(member) + "-";
    stem += safe_name_part(subregion) + "-" + format("%04d%02d%02d", year, month, mday) + "-" +
            safe_name_part(dive_start);
    if (!zone.empty()) stem += "-" + safe_name_part(zone);
    return fit(stem);
}

bool is_survey_file_name(const std::string& name) {
    return !extension_of(name).empty() && !is_save_temporary(name);
}

bool is_listed_survey(const std::string& path) {
    struct stat st;
    return is_survey_file_name(Glib::path_get_basename(path)) && lstat(path.c_str(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

std::vector<std::string> list_survey_files(const std::string& folder) {
    std::vector<std::string> paths;
    try {
        for (const std::string& name : Glib::Dir(folder))
            if (is_listed_survey(folder + "/" + name)) paths.push_back(folder + "/" + name);
    } catch (const Glib::FileError&) {
        // A folder that can't be read lists as empty.
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string canonical_survey_name(const std::string& name) {
    const std::string extension = extension_of(name);
    return fit(safe_name_part(name.substr(0, name.size() - extension.size()))) + SURVEY_EXTENSION;
}

bool same_survey_name(const std::string& name, const std::string& stem) {
    const std::string canonical = canonical_survey_name(name);
    const std::string own = canonical.substr(0, canonical.size() - strlen(SURVEY_EXTENSION));
    if (own == stem) return true;
    if (own.size() < stem.size() + 2 || own.compare(0, stem.size() + 1, stem + "-") != 0)
        return false;
    const std::string counter = own.substr(stem.size() + 1);
    return counter[0] != '0' && counter.find_first_not_of("0123456789") == std::string::npos;
}

SavedSurvey save_survey_file(const std::string& folder, const std::string& stem,
                             const std::string& data, const std::string& own_path,
                             const std::string& own_etag) {
    StagedFile staged(folder, data);
    for (int counter = 0;; ++counter) {
        const std::string chosen = folder + "/" + with_counter(stem, counter, SURVEY_EXTENSION);
        if (chosen == own_path) {
            printf("Selected filename %s\n", chosen.c_str());
            return {chosen, staged.replace(chosen, own_etag)};
        }
        struct stat st;
        if (lstat(chosen.c_str(), &st) != 0 && staged.place_new(chosen)) {
            printf("Selected filename %s\n", chosen.c_str());
            return {chosen, staged.etag()};
        }
        printf("Tried filename %s but it exists\n", chosen.c_str());
    }
}

std::string move_survey_file(const std::string& path, const std::string& folder) {
    const std::string name = Glib::path_get_basename(path), extension = extension_of(name);
    const std::string stem = fit(safe_name_part(name.substr(0, name.size() - extension.size())));
    for (int counter = 0;; ++counter) {
        const std::string moved = folder + "/" + with_counter(stem, counter, extension);
        if (rename_no_replace(path, moved)) return moved;
    }
}
