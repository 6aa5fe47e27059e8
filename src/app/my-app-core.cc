#include "app/my-app-core.h"

#include "core/build-settings.h"
#include "refdata/abundance-choices.h"
#include "refdata/data-defs.h"
#include "refdata/data-file-info.h"
#include "refdata/data-params.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "refdata/species-view-info.h"
#include "refdata/species-views.h"

#include <cstdio>
#include <giomm/file.h>
#include <glib.h>
#include <glibmm/miscutils.h>

const char* const MyAppCore::INSTALLED_DATA_DIR = "data-files/";

MyAppCore::MyAppCore() {
    upload_url = server_base_url() + "/dataentry/upload-survey.php";
    version_query_url = server_base_url() + "/offline-data-entry/?get-version=";
}

std::string MyAppCore::server_base_url() {
    std::string url = Glib::getenv("TAVRO_SERVER_URL");
    if (url.empty()) url = TAVRO_DEFAULT_SERVER_URL;
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

std::string MyAppCore::support_email() {
    return TAVRO_SUPPORT_EMAIL;
}
std::string MyAppCore::web_entry_url() {
    return TAVRO_WEB_ENTRY_URL;
}

std::string MyAppCore::get_local_data_dir() {
    if (local_data_dir.empty()) local_data_dir = Glib::get_user_config_dir() + "/TAVRO-Survey";
    // Plain calls rather than the virtual file system, which the data set's
    // reader would otherwise set up while the window starts. A failure is
    // reported by a later read or write in the folder, where it matters.
    g_mkdir_with_parents(local_data_dir.c_str(), 0755);
    if (debug_level > 0) printf("local_data_dir: %s\n", local_data_dir.c_str());
    return local_data_dir;
}

const char* MyAppCore::folder_name(WhichDir which) {
    switch (which) {
    case IN_PROGRESS:
        return "In Progress";
    case READY_TO_UPLOAD:
        return "Ready To Upload";
    case UPLOADED:
        return "Uploaded";
    default:
        return "";
    }
}

std::string MyAppCore::get_survey_dir(WhichDir which) {
    if (survey_dir.empty()) {
        std::string documents = Glib::get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
        // Without configured user folders GLib knows none: the store must not
        // land at the root of the file system.
        if (documents.empty()) documents = Glib::get_home_dir() + "/Documents";
        survey_dir = documents + "/TAVRO-Survey";
    }
    std::string dir = survey_dir;
    if (*folder_name(which))
        dir += std::string("/") + folder_name(which);
    else if (which != SURVEY_ROOT)
        dir += "/OOPS";
    g_mkdir_with_parents(dir.c_str(), 0755);
    if (debug_level > 0) printf("selected_dir: %s\n", dir.c_str());
    return dir;
}

RetCode MyAppCore::read_data_files() {
    std::string installed = INSTALLED_DATA_DIR;
    std::string local = get_local_data_dir() + "/" + "data-files/";
    DataFileInfo installed_info(installed);
    // A broken downloaded set must not lock the user out: it counts as absent.
    DataFileInfo local_info(local, false);
    std::string dir;
    if (local_info.valid) {
        if (local_info.timestamp < installed_info.timestamp) {
            printf("Hmm, data in %s is older (%s) than data in %s (%s).\n", local.c_str(),
                   local_info.timestamp.c_str(), installed.c_str(),
                   installed_info.timestamp.c_str());
            dir = installed;
        } else {
            printf("Using data in %s (%s).\n", local.c_str(), local_info.timestamp.c_str());
            dir = local;
        }
    } else if (installed_info.valid) {
        printf("No data in %s; using data in %s (%s).\n", local.c_str(), installed.c_str(),
               installed_info.timestamp.c_str());
        dir = installed;
    } else {
        printf("Oh no!  We have no valid data!!\n");
        return RC_ERROR;
    }

    return load_data_set(dir);
}

struct MyAppCore::Readers {
    std::unique_ptr<DataFileInfo> data_file_info;
    std::unique_ptr<DataDefs> data_defs;
    std::unique_ptr<DataParams> data_params;
    std::unique_ptr<RegionInfo> region_info;
    std::unique_ptr<HabitatInfo> habitat_info;
    std::unique_ptr<SpeciesViews> species_views;
    std::unique_ptr<AbundanceChoices> abundance_choices;
};

MyAppCore::~MyAppCore() {
    discard_readers();
}

std::unique_ptr<MyAppCore::Readers> MyAppCore::take_readers() {
    auto taken = std::unique_ptr<Readers>(new Readers{
        std::unique_ptr<DataFileInfo>(data_file_info), std::unique_ptr<DataDefs>(data_defs),
        std::unique_ptr<DataParams>(data_params), std::unique_ptr<RegionInfo>(region_info),
        std::unique_ptr<HabitatInfo>(habitat_info), std::unique_ptr<SpeciesViews>(species_views),
        std::unique_ptr<AbundanceChoices>(abundance_choices)});
    data_file_info = nullptr;
    data_defs = nullptr;
    data_params = nullptr;
    region_info = nullptr;
    habitat_info = nullptr;
    species_views = nullptr;
    abundance_choices = nullptr;
    return taken;
}

RetCode MyAppCore::load_data_set(const std::string& dir) {
    if (data_file_info || data_defs || data_params || region_info || habitat_info ||
        species_views || abundance_choices)
        retired_readers.push_back(take_readers());
    loaded_data_dir = dir;
    if (!(data_file_info = new DataFileInfo(dir))->valid) return RC_ERROR;
    if (!(data_defs = new DataDefs(dir))->is_valid()) return RC_ERROR;
    if (!(data_params = new DataParams(dir))->is_valid()) return RC_ERROR;
    if (!(region_info = new RegionInfo(dir))->is_valid()) return RC_ERROR;
    if (!(habitat_info = new HabitatInfo(dir))->is_valid()) return RC_ERROR;
    if (!(abundance_choices = new AbundanceChoices(dir))->is_valid()) return RC_ERROR;
    SpeciesViewInfo view_info(dir, region_info);
    species_views = new SpeciesViews(dir);
    if (!view_info.is_valid() || !species_views->is_valid()) return RC_ERROR;
    species_views->view_subregions = std::move(view_info.view_subregions);
    return RC_OK;
}

RetCode MyAppCore::load_reference_data() {
    RetCode rc = read_data_files();
    if (rc == RC_OK || loaded_data_dir.empty() || loaded_data_dir == INSTALLED_DATA_DIR) return rc;
    printf("Failed to load the downloaded data in %s; using the installed data in %s instead.\n",
           loaded_data_dir.c_str(), INSTALLED_DATA_DIR);
    discard_readers();
    return load_data_set(INSTALLED_DATA_DIR);
}

void MyAppCore::discard_readers() {
    take_readers();
}
