// Saving the open survey into the store, the question before its answers
// are left unsaved, and deleting a saved survey.
#include "ui/save-flow.h"

#include "app/store-files.h"
#include "core/errors.h"
#include "core/misc.h"
#include "core/safe-write.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/update-check.h"

#include <cstdio>
#include <giomm/file.h>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/stock.h>
#include <stdexcept>
#include <unistd.h>

bool SaveFlow::ask_to_save_as_new(const std::string& folder) {
    const std::string stem = host.survey_file_name();
    std::string next = folder + "/" + stem + SURVEY_EXTENSION;
    for (int counter = 1; Glib::file_test(next, Glib::FILE_TEST_EXISTS) ||
                          Glib::file_test(next, Glib::FILE_TEST_IS_SYMLINK);
         ++counter)
        next = folder + "/" + stem + format("-%d", counter) + SURVEY_EXTENSION;
    return ask_or_cancel(host.dialog_parent(), "Survey Changed Meanwhile",
                         "The saved survey was changed after this copy was made.",
                         "Saved survey: " + survey.filename +
                             "\n\nThe restored answers can be saved as a new survey: " + next +
                             "\n\nBoth are then kept.",
                         "Save as a New Survey");
}

RetCode SaveFlow::save(MyAppCore::WhichDir which, Host::DoSaveFlags flags) {
    const char* const title = "ERROR: Survey NOT Saved!!!";
    if (survey.subregion.empty())
        return titled_error(title,
                            "Sorry, you must select a location before you can save a survey!");
    if (survey.already_uploaded)
        return titled_error(title,
                            "This survey was already uploaded and cannot be changed offline.");
    // Answers restored after a crash whose original changed (or went) since
    // never replace it: they become a survey of their own, in In Progress,
    // so that two versions of one dive are never both sent.
    if (restored && !survey.filename.empty() && file_etag(survey.filename) != survey.file_etag) {
        const std::string folder = app.get_survey_dir(MyAppCore::IN_PROGRESS);
        if (!ask_to_save_as_new(folder)) return RC_CANCELLED;
        survey.filename.clear();
        survey.file_etag.clear();
        which = MyAppCore::IN_PROGRESS;
    }
    // A failed save leaves the survey with the file it had, so that the next
    // save still moves that file instead of leaving a second copy behind.
    const std::string had_file = survey.filename, had_etag = survey.file_etag;
    const std::string folder = app.get_survey_dir(which);
    const std::string tried = !had_file.empty() && Glib::path_get_dirname(had_file) == folder
                                  ? had_file
                                  : folder + "/" + host.survey_file_name() + SURVEY_EXTENSION;
    try {
        Glib::ustring problem;
        if (host.generate_xml_string(problem, false) != RC_OK) throw std::runtime_error(problem);
        const SavedSurvey saved =
            save_survey_file(folder, host.survey_file_name(), survey.generated_xml.raw(),
                             survey.filename, survey.file_etag);
        took_file(saved.path, saved.etag, had_file, had_etag);
        survey.saved_xml = survey.generated_xml;
        restored = false;
        recovery.drop(survey.generated_xml.raw());
        // Only as this survey left it: a file changed by someone else since stays.
        if (!superseded_file.empty() && superseded_file != saved.path &&
            file_etag(superseded_file) == superseded_etag)
            unlink(superseded_file.c_str());
        superseded_file.clear();
        host.refresh_survey_list();
    } catch (const FolderNotSynced& unsure) {
        // The file is in place but may not outlive a power cut: the survey
        // counts as unsaved, and its copy of the answers stays.
        took_file(unsure.path, unsure.etag, had_file, had_etag);
        host.refresh_survey_list();
        recovery.update();
        return titled_error(title, "FAILED to save survey to %s!\n%s",
                            escape_markup(unsure.path).c_str(),
                            escape_markup(unsure.what()).c_str());
    } catch (...) {
        const Glib::ustring reason = reason_of(std::current_exception());
        return titled_error(title, "FAILED to save survey to %s!\n%s", escape_markup(tried).c_str(),
                            escape_markup(reason).c_str());
    }
    if (flags != Host::SAVE_SILENT) report_save(flags);
    return RC_OK;
}

