// The "Survey Info Part 2" page: dive conditions (temperatures, bottom time,
// visibility, depths, current, habitat). Its widgets hold the answers.
#pragma once

#include "core/errors.h"

#include <glibmm/ustring.h>
#include <gtkmm/builder.h>
#include <gtkmm/entry.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>

class DropDownBox;
class MyApp;
class PageHost;

class SurveyPanel2 : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    PageHost* window = nullptr;
    int page_number = -1;
    Gtk::Label* sp2_instructions = nullptr;
    Gtk::Entry* surface_temp = nullptr;
    Gtk::Label* optional1 = nullptr;
    Gtk::Entry* bottom_temp = nullptr;
    Gtk::Label* optional2 = nullptr;
    DropDownBox* temp_units = nullptr;
    Gtk::Entry* bottom_time = nullptr;
    DropDownBox* visibility = nullptr;
    Gtk::Label* label_avg_depth = nullptr;
    DropDownBox* avg_depth = nullptr;
    Gtk::Label* label_max_depth = nullptr;
    DropDownBox* max_depth = nullptr;
    DropDownBox* current = nullptr;
    DropDownBox* habitat = nullptr;
    Gtk::Label* habitat_descr = nullptr;

    SurveyPanel2(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    ~SurveyPanel2() override = default;

    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window);

    // Refills the habitat list and descriptions for the survey's region.
    RetCode setup_for_subregion(const Glib::ustring& subregion_code);
    // Adapts the instructions and optional markers to the chosen survey type.
    RetCode setup_for_survey_subtype();

    void on_bottom_time_changed() const;
    void on_avg_depth_changed() const;
    void on_max_depth_changed() const;

    // Read-only page for uploaded surveys; the texts stay readable.
    void disable_inputs();
    // "F" or "C"; empty when no unit is selected.
    Glib::ustring get_temp_units_short() const;
};
