#include "ui/listed-panel.h"

#include "ui/survey-window.h"

ListedPanel::ListedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void ListedPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                 SurveyWindow* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget("species_tree", species_tree);
    if (species_tree) species_tree->set_model(window->listed_store);
}

RetCode ListedPanel::setup_for_subregion(const Glib::ustring&) {
    return RC_OK;
}

void ListedPanel::setup_instructions(const RegionFishInfo&) {}

RetCode ListedPanel::update_for_view() {
    return RC_OK;
}
