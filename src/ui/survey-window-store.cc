// Saving, opening, starting and deleting surveys in the survey store.
#include "app/store-files.h"
#include "core/errors.h"
#include "core/misc.h"
#include "core/safe-write.h"
#include "ui/dialogs.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/my-app.h"
#include "ui/start-panel.h"
#include "ui/survey-chooser.h"
#include "ui/survey-panel1.h"
#include "ui/survey-window.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <giomm/file.h>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/stock.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

std::string SurveyWindow::survey_file_name() const {
    const SurveyPanel1& p1 = *survey_panel1;
    return survey_file_stem(
        trim_ws(member_panel->member_id->get_text()).raw(), survey_data.subregion.raw(),
        p1.year->get_selected_id(), p1.month->get_selected_id(), p1.mday->get_selected_id(),
        p1.get_dive_start_string().raw(), trim_ws(p1.zonecode->get_text()).raw());
}

bool SurveyWindow::ask_to_save_as_new(const std::string& folder) {
    const std::string stem = survey_file_name();
    std::string next = folder + "/" + stem + SURVEY_EXTENSION;
    for (int counter = 1; Glib::file_test(next, Glib::FILE_TEST_EXISTS) ||
                          Glib::file_test(next, Glib::FILE_TEST_IS_SYMLINK);
         ++counter)
        next = folder + "/" + stem + format("-%d", counter) + SURVEY_EXTENSION;
    return ask_or_cancel(*this, "Survey Changed Meanwhile",
                         "The saved survey was changed after this copy was made.",
                         "Saved survey: " + survey_data.filename +
                             "\n\nThe restored answers can be saved as a new survey: " + next +
                             "\n\nBoth are then kept.",
                         "Save as a New Survey");
}

RetCode SurveyWindow::do_save(MyApp::WhichDir which, DoSaveFlags flags) {
    const char* const title = "ERROR: Survey NOT Saved!!!";
    if (survey_data.subregion.empty())
        return titled_error(title,
                            "Sorry, you must select a location before you can save a survey!");
    if (survey_data.already_uploaded)
        return titled_error(title,
                            "This survey was already uploaded and cannot be changed offline.");
    // Answers restored after a crash whose original changed (or went) since
    // never replace it: they become a survey of their own, in In Progress,
    // so that two versions of one dive are never both sent.
    if (restored && !survey_data.filename.empty() &&
        file_etag(survey_data.filename) != survey_data.file_etag) {
        const std::string folder = app->get_survey_dir(MyApp::IN_PROGRESS);
        if (!ask_to_save_as_new(folder)) return RC_CANCELLED;
        survey_data.filename.clear();
        survey_data.file_etag.clear();
        which = MyApp::IN_PROGRESS;
    }
    // A failed save leaves the survey with the file it had, so that the next
    // save still moves that file instead of leaving a second copy behind.
    const std::string had_file = survey_data.filename, had_etag = survey_data.file_etag;
    const std::string folder = app->get_survey_dir(which);
    const std::string tried = !had_file.empty() && Glib::path_get_dirname(had_file) == folder
                                  ? had_file
                                  : folder + "/" + survey_file_name() + SURVEY_EXTENSION;
    try {
        Glib::ustring problem;
        if (generate_xml_string(problem, false) != RC_OK) throw std::runtime_error(problem);
        const SavedSurvey saved =
            save_survey_file(folder, survey_file_name(), survey_data.generated_xml.raw(),
                             survey_data.filename, survey_data.file_etag);
        took_file(saved.path, saved.etag, had_file, had_etag);
        survey_data.saved_xml = survey_data.generated_xml;
        restored = false;
        recovery->drop(survey_data.generated_xml.raw());
        // Only as this survey left it: a file changed by someone else since stays.
        if (!superseded_file.empty() && superseded_file != saved.path &&
            file_etag(superseded_file) == superseded_etag)
            unlink(superseded_file.c_str());
        superseded_file.clear();
        start_panel->build_survey_model();
    } catch (const FolderNotSynced& unsure) {
        // The file is in place but may not outlive a power cut: the survey
        // counts as unsaved, and its copy of the answers stays.
        took_file(unsure.path, unsure.etag, had_file, had_etag);
        start_panel->build_survey_model();
        recovery->update();
        return titled_error(title, "FAILED to save survey to %s!\n%s",
                            escape_markup(unsure.path).c_str(),
                            escape_markup(unsure.what()).c_str());
    } catch (...) {
        const Glib::ustring reason = reason_of(std::current_exception());
        return titled_error(title, "FAILED to save survey to %s!\n%s", escape_markup(tried).c_str(),
                            escape_markup(reason).c_str());
    }
    if (flags != SAVE_SILENT) report_save(flags);
    return RC_OK;
}

