// Asking the TAVRO server for newer program and data versions, and installing
// a newer data set without restarting.
#include "core/build-settings.h"
#include "core/errors.h"
#include "core/misc.h"
#include "core/version.h"
#include "net/data-install.h"
#include "refdata/data-file-info.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <cstdlib>
#include <gtkmm/messagedialog.h>

namespace {

// The second line of a report when the server did not answer at all.
std::string no_answer(const NetAnswer& answer, const std::string& url) {
    if (answer.answered) return "";
    return "\n" + escape_markup("No answer from the TAVRO server at " + NetSession::server_of(url) +
                                ": " + answer.failure)
                      .raw();
}

const char* or_none(const char* text, const char* none = "(none)") {
    return text ? text : none;
}

// A message dialog of the update check; its response.
int tell(Gtk::Window& parent, const Glib::ustring& title, const Glib::ustring& markup,
         std::initializer_list<std::pair<const char*, int>> buttons) {
    Gtk::MessageDialog dialog(parent, markup, true, Gtk::MESSAGE_INFO,
                              buttons.size() ? Gtk::BUTTONS_NONE : Gtk::BUTTONS_OK, true);
    for (const auto& [label, response] : buttons)
        dialog.add_button(label, response);
    dialog.set_title(title);
    dialog.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(dialog);
    dialog.hide();
    return response;
}

// What the unpacking said, for the volunteer to send to the organisation.
RetCode report_unpack_failure(const DataInstall& installed) {
    const std::string& command = installed.command;
    const std::string& output = installed.output;
    const std::string report = "\n\nPlease include the following in an email to " +
                               std::string(TAVRO_SUPPORT_EMAIL) + ":\n\nCommand: " + command +
                               "\n\n" + output + "\nCommand returned " +
                               std::to_string(installed.status);
    printf("output:\n%s\n", report.c_str());
    const std::string mail = escape_markup(TAVRO_SUPPORT_EMAIL).raw();
    const std::string shown =
        "\n\nPlease include the following in an email to <a href=\"mailto:" + mail + "\">" + mail +
        "</a>:\n\nCommand: " + escape_markup(command).raw() + "\n\n" + escape_markup(output).raw() +
        "\nCommand returned " + std::to_string(installed.status);
    error("Failed to install data update! (%d)%s", installed.status, shown.c_str());
    return RC_ERROR;
}

} // namespace

void SurveyWindow::manual_check_for_updates() {
    if (check_file_save_okay("checking for updates")) check_for_updates("", NOTHING_FURTHER);
}

RetCode SurveyWindow::check_for_updates(const std::string&, int follow_up) {
    NetSession& session = network();
    // A volunteer who cancelled an upload wants no more requests now.
    if (session.cancelled()) {
        end_network();
        return follow_up_after_check(follow_up, RC_CANCELLED);
    }
    progress->step("Checking for updates");
    RetCode rc = RC_OK;
    bool told = false;
    const std::string program_query = app->version_query_url + "mac";
    const NetAnswer query = session.query(program_query);
    const unsigned status = query.answered ? query.status : 0;
    const char* version = query.header("X-Current-App-Version-Is");
    const char* download = query.header("X-Download-App-From");
    if (debug_level > 0) {
        printf("version query response code is %u\n", status);
        printf("GET %s returned %u, version %s, url %s\n", program_query.c_str(), status,
               or_none(version), or_none(download));
    }
    if (status != 200 || !version || !download) {
        rc = titled_error("Can't reach TAVRO server", "Failed to contact TAVRO server%s",
                          no_answer(query, program_query).c_str());
    } else {
        if (std::string(version) != BuildInfo::version_str) {
            const Glib::ustring link = escape_markup(download);
            rc = tell(*this, "New program version is available",
                      "You are running version " + escape_markup(BuildInfo::version_str) +
                          " of this program, but version " + escape_markup(version) +
                          "\nis now available at <a href=\"" + link + "\">" + link + "</a>",
                      {{"gtk-ok", Gtk::RESPONSE_ACCEPT}}) == Gtk::RESPONSE_ACCEPT
                     ? RC_OK
                     : RC_CANCELLED;
            told = true;
        }
        rc = check_data_version(session, told, rc);
    }
    end_network();
    if (!told && rc != RC_ERROR)
        tell(*this, "Program and Data are Up To Date",
             "You are running the best available version of the program,\nand your data files "
             "are up to date.\nThanks for checking!",
             {});
    return follow_up_after_check(follow_up, rc);
}

