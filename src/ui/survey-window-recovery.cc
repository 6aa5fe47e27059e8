// Crash recovery: the window's side of the copies of its unsaved answers.
#include "core/errors.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <glibmm/miscutils.h>
#include <gtkmm/combobox.h>
#include <gtkmm/entry.h>
#include <gtkmm/togglebutton.h>

// Every answer the pages take is typed into an entry, chosen in a combo box
// or ticked; the abundances come through on_abundance_menu_item.
void SurveyWindow::note_change() {
    if (!closing && !survey_data.already_uploaded && recovery) recovery->note_change();
}

bool SurveyWindow::holds_unsaved() {
    return !closing && file_needs_saving();
}

bool SurveyWindow::current_document(std::string& document) {
    Glib::ustring problem;
    if (generate_xml_string(problem, false) != RC_OK) return false;
    document = survey_data.generated_xml.raw();
    return true;
}

RecoveryStore::Origin SurveyWindow::origin() const {
    const std::string& path = survey_data.filename;
    return {path, path.empty() ? "" : Glib::path_get_dirname(path), survey_data.file_etag};
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
    saves->restored = true;
    // None of it is saved until the user saves it.
    survey_data.saved_xml.clear();
    survey_data.baseline_xml.clear();
    recovery->forget_written();
    if (debug_level > 0)
        printf("restored unsaved survey %s, saved as %s\n", orphan.survey_path.c_str(),
               keep ? origin.path.c_str() : "(never)");
    return RC_OK;
}
