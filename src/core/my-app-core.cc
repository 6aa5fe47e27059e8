#include "core/my-app-core.h"

#include "core/build-settings.h"
#include "refdata/data-defs.h"
#include "refdata/data-file-info.h"
#include "refdata/data-params.h"

#include <cstdio>
#include <giomm/file.h>
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

std::string MyAppCore::support_email() { return TAVRO_SUPPORT_EMAIL; }
std::string MyAppCore::web_entry_url() { return TAVRO_WEB_ENTRY_URL; }

std::string MyAppCore::get_local_data_dir() {
    if (local_data_dir.empty()) local_data_dir = Glib::get_user_config_dir() + "/TAVRO-Survey";
    try {
        auto dir = Gio::File::create_for_path(local_data_dir);
        if (!dir->query_exists()) dir->make_directory_with_parents();
    } catch (const Glib::Error&) {
        // A later read or write in the folder reports the problem where it matters.
    }
    if (debug_level > 0) printf("local_data_dir: %s\n", local_data_dir.c_str());
    return local_data_dir;
}

RetCode MyAppCore::read_data_files() {
    std::string installed = INSTALLED_DATA_DIR;
    std::string local = get_local_data_dir() + "/" + "data-files/";
    DataFileInfo installed_info(installed);
    DataFileInfo local_info(local);
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

    if (!(data_file_info = new DataFileInfo(dir))->valid) return RC_ERROR;
    if (!(data_defs = new DataDefs(dir))->is_valid()) return RC_ERROR;
    if (!(data_params = new DataParams(dir))->is_valid()) return RC_ERROR;
    return RC_OK;
}
