// The offer, at start, to restore the surveys of windows that did not close normally.
#include "ui/restore-offer.h"

#include "core/errors.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <gtkmm/messagedialog.h>

std::vector<SurveyWindow*> restore_unsaved_surveys(MyApp& app) {
    std::vector<SurveyWindow*> restored;
    for (RecoveryStore::Orphan& orphan :
         RecoveryStore::scan(app.get_local_data_dir() + "/recovery")) {
        std::string description = app.get_survey_description(orphan.survey_path, nullptr);
        if (description.empty()) description = "A survey the current data files can't describe";
        Gtk::MessageDialog question("Restore unsaved survey?", false, Gtk::MESSAGE_QUESTION,
                                    Gtk::BUTTONS_YES_NO, true);
        question.set_secondary_text(description, false);
        question.set_title("Restore unsaved survey?");
        // No throws the answers away: Return restores them.
        question.set_default_response(Gtk::RESPONSE_YES);
        question.set_icon_list(MyApp::icon_list);
        if (debug_level > 0) printf("offering to restore %s\n", orphan.survey_path.c_str());
        const int response = run_dialog(question);
        question.hide();
        if (response == Gtk::RESPONSE_NO) orphan.discard();
        // Closing the question leaves the survey for the next start.
        if (response != Gtk::RESPONSE_YES) continue;
        SurveyWindow* window = SurveyWindow::create(app);
        app.app->add_window(*window);
        if (window->restore(orphan) != RC_OK) {
            app.app->remove_window(*window);
            delete window;
            continue;
        }
        // The window's own copy first: the answers are never without one on disk.
        if (window->recovery->update()) orphan.discard();
        window->show();
        restored.push_back(window);
    }
    return restored;
}
