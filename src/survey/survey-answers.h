// Every answer of one survey, as the pages hold it: what the file writer
// writes and the file reader reads, with no widget in between.
#pragma once

#include <glibmm/ustring.h>
#include <map>

struct SurveyAnswers {
    // Texts as typed; the writer trims them.
    Glib::ustring member_id;
    Glib::ustring last_name;
    Glib::ustring subregion; // empty: no location chosen
    int survey_subtype = -1; // -1: none
    // Drop-down ids; 0 when none is chosen.
    int year = 0;
    int month = 0;
    int mday = 0;
    int dive_start = -1; // -1: none
    Glib::ustring zonecode;
    Glib::ustring surface_temp;
    Glib::ustring bottom_temp;
    Glib::ustring temp_units; // "C", "F" or empty
    Glib::ustring bottom_time;
    bool bottom_time_confirmed = false;
    // The drop-downs' selected ids, -1 when none is.
    int visibility = -1;
    int avg_depth = -1;
    int max_depth = -1;
    int current = -1;
    int habitat = -1;
    int species_view = -1;
    // Species id to abundance category; 0 means not seen.
    std::map<int, int> abundances;
    // How the Listed Species page names species; no part of the file.
    bool show_common = false;
    bool show_scientific = false;
    bool show_both = true;
    bool show_spanish = false;

    bool operator==(const SurveyAnswers& other) const;
    bool operator!=(const SurveyAnswers& other) const { return !(*this == other); }
};