void SurveyWindow::report_save(DoSaveFlags flags) {
    Gtk::MessageDialog saved(*this,
                             "Survey saved to " + survey_data.filename +
                                 "\n\nTo return to this survey later, select Open Survey under "
                                 "the File menu.",
                             false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, false);
    saved.set_title("Survey Saved");
    saved.set_icon_list(MyApp::icon_list);
    if (flags == SAVE_OFFER_NEXT) {
        saved.add_button("Open Saved Survey", OPEN_SAVED_SURVEY);
        saved.add_button("Start New Survey", START_NEW_SURVEY);
        saved.add_button("Quit Program", QUIT_PROGRAM);
    }
    saved.add_button("_OK", Gtk::RESPONSE_OK);
    const int response = run_dialog(saved);
    saved.hide();
    if (response == OPEN_SAVED_SURVEY) select_and_open_saved_survey();
    if (response == START_NEW_SURVEY) on_action_FileNew("after survey save");
    if (response == QUIT_PROGRAM && check_file_save_okay("exiting this program")) close_for_good();
}

void SurveyWindow::took_file(const std::string& path, const std::string& etag,
                             const std::string& had_file, const std::string& had_etag) {
    survey_data.filename = path;
    survey_data.file_etag = etag;
    if (had_file.empty() || had_file == path) return;
    // The same survey in another store folder, or under its safe name: its
    // old file goes once the new one is surely on the disk. A file outside
    // the store, or one whose answers gave it another name, stays.
    const std::string old_folder = Glib::path_get_dirname(had_file);
    if ((old_folder == app->get_survey_dir(MyApp::IN_PROGRESS) ||
         old_folder == app->get_survey_dir(MyApp::READY_TO_UPLOAD)) &&
        same_survey_name(Glib::path_get_basename(had_file), survey_file_name()))
        superseded_file = had_file, superseded_etag = had_etag;
}

