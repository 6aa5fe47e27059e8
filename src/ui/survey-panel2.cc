#include "ui/survey-panel2.h"

#include "core/misc.h"
#include "refdata/data-defs.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "ui/drop-down-box.h"
#include "ui/my-app.h"
#include "ui/page-host.h"

#include <cstdio>

namespace {

const char* const NO_LOCATION_TEXT =
    "<i>Please select a survey location on the Survey Info Part 1 tab.</i>";
const char* const FULL_SURVEY_INSTRUCTIONS =
    "Please enter information about your survey conditions:";
const char* const SPECIES_ONLY_INSTRUCTIONS =
    "Please enter information about your survey conditions; since this is a species-only "
    "survey, all fields are optional except bottom time:";

// The list of a code table or region; a name the data set lacks gives an empty list.
template <typename Map>
const FromCSV::Def& def_or_empty(const Map& defs, const Glib::ustring& key) {
    static const FromCSV::Def no_items;
    auto it = defs.find(key);
    return it == defs.end() ? no_items : it->second;
}

void fill_from_group(DropDownBox* box, const MyApp* app, const char* group) {
    if (!box || !app || !app->data_defs) return;
    const FromCSV::Def& def = def_or_empty(app->data_defs->defs, group);
    box->init(def.values, def.labels, -1, 0);
}

// Markup with one line per habitat of the region, in the order of its habitat codes.
Glib::ustring habitat_description(const HabitatInfo& info, const Glib::ustring& region) {
    Glib::ustring descr;
    auto it = info.habitats_by_region.find(region);
    if (it == info.habitats_by_region.end()) return descr;
    for (int id : it->second) {
        // Unused region codes hold -1; an id the habitat file never defined has
        // nothing to show.
        if (id < 0) continue;
        const size_t i = static_cast<size_t>(id);
        if (i >= info.habitat_names.size() || i >= info.habitat_descrs.size()) continue;
        if (info.habitat_names[i].empty() && info.habitat_descrs[i].empty()) continue;
        if (!descr.empty()) descr += "\n";
        descr += "<b>" + escape_markup(info.habitat_names[i]) + "</b> " +
                 escape_markup(info.habitat_descrs[i]);
    }
    return descr;
}

} // namespace

SurveyPanel2::SurveyPanel2(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void SurveyPanel2::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window) {
    this->window = window;
    app = window ? window->app : nullptr;

    builder->get_widget("sp2_instructions", sp2_instructions);
    builder->get_widget("surface_temp", surface_temp);
    builder->get_widget("optional1", optional1);
    builder->get_widget("bottom_temp", bottom_temp);
    builder->get_widget("optional2", optional2);
    builder->get_widget_derived("temp_units", temp_units);
    builder->get_widget("bottom_time", bottom_time);
    builder->get_widget_derived("visibility", visibility);
    builder->get_widget("label_avg_depth", label_avg_depth);
    builder->get_widget_derived("avg_depth", avg_depth);
    builder->get_widget("label_max_depth", label_max_depth);
    builder->get_widget_derived("max_depth", max_depth);
    builder->get_widget_derived("current", current);
    builder->get_widget_derived("habitat", habitat);
    builder->get_widget("habitat_descr", habitat_descr);

    if (temp_units) {
        temp_units->init({{0, "Fahrenheit"}, {1, "Celsius"}}, -1);
        temp_units->set_active(0);
    }
    fill_from_group(visibility, app, "visibility");
    fill_from_group(avg_depth, app, "depth");
    fill_from_group(max_depth, app, "depth");
    fill_from_group(current, app, "current");

    if (habitat_descr) habitat_descr->set_markup(NO_LOCATION_TEXT);

    if (avg_depth)
        avg_depth->signal_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel2::on_avg_depth_changed));
    if (max_depth)
        max_depth->signal_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel2::on_max_depth_changed));
    if (bottom_time)
        bottom_time->signal_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel2::on_bottom_time_changed));
}

