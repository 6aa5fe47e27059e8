#include "ui/update-check.h"

#include "core/build-settings.h"
#include "core/misc.h"
#include "core/version.h"
#include "net/data-install.h"
#include "net/server-answers.h"
#include "refdata/data-file-info.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"

#include <cstdio>
#include <gtkmm/messagedialog.h>
#include <optional>

namespace {

// The second line of a report when the server did not answer at all.
std::string no_answer(const NetAnswer& answer, const std::string& url) {
    const std::string why = no_answer_text(answer, url);
    return why.empty() ? "" : "\n" + escape_markup(why).raw();
}

const char* or_none(const std::optional<std::string>& text, const char* none = "(none)") {
    return text ? text->c_str() : none;
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

// A message dialog of the update check; its response.
int UpdateCheck::tell(const Glib::ustring& title, const Glib::ustring& markup,
                      std::initializer_list<std::pair<const char*, int>> buttons) {
    Gtk::MessageDialog dialog(host.dialog_parent(), markup, true, Gtk::MESSAGE_INFO,
                              buttons.size() ? Gtk::BUTTONS_NONE : Gtk::BUTTONS_OK, true);
    for (const auto& [label, response] : buttons)
        dialog.add_button(label, response);
    dialog.set_title(title);
    dialog.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(dialog);
    dialog.hide();
    return response;
}

void UpdateCheck::manual_check() {
    if (host.check_file_save_okay("checking for updates")) check(Host::NOTHING_FURTHER);
}

RetCode UpdateCheck::check(int follow_up) {
    NetSession& session = host.network();
    // A volunteer who cancelled an upload wants no more requests now.
    if (session.cancelled()) {
        host.end_network();
        return follow_up_after_check(follow_up, RC_CANCELLED);
    }
    session.progress->step("Checking for updates");
    RetCode rc = RC_OK;
    bool told = false;
    const std::string program_query = app.version_query_url + "mac";
    const NetAnswer query = session.query(program_query);
    const ProgramOffer offer(query);
    if (debug_level > 0) {
        printf("version query response code is %u\n", offer.status);
        printf("GET %s returned %u, version %s, url %s\n", program_query.c_str(), offer.status,
               or_none(offer.version), or_none(offer.download));
    }
    if (!offer.complete()) {
        rc = titled_error("Can't reach TAVRO server", "Failed to contact TAVRO server%s",
                          no_answer(query, program_query).c_str());
    } else {
        if (*offer.version != BuildInfo::version_str) {
            const Glib::ustring link = escape_markup(*offer.download);
            rc = tell("New program version is available",
                      "You are running version " + escape_markup(BuildInfo::version_str) +
                          " of this program, but version " + escape_markup(*offer.version) +
                          "\nis now available at <a href=\"" + link + "\">" + link + "</a>",
                      {{"gtk-ok", Gtk::RESPONSE_ACCEPT}}) == Gtk::RESPONSE_ACCEPT
                     ? RC_OK
                     : RC_CANCELLED;
            told = true;
        }
        rc = check_data_version(session, told, rc);
    }
    host.end_network();
    if (!told && rc != RC_ERROR)
        tell("Program and Data are Up To Date",
             "You are running the best available version of the program,\nand your data files "
             "are up to date.\nThanks for checking!",
             {});
    return follow_up_after_check(follow_up, rc);
}

RetCode UpdateCheck::check_data_version(NetSession& session, bool& told, RetCode rc) {
    const std::string data_query = app.version_query_url + "data-files";
    const NetAnswer data = session.query(data_query);
    const DataOffer offer(data);
    if (debug_level > 0) {
        printf("data version query response code is %u\n", offer.status);
        printf("GET %s returned %u, version %s, last updated %s, url %s\n", data_query.c_str(),
               offer.status, or_none(offer.version), or_none(offer.updated, "(unknown)"),
               or_none(offer.archive));
    }
    const DataFileInfo* local = app.data_file_info;
    if (!offer.complete()) {
        rc = titled_error("Can't reach TAVRO server",
                          "Failed to consistently contact TAVRO server%s",
                          no_answer(data, data_query).c_str());
    } else if (offer.differs_from(local ? &local->timestamp : nullptr)) {
        told = true;
        const int answer =
            tell("New data files are available",
                 "You are using data files from " + escape_markup(local ? local->updated : "") +
                     ", but data files updated " + escape_markup(*offer.updated) +
                     " are now available for download.\nDownload them now and restart the "
                     "program?\nClick Yes to download the new data files,\nor click Cancel to do "
                     "nothing at this time.",
                 {{"gtk-yes", Gtk::RESPONSE_ACCEPT}, {"gtk-cancel", Gtk::RESPONSE_CANCEL}});
        rc = answer == Gtk::RESPONSE_ACCEPT ? download_data_files(session, *offer.archive)
                                            : RC_CANCELLED;
    }
    return rc;
}

RetCode UpdateCheck::follow_up_after_check(int follow_up, RetCode rc) {
    if (follow_up == Host::QUIT_PROGRAM) {
        if (host.check_file_save_okay("exiting this program")) host.close_for_good();
        return rc;
    }
    if (follow_up == Host::START_NEW_SURVEY) {
        host.on_action_FileNew("");
        return rc;
    }
    bool rebuild = rc == RC_DATA_UPDATED;
    if (follow_up == Host::OPEN_SAVED_SURVEY) {
        rc = host.select_and_open_saved_survey();
        rebuild = rebuild && rc != RC_OK;
    }
    // The pages were built from the old reference data.
    if (rebuild) host.rebuild_from_new_data();
    return rc;
}

RetCode UpdateCheck::download_data_files(NetSession& session, const std::string& url) {
    const std::string folder = app.get_local_data_dir();
    const std::string archive = folder + "/current-offline-data.tar.bz2";
    if (session.progress) session.progress->step("Downloading data files");
    const NetAnswer answer = session.download(url, archive);
    const unsigned status = answer.answered ? answer.status : 0;
    if (debug_level > 0)
        printf("data version query response code is %u, type %s\n", status,
               answer.header("Content-Type") ? answer.header("Content-Type") : "(none)");
    if (!is_data_archive(answer))
        return error("Failed to download data update! (%u)%s", status,
                     no_answer(answer, url).c_str());
    if (debug_level > 0) printf("received archive of %s\n", archive.c_str());
    const DataInstall installed =
        install_data_archive(archive, folder, session, [](const std::string& dir) {
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
    if (app.read_data_files() != RC_OK)
        fatal("Unable to read new data files; you may need to re-install the app.  Sorry!!  :-(");
    tell("Data File Update Successful", "Data files successfully downloaded and installed.", {});
    return RC_DATA_UPDATED;
}
