// The survey file of a window: the pages' answers gathered for the writer,
// and a file's answers put back into the pages.
#include "core/errors.h"
#include "core/misc.h"
#include "core/safe-write.h"
#include "survey/survey-file.h"
#include "survey/survey-reader.h"
#include "survey/survey-writer.h"
#include "ui/confirm-panel.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/my-app.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"
#include "ui/survey-window.h"
#include "ui/unlisted-panel.h"

#include <algorithm>
#include <glibmm/convert.h>

namespace {

int selected_id(const DropDownBox* box) {
    return box ? box->get_selected_id() : -1;
}

Glib::ustring text_of(const Gtk::Entry* entry) {
    return entry ? entry->get_text() : Glib::ustring();
}

bool active(const Gtk::ToggleButton* button) {
    return button && button->get_active();
}

} // namespace

SurveyAnswers SurveyWindow::gather_answers(bool without_member) const {
    SurveyAnswers a;
    const SurveyPanel1* p1 = survey_panel1;
    const SurveyPanel2* p2 = survey_panel2;
    if (!without_member) {
        a.member_id = text_of(member_panel->member_id);
        a.last_name = text_of(member_panel->last_name);
    }
    a.subregion = survey_data.subregion;
    a.survey_subtype = selected_id(p1->survey_subtype);
    a.year = selected_id(p1->year);
    a.month = selected_id(p1->month);
    a.mday = selected_id(p1->mday);
    a.dive_start = selected_id(p1->dive_start);
    a.zonecode = text_of(p1->zonecode);
    a.surface_temp = text_of(p2->surface_temp);
    a.bottom_temp = text_of(p2->bottom_temp);
    a.temp_units = p2->get_temp_units_short();
    a.bottom_time = text_of(p2->bottom_time);
    a.bottom_time_confirmed = confirm_panel && active(confirm_panel->confirm_bottom_time);
    a.visibility = selected_id(p2->visibility);
    a.avg_depth = selected_id(p2->avg_depth);
    a.max_depth = selected_id(p2->max_depth);
    a.current = selected_id(p2->current);
    a.habitat = selected_id(p2->habitat);
    a.species_view = selected_id(listed_panel->species_view);
    a.abundances = survey_data.abundances;
    a.show_common = active(listed_panel->name_display_common);
    a.show_scientific = active(listed_panel->name_display_scientific);
    a.show_both = active(listed_panel->name_display_both);
    a.show_spanish = active(listed_panel->spanish_enable);
    return a;
}

RetCode SurveyWindow::generate_xml_string(Glib::ustring& error_message, bool without_member) {
    return write_survey_xml(gather_answers(without_member), survey_data, app->abundance_choices,
                            survey_data.generated_xml, error_message);
}

namespace {
// A survey file that cannot be loaded: its reason, for the report.
struct NotLoaded {
    Glib::ustring reason;
};
} // namespace

RetCode SurveyWindow::do_open(std::string path) {
    try {
        SurveyDocument document;
        if (!document.load(path)) throw NotLoaded{document.error};
        load_survey(*document.survey);
        Glib::ustring problem;
        // What the pages now show is what the file holds: the saved state.
        if (generate_xml_string(problem, false) != RC_OK) throw NotLoaded{problem};
    } catch (const NotLoaded& failure) {
        const std::string shown = escape_markup(Glib::filename_display_name(path)).raw();
        if (failure.reason.empty())
            return titled_error("ERROR: Survey NOT loaded!", "%s: Unknown error (sorry!)",
                                shown.c_str());
        return titled_error("ERROR: Survey NOT loaded!", "%s: %s", shown.c_str(),
                            escape_markup(failure.reason).c_str());
    }
    survey_data.saved_xml = survey_data.generated_xml;
    survey_data.baseline_xml = survey_data.generated_xml;
    species_stores.show_abundances();
    listed_panel->expand_selected_families();
    unlisted_panel->refilter();
    notebook->set_current_page(confirm_panel->page_number);
    const std::string uploaded = app->get_survey_dir(MyApp::UPLOADED) + "/";
    if (path.compare(0, uploaded.size(), uploaded) == 0) set_survey_is_uploaded();
    survey_data.filename = path;
    // A save checks that nobody changed the file since.
    survey_data.file_etag = file_etag(path);
    return RC_OK;
}

