#include "ui/survey-panel1.h"

#include "core/errors.h"
#include "refdata/data-defs.h"
#include "refdata/region-info.h"
#include "ui/drop-down-box.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <ctime>

namespace {
// The data set's dive start list begins at midnight; the small hours go last.
const unsigned DIVE_START_ROTATION = 6;
} // namespace

SurveyPanel1::SurveyPanel1(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void SurveyPanel1::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                  SurveyWindow* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget_derived("subregion", subregion);
    builder->get_widget_derived("survey_subtype", survey_subtype);
    builder->get_widget_derived("month", month);
    builder->get_widget_derived("mday", mday);
    builder->get_widget_derived("year", year);
    builder->get_widget_derived("dive_start", dive_start);
    builder->get_widget("zonecode", zonecode);
    builder->get_widget("zone_name_status", zone_name_status);
    builder->get_widget("zone_name", zone_name);
    builder->get_widget("zone_search", zone_search);
    builder->get_widget("no_geog_matches", no_geog_matches);
    builder->get_widget("geog_tree", geog_tree);

    if (dive_start && app && app->data_defs) {
        auto group = app->data_defs->defs.find("divestart");
        if (group != app->data_defs->defs.end())
            dive_start->init(group->second.values, group->second.labels, -1, DIVE_START_ROTATION);
    }
    if (month)
        month->init({{1, "January"},
                     {2, "February"},
                     {3, "March"},
                     {4, "April"},
                     {5, "May"},
                     {6, "June"},
                     {7, "July"},
                     {8, "August"},
                     {9, "September"},
                     {10, "October"},
                     {11, "November"},
                     {12, "December"}},
                    0);
    if (mday) {
        std::vector<int> ids;
        std::vector<Glib::ustring> labels;
        for (int day = 1; day <= 31; ++day) {
            ids.push_back(day);
            labels.push_back(Glib::ustring::format(day));
        }
        mday->init(ids, labels, 0, 0);
    }
    if (year) {
        time_t now = time(nullptr);
        struct tm local;
        localtime_r(&now, &local);
        int this_year = local.tm_year + 1900;
        year->init({{this_year, Glib::ustring::format(this_year)},
                    {this_year - 1, Glib::ustring::format(this_year - 1)},
                    {this_year - 2, Glib::ustring::format(this_year - 2)},
                    {this_year - 3, Glib::ustring::format(this_year - 3)}},
                   0);
    }
    for (DropDownBox* box : {month, mday, year, dive_start})
        if (box)
            box->signal_changed().connect(sigc::mem_fun(*window, &SurveyWindow::set_title_string));
    if (subregion && app && app->region_info)
        subregion->init(app->region_info->subregion_name_values, app->region_info->subregion_names,
                        -1, 0);
    for (Gtk::Widget* widget :
         {static_cast<Gtk::Widget*>(survey_subtype), static_cast<Gtk::Widget*>(zonecode),
          static_cast<Gtk::Widget*>(zone_search)})
        if (widget) widget->set_sensitive(false);
    if (zone_name) zone_name->set_text("");
    if (zone_name_status) zone_name_status->set_text("");
    if (no_geog_matches) no_geog_matches->hide();
    triggers_suppressed = false;
}

void SurveyPanel1::focus_on(Gtk::Widget* widget) {
    window->notebook->set_current_page(page_number);
    if (widget) widget->grab_focus();
}

void SurveyPanel1::disable_inputs() {
    Gtk::Widget* controls[] = {subregion, survey_subtype, month,           mday,
                               year,      dive_start,     zonecode,        zone_name_status,
                               zone_name, zone_search,    no_geog_matches, geog_tree};
    for (Gtk::Widget* widget : controls)
        if (widget) widget->set_sensitive(false);
    // An uploaded survey's zone can still be looked up.
    if (zone_search) zone_search->set_sensitive(true);
    if (geog_tree) geog_tree->set_sensitive(true);
}

Glib::ustring SurveyPanel1::get_dive_start_string() const {
    int id = dive_start ? dive_start->get_selected_id() : -1;
    if (id == 24 || id == -1) return "0000";
    return format("%04d", id * 100);
}