RetCode SurveyPanel2::setup_for_subregion(const Glib::ustring&) {
    if (!window || window->survey_data.region.empty()) return RC_INTERNAL_ERROR;
    const Glib::ustring& region = window->survey_data.region;
    const HabitatInfo* info = app ? app->habitat_info : nullptr;
    if (habitat && info) {
        const FromCSV::Def& def = def_or_empty(info->habitat_defs, region);
        habitat->init(def.values, def.labels, -1, 0);
    } else if (habitat) {
        habitat->init({}, -1);
    }
    const Glib::ustring descr = info ? habitat_description(*info, region) : Glib::ustring();
    if (habitat_descr) habitat_descr->set_markup(descr);
    return RC_OK;
}

RetCode SurveyPanel2::setup_for_survey_subtype() {
    const Region* subtype = window ? window->survey_data.survey_subtype : nullptr;
    // Until a survey type is chosen the page asks for everything, as it does at start.
    const bool species_only = subtype && !subtype->has_abundance;
    if (sp2_instructions)
        sp2_instructions->set_text(species_only ? SPECIES_ONLY_INSTRUCTIONS
                                                : FULL_SURVEY_INSTRUCTIONS);
    for (Gtk::Label* marker : {optional1, optional2}) {
        if (!marker) continue;
        if (species_only)
            marker->hide();
        else
            marker->show();
    }
    return RC_OK;
}

// An unusual bottom time confirmed on the Confirmation page has to be confirmed
// again once it is edited.
void SurveyPanel2::on_bottom_time_changed() const {
    if (window) window->bottom_time_edited();
}

// A snorkel survey has no depth: both depth boxes show "Snorkel" and the maximum
// depth is locked until another average depth is chosen.
void SurveyPanel2::on_avg_depth_changed() const {
    if (!avg_depth || !max_depth) return;
    const Glib::ustring avg = avg_depth->get_selected_label();
    if (debug_level >= 2) printf("avg_depth: %s\n", avg.c_str());
    if (avg != MAGIC_SNORKEL_DEPTH) {
        if (max_depth->get_sensitive()) return;
        max_depth->select_label("");
        max_depth->set_sensitive(true);
        return;
    }
    const Glib::ustring max = max_depth->get_selected_label();
    if (max == MAGIC_SNORKEL_DEPTH) return;
    if (debug_level >= 2)
        printf("\tmax_depth: %s; setting to %s\n", max.c_str(), MAGIC_SNORKEL_DEPTH.c_str());
    max_depth->select_label(MAGIC_SNORKEL_DEPTH);
    max_depth->set_sensitive(false);
}

void SurveyPanel2::on_max_depth_changed() const {
    if (!avg_depth || !max_depth) return;
    const Glib::ustring max = max_depth->get_selected_label();
    if (debug_level >= 2) printf("max_depth: %s\n", max.c_str());
    if (max != MAGIC_SNORKEL_DEPTH) return;
    const Glib::ustring avg = avg_depth->get_selected_label();
    if (avg == MAGIC_SNORKEL_DEPTH) return;
    if (debug_level >= 2)
        printf("\tavg_depth: %s; setting to %s\n", avg.c_str(), MAGIC_SNORKEL_DEPTH.c_str());
    avg_depth->select_label(MAGIC_SNORKEL_DEPTH);
    max_depth->set_sensitive(false);
}

void SurveyPanel2::disable_inputs() {
    Gtk::Widget* widgets[] = {sp2_instructions, surface_temp, optional1,       bottom_temp,
                              optional2,        temp_units,   bottom_time,     visibility,
                              label_avg_depth,  avg_depth,    label_max_depth, max_depth,
                              current,          habitat,      habitat_descr};
    for (Gtk::Widget* w : widgets)
        if (w) w->set_sensitive(false);
    // The texts stay readable on a survey that can no longer be changed.
    if (sp2_instructions) sp2_instructions->set_sensitive(true);
    if (habitat_descr) habitat_descr->set_sensitive(true);
}

Glib::ustring SurveyPanel2::get_temp_units_short() const {
    if (!temp_units) return Glib::ustring();
    return temp_units->get_selected_label().substr(0, 1);
}
