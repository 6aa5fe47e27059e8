// The "Start/Open Survey" page: the saved surveys and what can be done with them.
#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/grid.h>
#include <gtkmm/treeview.h>
#include <string>

class MyApp;
class SurveyWindow;

class StartPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    SurveyWindow* window = nullptr;
    int page_number = -1;
    Gtk::TreeView* survey_tree = nullptr;
    Gtk::Button* updates_button = nullptr;
    Gtk::Button* new_survey_button = nullptr;
    Gtk::Button* upload_all_button = nullptr;
    Gtk::Button* edit_view_button = nullptr;
    Gtk::Button* mark_button = nullptr;
    Gtk::Button* upload_button = nullptr;
    Gtk::Button* delete_button = nullptr;

    StartPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, SurveyWindow* window);

    // Path of the survey under the list's cursor; empty when none is chosen.
    std::string lookup_selected_survey();
    // Opens the chosen survey in a new window.
    void on_edit_view_button();
    // The buttons as they are while no survey is chosen.
    void deselect_survey();

private:
    void on_updates_button();
    void on_new_survey_button();
    void on_upload_all_button();
};
