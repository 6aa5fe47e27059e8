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
#include "ui/page-navigator.h"
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

RetCode SurveyWindow::do_save(MyApp::WhichDir which, DoSaveFlags flags) {
    return saves->save(which, flags);
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
    fresh->survey_panel1->take_location_and_type(*survey_panel1);
    fresh->listed_panel->take_name_options(*listed_panel);
    Glib::ustring problem;
    if (fresh->generate_xml_string(problem, true) == RC_OK)
        fresh->survey_data.baseline_xml = fresh->survey_data.generated_xml;
    if (fresh->generate_xml_string(problem, false) == RC_OK)
        fresh->survey_data.saved_xml = fresh->survey_data.generated_xml;
    fresh->notebook->set_current_page(member.empty() || name.empty()
                                          ? fresh->member_panel->page_number
                                          : fresh->survey_panel1->page_number);
    fresh->show();
    fresh->navigator->focus_page_start(true);
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

RetCode SurveyWindow::write_file(const std::string& path, const char* data, unsigned long length) {
    try {
        replace_file_contents(path, std::string(data, length), "");
        return RC_OK;
    } catch (...) {
        return error("FAILED to write to %s!\n%s", escape_markup(path).c_str(),
                     escape_markup(reason_of(std::current_exception())).c_str());
    }
}
