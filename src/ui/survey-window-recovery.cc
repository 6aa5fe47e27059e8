// Crash recovery: copies of the open survey while it holds unsaved answers,
// and the offer to restore those of windows that did not close normally.
#include "core/errors.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <glibmm/main.h>
#include <glibmm/miscutils.h>
#include <gtkmm/combobox.h>
#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/togglebutton.h>
#include <stdexcept>

unsigned SurveyWindow::recovery_delay_ms = 2000;

// Every answer the pages take is typed into an entry, chosen in a combo box
// or ticked; the abundances come through on_abundance_menu_item.
void SurveyWindow::watch_for_changes(Gtk::Widget& widget) {
    const auto changed = sigc::mem_fun(*this, &SurveyWindow::note_change);
    if (auto* entry = dynamic_cast<Gtk::Entry*>(&widget))
        entry->signal_changed().connect(changed);
    else if (auto* combo = dynamic_cast<Gtk::ComboBox*>(&widget))
        combo->signal_changed().connect(changed);
    else if (auto* toggle = dynamic_cast<Gtk::ToggleButton*>(&widget))
        toggle->signal_toggled().connect(changed);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            watch_for_changes(*child);
}

void SurveyWindow::note_change() {
    // Only a timer restart per keystroke: the copy is made once typing
    // pauses, but typing that goes on puts it off by two waits at most.
    if (closing || survey_data.already_uploaded) return;
    const gint64 now = g_get_monotonic_time();
    if (!recovery_timer.connected())
        recovery_due_since = now;
    else if (now - recovery_due_since > 2000 * gint64(recovery_delay_ms))
        return;
    recovery_timer.disconnect();
    recovery_timer = Glib::signal_timeout().connect(
        [this] {
            update_recovery();
            return false;
        },
        recovery_delay_ms);
}

bool SurveyWindow::update_recovery() {
    recovery_timer.disconnect();
    if (closing) return true;
    if (!file_needs_saving()) {
        if (recovery) recovery->remove();
        recovery_xml.clear();
        return true;
    }
    Glib::ustring problem;
    // A survey that can't be written has no copy to keep either.
    if (generate_xml_string(problem, false) != RC_OK) return false;
    if (survey_data.generated_xml == recovery_xml) return true;
    if (!recovery)
        recovery = std::make_unique<RecoveryStore>(app->get_local_data_dir() + "/recovery");
    const std::string& path = survey_data.filename;
    try {
        recovery->write(
            survey_data.generated_xml.raw(),
            {path, path.empty() ? "" : Glib::path_get_dirname(path), survey_data.file_etag});
    } catch (const std::exception& e) {
        // Only printed: a report every few seconds would keep the user from working.
        printf("Can't keep a recovery copy of the survey: %s\n", e.what());
        return false;
    }
    recovery_xml = survey_data.generated_xml;
    if (debug_level > 0) printf("recovery copy written to %s\n", recovery->survey_path().c_str());
    return true;
}

void SurveyWindow::drop_recovery() {
    recovery_timer.disconnect();
    if (recovery) recovery->remove();
    // The same answers are not copied again; a further change is.
    recovery_xml = survey_data.generated_xml;
}

RetCode SurveyWindow::restore(const RecoveryStore::Orphan& orphan) {
    const RetCode rc = do_open(orphan.survey_path);
    if (rc != RC_OK) return rc;
    // Save replaces the original only where the store keeps surveys not yet
    // uploaded; any other origin comes back as a survey never saved.
    const RecoveryStore::Origin& origin = orphan.origin;
    const bool keep = orphan.has_origin && !origin.path.empty() &&
                      Glib::path_get_dirname(origin.path) == origin.state_dir &&
                      (origin.state_dir == app->get_survey_dir(MyApp::IN_PROGRESS) ||
                       origin.state_dir == app->get_survey_dir(MyApp::READY_TO_UPLOAD));
    survey_data.filename = keep ? origin.path : "";
    survey_data.file_etag = keep ? origin.etag : "";
    restored = true;
    // None of it is saved until the user saves it.
    survey_data.saved_xml.clear();
    survey_data.baseline_xml.clear();
    recovery_xml.clear();
    if (debug_level > 0)
        printf("restored unsaved survey %s, saved as %s\n", orphan.survey_path.c_str(),
               keep ? origin.path.c_str() : "(never)");
    return RC_OK;
}

std::vector<SurveyWindow*> SurveyWindow::restore_unsaved_surveys(MyApp& app) {
    std::vector<SurveyWindow*> restored;
    for (RecoveryStore::Orphan& orphan :
         RecoveryStore::scan(app.get_local_data_dir() + "/recovery")) {
        std::string description = app.get_survey_description(orphan.survey_path, nullptr);
        if (description.empty()) description = "A survey the current data files can't describe";
        Gtk::MessageDialog question("Restore unsaved survey?", false, Gtk::MESSAGE_QUESTION,
                                    Gtk::BUTTONS_YES_NO, true);
        question.set_secondary_text(description, false);
        question.set_title("Restore unsaved survey?");
        question.set_icon_list(MyApp::icon_list);
        if (debug_level > 0) printf("offering to restore %s\n", orphan.survey_path.c_str());
        const int response = run_dialog(question);
        question.hide();
        if (response == Gtk::RESPONSE_NO) orphan.discard();
        // Closing the question leaves the survey for the next start.
        if (response != Gtk::RESPONSE_YES) continue;
        SurveyWindow* window = create(app);
        app.app->add_window(*window);
        if (window->restore(orphan) != RC_OK) {
            app.app->remove_window(*window);
            delete window;
            continue;
        }
        // The window's own copy first: the answers are never without one on disk.
        if (window->update_recovery()) orphan.discard();
        window->show();
        restored.push_back(window);
    }
    return restored;
}
