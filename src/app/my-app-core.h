// The part of the application object that needs no toolkit: the reference-data
// readers, the server addresses and the per-user folders.
#pragma once

#include "core/errors.h"

#include <glibmm/ustring.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

class DataFileInfo;
class DataDefs;
class DataParams;
class RegionInfo;
class HabitatInfo;
class SpeciesViews;
class AbundanceChoices;

class MyAppCore {
public:
    // The folders of the survey store; a survey's state is the folder it lies in.
    enum WhichDir {
        IN_PROGRESS = 1,
        READY_TO_UPLOAD = 2,
        UPLOADED = 3,
        SURVEY_ROOT = 4,
        NOT_A_SURVEY = 5, // no folder: marks group rows of the survey list
    };
    // The folders a survey can lie in, in the order the store lists them.
    static constexpr WhichDir STATE_FOLDERS[] = {IN_PROGRESS, READY_TO_UPLOAD, UPLOADED};

    DataFileInfo* data_file_info = nullptr;
    DataDefs* data_defs = nullptr;
    DataParams* data_params = nullptr;
    RegionInfo* region_info = nullptr;
    HabitatInfo* habitat_info = nullptr;
    SpeciesViews* species_views = nullptr;
    AbundanceChoices* abundance_choices = nullptr;
    std::string upload_url;
    std::string version_query_url;
    std::string survey_dir;
    std::string local_data_dir;

    MyAppCore();
    virtual ~MyAppCore();
    MyAppCore(const MyAppCore&) = delete;
    MyAppCore& operator=(const MyAppCore&) = delete;

    RetCode read_data_files();
    // Start-up load: read_data_files, and when a downloaded set was chosen but
    // turns out broken, the installed set instead.
    RetCode load_reference_data();
    // Loads every reader from one data folder (ending in "/").
    RetCode load_data_set(const std::string& dir);
    // Deletes the readers; only safe while nothing refers to them.
    void discard_readers();
    // Folder of the last load attempt.
    std::string loaded_data_dir;
    std::string get_local_data_dir();
    // A folder of the survey store, created when missing.
    std::string get_survey_dir(WhichDir which);
    // The name of a state folder, also the Start page's label for it; empty
    // for the others.
    static const char* folder_name(WhichDir which);
    // Moves a survey file into another store folder under its name; path
    // becomes the new path. Reports a failure and returns its code.
    RetCode move_survey_to(WhichDir which, std::string& path);
    // The surveys of the Ready To Upload folder, full paths in byte order.
    std::vector<std::string> get_ready_survey_list();
    // One line per survey: its description (or path), " (current survey)" for current.
    std::string prettify_survey_list(const std::vector<std::string>& paths,
                                     const std::string& current);
    // The one-line description of a survey file; empty when it is no readable
    // survey of the loaded data. With member_number, the member number goes
    // there instead of into the text.
    std::string get_survey_description(const std::string& path, int* member_number);
    // Who, where and when a survey file is of: member, location, date and
    // dive start; empty when it is no readable survey.
    std::string survey_identity(const std::string& path);
    // Of the files about to be sent, those the server may hold already: the
    // same bytes in the upload log or in Uploaded, or the same member,
    // location, date and dive start in Uploaded.
    struct SentBefore {
        std::string path, when, name; // when and under which name it went
    };
    std::vector<SentBefore> sent_before(const std::vector<std::string>& paths);
    // The log of surveys the server took or may have taken.
    std::string upload_log_path();

private:
    // Readers a data update replaced: windows made before the update may still
    // refer to them, so they are kept, and freed when the program ends.
    struct Readers;
    std::vector<std::unique_ptr<Readers>> retired_readers;
    // The readers in use, handed over; the pointers are left empty.
    std::unique_ptr<Readers> take_readers();
    // A file's description without the member part, and what it says of the member.
    std::string describe_survey(const std::string& path, int* member_number, bool* has_member,
                                Glib::ustring* member_text, std::string* identity);
    struct Described {
        long long size, mtime_ns;
        const RegionInfo* data;
        std::string text;
        int member;
        bool has_member;
        std::string member_text;
        std::string identity;
    };
    std::map<std::string, Described> descriptions;

public:
    // Base address of the server: TAVRO_SERVER_URL from the environment, else
    // the address the program was built with; no trailing "/".
    static std::string server_base_url();
    static std::string support_email();
    static std::string web_entry_url();

    // Installed data set, relative to the installation folder.
    static const char* const INSTALLED_DATA_DIR;
};