bool SurveyWindow::check_file_save_okay(const Glib::ustring& action) {
    if (!file_needs_saving()) return true;
    if (debug_level > 0)
        printf("check_file_save_okay(\"%s\"):\n    last saved = %s\n    now = %s\n", action.c_str(),
               survey_data.saved_xml.c_str(), survey_data.generated_xml.c_str());
    Gtk::MessageDialog question(*this,
                                "Survey has been changed without being saved!\nSave it before " +
                                    action +
                                    "?\nClick Save to save and proceed,\nNo to <b>abandon your "
                                    "survey</b>,\nor Cancel to do nothing instead of " +
                                    action + ".",
                                true, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    question.add_button(Gtk::Stock::SAVE, Gtk::RESPONSE_ACCEPT);
    question.add_button(Gtk::Stock::NO, Gtk::RESPONSE_NO);
    question.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
    question.set_title("Survey Not Saved Yet!");
    question.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(question);
    question.hide();
    if (response == Gtk::RESPONSE_NO) {
        recovery->drop(survey_data.generated_xml.raw());
        return true;
    }
    if (response == Gtk::RESPONSE_ACCEPT)
        return do_save(MyApp::IN_PROGRESS, SAVE_REPORT_ONLY) == RC_OK;
    return false;
}

void SurveyWindow::on_filedlg_update_preview(Gtk::FileChooserDialog* dialog, Gtk::Label* preview) {
    preview->hide();
    const std::string file = dialog->get_preview_filename();
    if (file.empty()) return;
    const std::string description = app->get_survey_description(file, nullptr);
    if (description.empty()) return;
    preview->set_text(description);
    preview->show();
}

RetCode SurveyWindow::select_and_open_saved_survey() {
    if (debug_level >= 3)
        printf("survey dir is %s\n", app->get_survey_dir(MyApp::IN_PROGRESS).c_str());
    if (!check_file_save_okay("closing it to open a different survey")) return RC_CANCELLED;
    const std::string file = choose_survey_file(
        *this, app->get_survey_dir(MyApp::IN_PROGRESS), "Open saved survey", "_Open", "open",
        [this](auto* c, auto* l) { on_filedlg_update_preview(c, l); });
    return file.empty() ? RC_CANCELLED : replace_with_survey(file);
}

void SurveyWindow::on_action_FileOpen(const std::string&) {
    select_and_open_saved_survey();
}

void SurveyWindow::on_action_FileNew(const std::string&) {
    if (!check_file_save_okay("closing it to start a new survey")) return;
    SurveyWindow* fresh = SurveyWindow::create(*app);
    app->app->add_window(*fresh);
    // What stays the same from survey to survey is carried over.
    const Glib::ustring member = trim_ws(member_panel->member_id->get_text());
    const Glib::ustring name = trim_ws(member_panel->last_name->get_text());
    fresh->member_panel->member_id->set_text(member);
    fresh->member_panel->last_name->set_text(name);
    const Glib::ustring location = survey_panel1->subregion->get_selected_label();
    if (!location.empty()) fresh->survey_panel1->subregion->select_label(location);
    const int subtype = survey_panel1->survey_subtype->get_selected_id();
    if (subtype != survey_panel1->survey_subtype->unset_id)
        fresh->survey_panel1->survey_subtype->select_id(subtype);
    for (auto [from, to] :
         {std::make_pair(listed_panel->name_display_common,
                         fresh->listed_panel->name_display_common),
          std::make_pair(listed_panel->name_display_scientific,
                         fresh->listed_panel->name_display_scientific),
          std::make_pair(listed_panel->name_display_both, fresh->listed_panel->name_display_both)})
        if (from && to) to->set_active(from->get_active());
    if (listed_panel->spanish_enable && fresh->listed_panel->spanish_enable)
        fresh->listed_panel->spanish_enable->set_active(listed_panel->spanish_enable->get_active());
    Glib::ustring problem;
    if (fresh->generate_xml_string(problem, true) == RC_OK)
        fresh->survey_data.baseline_xml = fresh->survey_data.generated_xml;
    if (fresh->generate_xml_string(problem, false) == RC_OK)
        fresh->survey_data.saved_xml = fresh->survey_data.generated_xml;
    fresh->notebook->set_current_page(member.empty() || name.empty()
                                          ? fresh->member_panel->page_number
                                          : fresh->survey_panel1->page_number);
    fresh->show();
    close_for_good();
}

void SurveyWindow::on_action_FileDelete(const std::string&) {
    if (debug_level >= 3)
        printf("survey dir is %s\n", app->get_survey_dir(MyApp::SURVEY_ROOT).c_str());
    const std::string file = choose_survey_file(
        *this, app->get_survey_dir(MyApp::SURVEY_ROOT), "Delete saved survey", "_Delete", "delete",
        [this](auto* c, auto* l) { on_filedlg_update_preview(c, l); });
    if (!file.empty()) maybe_delete_survey(file);
}

bool SurveyWindow::maybe_delete_survey(const std::string& path) {
    const std::string description = app->get_survey_description(path, nullptr);
    if (description.empty()) {
        titled_error("Not a survey file?", "%s does not appear to be a saved survey file!",
                     escape_markup(path).c_str());
        return false;
    }
    Gtk::MessageDialog question(*this,
                                "Really delete this survey?\n\n" + escape_markup(description), true,
                                Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, true);
    question.add_button(Gtk::Stock::YES, Gtk::RESPONSE_ACCEPT);
    question.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
    question.set_title("Really delete saved survey?");
    question.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(question);
    question.hide();
    if (response != Gtk::RESPONSE_ACCEPT) return false;
    if (unlink(path.c_str()) != 0) {
        titled_error_errno("Deletion Failed", "Failed to delete survey file %s",
                           escape_markup(path).c_str());
        return false;
    }
    start_panel->build_survey_model();
    return true;
}

RetCode SurveyWindow::write_file(const std::string& path, const char* data, unsigned long length) {
    try {
        replace_file_contents(path, std::string(data, length), "");
        return RC_OK;
    } catch (...) {
        return error("FAILED to write to %s!\n%s", escape_markup(path).c_str(),
                     escape_markup(reason_of(std::current_exception())).c_str());
    }
}
