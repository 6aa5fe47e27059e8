// The survey store's folders and the one-line descriptions of its files.
#include "app/my-app-core.h"
#include "app/store-files.h"
#include "core/errors.h"
#include "core/misc.h"
#include "net/upload-log.h"
#include "refdata/data-defs.h"
#include "refdata/region-info.h"
#include "survey/survey-file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <glibmm/stringutils.h>
#include <map>
#include <sys/stat.h>

RetCode MyAppCore::move_survey_to(WhichDir which, std::string& path) {
    // A survey of the same name in the target folder is never replaced: the
    // moved one takes the next free name, counted as a save counts.
    const std::string folder = get_survey_dir(which);
    try {
        path = move_survey_file(path, folder);
        return RC_OK;
    } catch (const std::exception&) {
        return error("Failed to move survey file from %s to %s\n", escape_markup(path).c_str(),
                     escape_markup(folder + "/" + Glib::path_get_basename(path)).c_str());
    }
}

std::vector<std::string> MyAppCore::get_ready_survey_list() {
    std::vector<std::string> paths = list_survey_files(get_survey_dir(READY_TO_UPLOAD));
    if (debug_level > 0)
        for (const auto& path : paths)
            printf("child filename = %s\n", path.c_str());
    return paths;
}

std::string MyAppCore::prettify_survey_list(const std::vector<std::string>& paths,
                                            const std::string& current) {
    std::string text;
    for (const auto& path : paths) {
        std::string description = get_survey_description(path, nullptr);
        text += description.empty() ? path : description;
        if (path == current) text += " (current survey)";
        text += "\n";
    }
    return text;
}

std::string MyAppCore::get_survey_description(const std::string& path, int* member_number) {
    // The survey list describes every stored survey after each save: files
    // unchanged since (same size and time, same data set) are not read again.
    struct stat st;
    const bool known = stat(path.c_str(), &st) == 0;
    auto cached = descriptions.find(path);
    if (known && cached != descriptions.end() && cached->second.size == st.st_size &&
        cached->second.mtime_ns == st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec &&
        cached->second.data == region_info) {
        const Described& d = cached->second;
        if (member_number && d.has_member) *member_number = d.member;
        if (member_number || d.member_text.empty() || d.text.empty()) return d.text;
        return "Member " + d.member_text + " - " + d.text;
    }
    int member = 0;
    bool has_member = false;
    Glib::ustring member_text;
    std::string identity;
    std::string text = describe_survey(path, &member, &has_member, &member_text, &identity);
    if (known)
        descriptions[path] = {st.st_size,
                              st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
                              region_info,
                              text,
                              member,
                              has_member,
                              member_text.raw(),
                              identity};
    if (member_number && has_member) *member_number = member;
    if (member_number || member_text.empty() || text.empty()) return text;
    return "Member " + member_text.raw() + " - " + text;
}

std::string MyAppCore::describe_survey(const std::string& path, int* member_number,
                                       bool* has_member, Glib::ustring* member_text,
                                       std::string* identity) {
    auto failed = [&](const Glib::ustring& why) {
        printf("File scan: %s: %s\n", path.c_str(), why.empty() ? "Unknown error" : why.c_str());
        return std::string();
    };
    SurveyDocument document;
    if (!document.load(path)) return failed(document.error);
    Glib::ustring member, subregion, year = "0000";
    int subtype = 0, month = 0, mday = 0, dive_start = 0, zone = 0;
    for (const xmlpp::Node* node : document.survey->get_children()) {
        const Glib::ustring name = node->get_name(), text = get_content(node);
        if (name == "member_id") {
            member = text;
            *member_number = atoi(text.c_str());
            *has_member = true;
        } else if (name == "subregion") {
            subregion = text;
        } else if (name == "survey_subtype") {
            subtype = atoi(text.c_str());
        } else if (name == "year") {
            year = text;
        } else if (name == "month") {
            month = atoi(text.c_str());
        } else if (name == "mday") {
            mday = atoi(text.c_str());
        } else if (name == "dive_start") {
            dive_start = atoi(text.c_str());
        } else if (name == "zonecode") {
            zone = atoi(text.c_str());
        }
    }
    Glib::ustring description;
    *member_text = member;
    *identity = member.raw() + "|" + subregion.raw() + "|" + year.raw() +
                format("-%02d-%02d|%d", month, mday, dive_start);
    if (!region_info) return failed("Bad subregion");
    auto region = region_info->region_code_by_subregion.find(subregion);
    auto catalogue = region == region_info->region_code_by_subregion.end()
                         ? region_info->fish_info.end()
                         : region_info->fish_info.find(region->second);
    if (catalogue == region_info->fish_info.end()) return failed("Bad subregion");
    if (subtype >= 0) {
        const Region* record = region_info->find_subtype(subtype);
        if (!record || record->surveytypename.empty())
            return failed(format("Bad subtype %d", subtype));
        description += record->surveytypename;
    } else {
        description += region->second;
    }
    if (!(year.empty() && month == 0 && mday == 0))
        description += " - " + year + format("-%02d-%02d", month, mday);
    if (dive_start > 0) {
        description += " at ";
        if (data_defs) {
            auto group = data_defs->defs.find("divestart");
            if (group != data_defs->defs.end())
                for (size_t i = 0;
                     i < group->second.values.size() && i < group->second.labels.size(); ++i)
                    if (group->second.values[i] == dive_start) {
                        description += group->second.labels[i];
                        break;
                    }
        }
    }
    auto zone_name = catalogue->second.geogs.find(zone);
    if (zone_name != catalogue->second.geogs.end() && !zone_name->second.empty())
        description += " - " + zone_name->second;
    return description.raw();
}

std::string MyAppCore::survey_identity(const std::string& path) {
    if (get_survey_description(path, nullptr).empty()) return "";
    auto cached = descriptions.find(path);
    return cached == descriptions.end() ? "" : cached->second.identity;
}

std::string MyAppCore::upload_log_path() {
    return get_local_data_dir() + "/upload-log.txt";
}

std::vector<MyAppCore::SentBefore> MyAppCore::sent_before(const std::vector<std::string>& paths) {
    struct Known {
        std::string when, name;
    };
    std::map<std::string, Known> by_bytes, by_survey;
    for (const UploadLog::Entry& entry : UploadLog(upload_log_path()).entries())
        by_bytes[entry.sha256] = {entry.time, entry.file_name};
    auto bytes_of = [](const std::string& path) {
        std::string text;
        Glib::ustring why;
        return read_survey_file(path, text, why) ? UploadLog::sha256(text) : std::string();
    };
    for (const std::string& sent : list_survey_files(get_survey_dir(UPLOADED))) {
        struct stat st;
        char when[32] = "";
        if (stat(sent.c_str(), &st) == 0) {
            struct tm local;
            strftime(when, sizeof when, "%Y-%m-%d %H:%M", localtime_r(&st.st_mtime, &local));
        }
        const Known known{when, Glib::path_get_basename(sent)};
        by_bytes.emplace(bytes_of(sent), known);
        const std::string identity = survey_identity(sent);
        if (!identity.empty()) by_survey.emplace(identity, known);
    }
    std::vector<SentBefore> found;
    for (const std::string& path : paths) {
        auto same = by_bytes.find(bytes_of(path));
        if (same == by_bytes.end()) same = by_survey.find(survey_identity(path));
        if (same != by_bytes.end() && same != by_survey.end())
            found.push_back({path, same->second.when, same->second.name});
    }
    return found;
}
