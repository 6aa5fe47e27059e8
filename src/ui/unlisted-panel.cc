#include "ui/unlisted-panel.h"

#include "ui/survey-window.h"

UnlistedPanel::UnlistedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void UnlistedPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>&, SurveyWindow* survey_window) {
    window = survey_window;
    app = window->app;
}

void UnlistedPanel::refilter() {
    // The page has no lists of its own yet.
}
