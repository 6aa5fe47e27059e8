// The "Confirmation" page: every answer shown and checked before upload.
#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>

class MyApp;
class SurveyWindow;

class ConfirmPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    SurveyWindow* window = nullptr;
    int page_number = -1;
    Gtk::Label* confirm_instructions = nullptr;
    Gtk::CheckButton* confirm_bottom_time = nullptr;

    ConfirmPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, SurveyWindow* window);
    // Checks the survey, shows the verdict and sets is_complete and the
    // Ready and Upload buttons from it.
    void refresh();
};