void SaveFlow::report_save(Host::DoSaveFlags flags) {
    Gtk::MessageDialog saved(host.dialog_parent(),
                             "Survey saved to " + survey.filename +
                                 "\n\nTo return to this survey later, select Open Survey under "
                                 "the File menu.",
                             false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, false);
    saved.set_title("Survey Saved");
    saved.set_icon_list(MyApp::icon_list);
    if (flags == Host::SAVE_OFFER_NEXT) {
        saved.add_button("Open Saved Survey", UpdateCheck::Host::OPEN_SAVED_SURVEY);
        saved.add_button("Start New Survey", UpdateCheck::Host::START_NEW_SURVEY);
        saved.add_button("Quit Program", UpdateCheck::Host::QUIT_PROGRAM);
    }
    saved.add_button("_OK", Gtk::RESPONSE_OK);
    // Return acknowledges; the other answers are a click away.
    saved.set_default_response(Gtk::RESPONSE_OK);
    const int response = run_dialog(saved);
    saved.hide();
    if (response == UpdateCheck::Host::OPEN_SAVED_SURVEY) host.select_and_open_saved_survey();
    if (response == UpdateCheck::Host::START_NEW_SURVEY)
        host.on_action_FileNew("after survey save");
    if (response == UpdateCheck::Host::QUIT_PROGRAM && check_file_save_okay("exiting this program"))
        host.close_for_good();
}

void SaveFlow::took_file(const std::string& path, const std::string& etag,
                         const std::string& had_file, const std::string& had_etag) {
    survey.filename = path;
    survey.file_etag = etag;
    if (had_file.empty() || had_file == path) return;
    // The same survey in another store folder, or under its safe name: its
    // old file goes once the new one is surely on the disk. A file outside
    // the store, or one whose answers gave it another name, stays.
    const std::string old_folder = Glib::path_get_dirname(had_file);
    if ((old_folder == app.get_survey_dir(MyAppCore::IN_PROGRESS) ||
         old_folder == app.get_survey_dir(MyAppCore::READY_TO_UPLOAD)) &&
        same_survey_name(Glib::path_get_basename(had_file), host.survey_file_name()))
        superseded_file = had_file, superseded_etag = had_etag;
}

bool SaveFlow::check_file_save_okay(const Glib::ustring& action) {
    if (!host.file_needs_saving()) return true;
    if (debug_level > 0)
        printf("check_file_save_okay(\"%s\"):\n    last saved = %s\n    now = %s\n", action.c_str(),
               survey.saved_xml.c_str(), survey.generated_xml.c_str());
    Gtk::MessageDialog question(host.dialog_parent(),
                                "Survey has been changed without being saved!\nSave it before " +
                                    action +
                                    "?\nClick Save to save and proceed,\nNo to <b>abandon your "
                                    "survey</b>,\nor Cancel to do nothing instead of " +
                                    action + ".",
                                true, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    question.add_button(Gtk::Stock::SAVE, Gtk::RESPONSE_ACCEPT);
    question.add_button(Gtk::Stock::NO, Gtk::RESPONSE_NO);
    question.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
    // Return must never abandon a survey.
    question.set_default_response(Gtk::RESPONSE_CANCEL);
    question.set_title("Survey Not Saved Yet!");
    question.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(question);
    question.hide();
    if (response == Gtk::RESPONSE_NO) {
        recovery.drop(survey.generated_xml.raw());
        return true;
    }
    if (response == Gtk::RESPONSE_ACCEPT)
        return save(MyAppCore::IN_PROGRESS, Host::SAVE_REPORT_ONLY) == RC_OK;
    return false;
}

bool SaveFlow::maybe_delete_survey(const std::string& path) {
    // A file of the store that the list shows as corrupted can be deleted as
    // well; a file from elsewhere that reads as no survey is left alone.
    std::string description = app.get_survey_description(path, nullptr);
    const std::string folder = Glib::path_get_dirname(path);
    bool in_store = false;
    for (MyAppCore::WhichDir which : MyAppCore::STATE_FOLDERS)
        in_store = in_store || folder == app.get_survey_dir(which);
    in_store = in_store && is_listed_survey(path);
    if (description.empty() && in_store) description = "(corrupted survey file)";
    if (description.empty()) {
        titled_error("Not a survey file?", "%s does not appear to be a saved survey file!",
                     escape_markup(path).c_str());
        return false;
    }
    Gtk::MessageDialog question(host.dialog_parent(),
                                "Really delete this survey?\n\n" + escape_markup(description), true,
                                Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, true);
    question.add_button(Gtk::Stock::YES, Gtk::RESPONSE_ACCEPT);
    question.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
    question.set_default_response(Gtk::RESPONSE_CANCEL);
    question.set_title("Really delete saved survey?");
    question.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(question);
    question.hide();
    if (response != Gtk::RESPONSE_ACCEPT) return false;
    // The trash keeps it for a change of mind; where the desktop has none,
    // it goes as it always did.
    bool trashed = false;
    try {
        trashed = Gio::File::create_for_path(path)->trash();
    } catch (const Gio::Error& e) {
        if (debug_level > 0) printf("no trash for %s: %s\n", path.c_str(), e.what().c_str());
    }
    if (!trashed && unlink(path.c_str()) != 0) {
        titled_error_errno("Deletion Failed", "Failed to delete survey file %s",
                           escape_markup(path).c_str());
        return false;
    }
    host.refresh_survey_list();
    deleted.emit(description, trashed);
    return true;
}