RetCode SurveyWindow::check_data_version(NetSession& session, bool& told, RetCode rc) {
    const std::string data_query = app->version_query_url + "data-files";
    const NetAnswer data = session.query(data_query);
    const unsigned data_status = data.answered ? data.status : 0;
    const char* data_version = data.header("X-Current-Data-Version-Is");
    const char* updated = data.header("X-Data-Last-Updated-Is");
    const char* archive = data.header("X-Download-Data-Files-From");
    if (debug_level > 0) {
        printf("data version query response code is %u\n", data_status);
        printf("GET %s returned %u, version %s, last updated %s, url %s\n", data_query.c_str(),
               data_status, or_none(data_version), or_none(updated, "(unknown)"), or_none(archive));
    }
    const DataFileInfo* local = app->data_file_info;
    if (data_status != 200 || !data_version || !updated || !archive) {
        rc = titled_error("Can't reach TAVRO server",
                          "Failed to consistently contact TAVRO server%s",
                          no_answer(data, data_query).c_str());
    } else if (!local || std::string(data_version) != local->timestamp) {
        told = true;
        const int answer =
            tell(*this, "New data files are available",
                 "You are using data files from " + escape_markup(local ? local->updated : "") +
                     ", but data files updated " + escape_markup(updated) +
                     " are now available for download.\nDownload them now and restart the "
                     "program?\nClick Yes to download the new data files,\nor click Cancel to do "
                     "nothing at this time.",
                 {{"gtk-yes", Gtk::RESPONSE_ACCEPT}, {"gtk-cancel", Gtk::RESPONSE_CANCEL}});
        rc = answer == Gtk::RESPONSE_ACCEPT ? download_data_files(&session, archive) : RC_CANCELLED;
    }
    return rc;
}

RetCode SurveyWindow::follow_up_after_check(int follow_up, RetCode rc) {
    if (follow_up == QUIT_PROGRAM) {
        if (check_file_save_okay("exiting this program")) close_for_good();
        return rc;
    }
    if (follow_up == START_NEW_SURVEY) {
        on_action_FileNew("");
        return rc;
    }
    bool rebuild = rc == RC_DATA_UPDATED;
    if (follow_up == OPEN_SAVED_SURVEY) {
        rc = select_and_open_saved_survey();
        rebuild = rebuild && rc != RC_OK;
    }
    if (rebuild) {
        // The pages were built from the old reference data.
        SurveyWindow* rebuilt = SurveyWindow::create(*app);
        app->app->add_window(*rebuilt);
        if (!survey_data.filename.empty()) rebuilt->do_open(survey_data.filename);
        rebuilt->show();
        close_for_good();
    }
    return rc;
}

RetCode SurveyWindow::download_data_files(NetSession* session, const char* url) {
    const std::string folder = app->get_local_data_dir();
    const std::string archive = folder + "/current-offline-data.tar.bz2";
    if (progress) progress->step("Downloading data files");
    const NetAnswer answer = session->download(url, archive);
    const unsigned status = answer.answered ? answer.status : 0;
    const char* type = answer.header("Content-Type");
    if (debug_level > 0)
        printf("data version query response code is %u, type %s\n", status, or_none(type));
    if (status != 200 || !type || std::string(type) != "application/x-bzip2")
        return error("Failed to download data update! (%u)%s", status,
                     no_answer(answer, url).c_str());
    if (debug_level > 0) printf("received archive of %s\n", archive.c_str());
    const DataInstall installed =
        install_data_archive(archive, folder, *session, [](const std::string& dir) {
            MyAppCore check;
            const bool loads = DataFileInfo(dir, false).valid && check.load_data_set(dir) == RC_OK;
            check.discard_readers();
            return loads;
        });
    switch (installed.outcome) {
    case DataInstall::INSTALLED:
        break;
    case DataInstall::REFUSED: {
        std::string why;
        for (const std::string& refused : installed.refused)
            why += (why.empty() ? "" : "\n") + refused;
        return error("Failed to install data update! The downloaded archive is not a data set "
                     "this program takes:\n%s\nThe data files in use stay.",
                     escape_markup(why).c_str());
    }
    case DataInstall::CANCELLED:
        return error("Failed to install data update! Cancelled; the data files in use stay.");
    case DataInstall::UNPACK_FAILED:
        return report_unpack_failure(installed);
    case DataInstall::NOT_LOADED:
    case DataInstall::NOT_PLACED:
        return error("Failed to install data update! The downloaded data files %s; the ones in "
                     "use stay.",
                     installed.outcome == DataInstall::NOT_PLACED ? "could not be put in place"
                                                                  : "are damaged");
    }
    if (app->read_data_files() != RC_OK)
        fatal("Unable to read new data files; you may need to re-install the app.  Sorry!!  :-(");
    tell(*this, "Data File Update Successful", "Data files successfully downloaded and installed.",
         {});
    return RC_DATA_UPDATED;
}