void SurveyWindow::set_survey_is_uploaded() {
    survey_data.already_uploaded = true;
    for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{
             save_button, upload_button, ready_button, member_panel->member_id,
             member_panel->last_name, confirm_panel->confirm_bottom_time})
        if (widget) widget->set_sensitive(false);
    survey_panel1->disable_inputs();
    survey_panel2->disable_inputs();
}

bool SurveyWindow::file_needs_saving() {
    Glib::ustring problem;
    // Member details alone are no survey worth keeping, but only in a window
    // that never held a file: typed into an opened survey, they are a change.
    if (survey_data.filename.empty() && generate_xml_string(problem, true) == RC_OK &&
        survey_data.generated_xml == survey_data.baseline_xml)
        return false;
    // A survey that can't be written can't be told unchanged either.
    if (generate_xml_string(problem, false) != RC_OK) return true;
    return survey_data.generated_xml != survey_data.saved_xml;
}

void SurveyWindow::load_survey(const xmlpp::Element& survey) {
    survey_data = SurveyData();
    SurveyAnswersRead read;
    Glib::ustring problem;
    if (read_survey_answers(survey, *app->region_info, read, problem) != RC_OK)
        throw NotLoaded{problem};
    apply_answers(read);
    member_panel->show_kept_details(false); // the file says whose it is
}

void SurveyWindow::apply_answers(const SurveyAnswersRead& read) {
    const SurveyAnswers& a = read.answers;
    SurveyPanel1& p1 = *survey_panel1;
    SurveyPanel2& p2 = *survey_panel2;
    auto has = [&](const char* name) { return read.has(name); };
    auto text = [&](const char* name, Gtk::Entry* entry, const Glib::ustring& value) {
        if (entry && has(name)) entry->set_text(value);
    };
    auto id = [&](const char* name, DropDownBox* box, int value) {
        if (box && has(name)) box->select_id(value);
    };
    // The location first: it resets the species and sets up what the type,
    // the depths and the species are shown against.
    text("member_id", member_panel->member_id, a.member_id);
    text("last_name", member_panel->last_name, a.last_name);
    if (has("subregion")) p1.setup_for_subregion(a.subregion);
    if (has("survey_subtype")) p1.set_survey_subtype_even_invisible(a.subregion, a.survey_subtype);
    if (has("year")) p1.select_year(a.year);
    id("month", p1.month, a.month);
    id("mday", p1.mday, a.mday);
    id("dive_start", p1.dive_start, a.dive_start);
    text("zonecode", p1.zonecode, a.zonecode);
    text("surface_temp", p2.surface_temp, a.surface_temp);
    text("bottom_temp", p2.bottom_temp, a.bottom_temp);
    if (has("temp_units"))
        p2.temp_units->select_label(a.temp_units == "C"   ? "Celsius"
                                    : a.temp_units == "F" ? "Fahrenheit"
                                                          : "");
    // The text first: editing the bottom time clears the confirmation.
    text("bottom_time", p2.bottom_time, a.bottom_time);
    if (has("bottom_time") && confirm_panel->confirm_bottom_time)
        confirm_panel->confirm_bottom_time->set_active(a.bottom_time_confirmed);
    if (has("depth")) {
        // The other depth is cleared first: a snorkel average sets the
        // maximum too, and newer depth elements still override.
        const bool maximum = old_depth_is_maximum(a.subregion);
        (maximum ? p2.avg_depth : p2.max_depth)->select_label("");
        (maximum ? p2.max_depth : p2.avg_depth)->select_id(read.depth);
    }
    id("visibility", p2.visibility, a.visibility);
    id("avg_depth", p2.avg_depth, a.avg_depth);
    id("max_depth", p2.max_depth, a.max_depth);
    id("current", p2.current, a.current);
    id("habitat", p2.habitat, a.habitat);
    if (has("species_view")) listed_panel->set_species_view_carefully(a.species_view);
    if (has("ids"))
        for (const auto& [species, abun] : a.abundances)
            survey_data.abundances[species] = abun;
}
