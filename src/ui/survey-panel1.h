// The "Survey Info Part 1" page: where and when the survey took place.
#pragma once

#include <glibmm/ustring.h>
#include <gtkmm/builder.h>
#include <gtkmm/entry.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>
#include <gtkmm/treeview.h>

class DropDownBox;
class MyApp;
class SurveyWindow;

class SurveyPanel1 : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    SurveyWindow* window = nullptr;
    // Readable description of the zone code typed; the window title shows it.
    Glib::ustring zone_description;
    // While set, this page's change handlers do nothing.
    bool triggers_suppressed = true;
    DropDownBox* subregion = nullptr;
    DropDownBox* survey_subtype = nullptr;
    DropDownBox* month = nullptr;
    DropDownBox* mday = nullptr;
    DropDownBox* year = nullptr;
    DropDownBox* dive_start = nullptr;
    Gtk::Entry* zonecode = nullptr;
    Gtk::Label* zone_name_status = nullptr;
    Gtk::Label* zone_name = nullptr;
    Gtk::Entry* zone_search = nullptr;
    Gtk::Label* no_geog_matches = nullptr;
    Gtk::TreeView* geog_tree = nullptr;
    int page_number = -1;

    SurveyPanel1(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, SurveyWindow* window);

    // Shows this page and puts the keyboard focus on widget.
    void focus_on(Gtk::Widget* widget);
    // Read-only page for uploaded surveys; the zone finder stays usable.
    void disable_inputs();
    // Dive start as four digits ("0700"); "0000" when none or midnight.
    Glib::ustring get_dive_start_string() const;
};
