// The survey file of a window: written from the pages' widgets, read back
// into them.
#include "core/errors.h"
#include "core/misc.h"
#include "core/safe-write.h"
#include "core/version.h"
#include "refdata/abundance-choices.h"
#include "refdata/region-info.h"
#include "survey/survey-file.h"
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
#include <cstdio>
#include <glibmm/convert.h>
#include <iterator>
#include <libxml++/document.h>
#include <libxml++/exceptions/exception.h>
#include <libxml++/nodes/commentnode.h>
#include <map>
#include <stdexcept>

namespace {

// The first line "uname -a" prints; it does not change while the program runs.
const Glib::ustring& platform_line() {
    static const Glib::ustring line = [] {
        std::string text;
        if (FILE* pipe = popen("uname -a", "r")) {
            for (int c; (c = fgetc(pipe)) != EOF && c != '\n';)
                text += static_cast<char>(c);
            pclose(pipe);
        }
        return Glib::ustring(text).validate() ? Glib::ustring(text) : Glib::ustring();
    }();
    return line;
}

// Control characters typed or pasted into an entry are no XML 1.0: written
// out, they would make a file that can never be opened again.
Glib::ustring xml_text(const Glib::ustring& text) {
    Glib::ustring kept;
    for (gunichar c : text)
        if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            if (c != 0xFFFE && c != 0xFFFF) kept += c;
    return kept;
}

int selected_id(const DropDownBox* box) {
    return box ? box->get_selected_id() : -1;
}

Glib::ustring trimmed(const Gtk::Entry* entry) {
    return entry ? xml_text(trim_ws(entry->get_text())) : Glib::ustring();
}

} // namespace

RetCode SurveyWindow::generate_xml_string(Glib::ustring& error_message, bool without_member) {
    error_message.clear();
    try {
        const SurveyXMLinfo info;
        xmlpp::Document document("1.0");
        xmlpp::Element* root = document.create_root_node(info.root_tag);
        root->set_attribute("version", info.get_current_version_str());
        root->set_attribute("software_version", BuildInfo::version_str);
        root->set_attribute("software_build", BuildInfo::date_str);
        root->set_attribute("software_platform", xml_text(platform_line()));
        xmlpp::Element* survey = root->add_child("survey");
        auto add = [&](const char* name, const Glib::ustring& text) {
            xmlpp::Element* element = survey->add_child(name);
            element->add_child_text(text);
            return element;
        };
        const SurveyPanel1* p1 = survey_panel1;
        const SurveyPanel2* p2 = survey_panel2;
        add("member_id", without_member ? "" : trimmed(member_panel->member_id));
        add("last_name", without_member ? "" : trimmed(member_panel->last_name));
        add("subregion", xml_text(survey_data.subregion));
        add("survey_subtype", format("%d", selected_id(p1->survey_subtype)));
        add("year", format("%04d", selected_id(p1->year)));
        add("month", format("%02d", selected_id(p1->month)));
        add("mday", format("%02d", selected_id(p1->mday)));
        add("dive_start", format("%d", selected_id(p1->dive_start)));
        add("zonecode", trimmed(p1->zonecode));
        add("surface_temp", trimmed(p2->surface_temp));
        add("bottom_temp", trimmed(p2->bottom_temp));
        const Glib::ustring units = p2->get_temp_units_short();
        add("temp_units", units.empty() ? "F" : units);
        const bool confirmed = confirm_panel && confirm_panel->confirm_bottom_time &&
                               confirm_panel->confirm_bottom_time->get_active();
        add("bottom_time", trimmed(p2->bottom_time))
            ->set_attribute("confirmed", confirmed ? "1" : "0");
        add("visibility", format("%d", selected_id(p2->visibility)));
        add("avg_depth", format("%d", selected_id(p2->avg_depth)));
        add("max_depth", format("%d", selected_id(p2->max_depth)));
        add("current", format("%d", selected_id(p2->current)));
        add("habitat", format("%d", selected_id(p2->habitat)));
        add("species_view", format("%d", selected_id(listed_panel->species_view)));
        xmlpp::Element* ids = survey->add_child("ids");
        for (const auto& [id, stored] : survey_data.abundances) {
            // Species the chosen type and view hide are not part of the survey.
            if (stored == 0 || !survey_data.is_recorded(id)) continue;
            int abun = stored;
            if (survey_data.survey_subtype && !survey_data.survey_subtype->has_abundance &&
                abun >= 2)
                abun = 1; // presence only
            // Species the catalogue does not know are taken for fish.
            const RegionFishInfo::Species* species =
                survey_data.region_fish_info ? survey_data.region_fish_info->find_species(id)
                                             : nullptr;
            const std::vector<AbundanceChoices::Choice>* list = nullptr;
            if (species && species->invertebratetype == 2)
                list = app->abundance_choices ? &app->abundance_choices->choices_for(
                                                    AbundanceChoices::INVERTEBRATE_SUBTYPE)
                                              : nullptr;
            else if (survey_data.subtype_abundance_choices)
                list = &survey_data.subtype_abundance_choices->choices;
            if (!list || list->empty())
                throw std::runtime_error(format("Internal error: abun %d -> no list?!", abun));
            // As the pages show it: beyond the list is its last category.
            abun = std::min(abun, static_cast<int>(list->size()) - 1);
            const int resp = (*list)[abun].responseid;
            if (resp <= 0)
                throw std::runtime_error(
                    format("Internal error: abun %d -> resp %d?!", abun, resp));
            xmlpp::Element* entry = ids->add_child("species");
            entry->set_attribute("id", format("%04d", id));
            entry->set_attribute("abun", format("%d", abun));
            entry->set_attribute("resp", format("%d", resp));
        }
        survey_data.generated_xml = document.write_to_string_formatted("UTF-8");
        return RC_OK;
    } catch (const std::exception& e) {
        error_message = e.what();
    } catch (const Glib::Exception& e) {
        error_message = e.what();
    } catch (const char* text) {
        error_message = text;
    } catch (const std::string& text) {
        error_message = text;
    } catch (...) {
        error_message = "Unknown xml-generation error (sorry!)";
    }
    if (error_message.empty()) error_message = "Unknown xml-generation exception (sorry!)";
    return RC_ERROR;
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
    listed_store->foreach_iter(sigc::mem_fun(*this, &SurveyWindow::update_from_abundance));
    unlisted_store->foreach_iter(sigc::mem_fun(*this, &SurveyWindow::update_from_abundance));
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
    SurveyPanel1& p1 = *survey_panel1;
    SurveyPanel2& p2 = *survey_panel2;
    const RegionInfo& regions = *app->region_info;
    Glib::ustring subregion; // the survey's location, once read
    auto need_location = [&] {
        if (subregion.empty()) throw NotLoaded{"Can't load survey - empty subregion!"};
    };
    auto by_id = [](DropDownBox* box, const Glib::ustring& text) {
        if (box) box->select_id(atoi(text.c_str()));
    };
    // Each element wherever it stands (a later one of a name wins); they are
    // applied in the order the writer uses, since the location sets up what
    // the survey type, the depth and the species are read against.
    static const char* const order[] = {
        "member_id",   "last_name",    "subregion",  "survey_subtype", "year",        "month",
        "mday",        "dive_start",   "zonecode",   "surface_temp",   "bottom_temp", "temp_units",
        "bottom_time", "depth",        "visibility", "avg_depth",      "max_depth",   "current",
        "habitat",     "species_view", "ids"};
    std::map<Glib::ustring, const xmlpp::Node*> found;
    for (const xmlpp::Node* node : survey.get_children()) {
        if (is_white_space(node) || dynamic_cast<const xmlpp::CommentNode*>(node)) continue;
        const Glib::ustring name = node->get_name();
        if (std::find_if(std::begin(order), std::end(order),
                         [&](const char* known) { return name == known; }) == std::end(order))
            throw NotLoaded{"TAVRO Survey has unknown tag '" + name + "'"};
        found[name] = node;
    }
    for (const char* element : order) {
        auto at = found.find(element);
        if (at == found.end()) continue;
        const xmlpp::Node* node = at->second;
        const Glib::ustring name = element;
        const Glib::ustring text = get_content(node);
        if (name == "member_id") {
            member_panel->member_id->set_text(text);
        } else if (name == "last_name") {
            member_panel->last_name->set_text(text);
        } else if (name == "subregion") {
            if (debug_level > 0) printf("loading subregion %s\n", text.c_str());
            subregion = text;
            need_location();
            // A location the data set no longer has has no catalogue to show.
            if (!regions.subregion_name_by_code.count(text))
                throw NotLoaded{"Can't load survey - location " + text +
                                " is not in the current data files!"};
            p1.setup_for_subregion(text);
        } else if (name == "survey_subtype") {
            need_location();
            const int id = atoi(text.c_str());
            if (id != -1 && !regions.find_subtype(id))
                throw NotLoaded{format("Can't load survey - survey type %d is not in the current "
                                       "data files!",
                                       id)};
            p1.set_survey_subtype_even_invisible(subregion, id);
        } else if (name == "year") {
            // A survey older than the years offered keeps its year.
            const int year = atoi(text.c_str());
            if (year > 0 && text.size() == 4 &&
                text.raw().find_first_not_of("0123456789") == std::string::npos) {
                bool offered = false;
                for (const auto& item : p1.year->items)
                    offered = offered || item.second == text;
                if (!offered) p1.year->add_item(year, text);
            }
            p1.year->select_label(text == "0000" ? Glib::ustring() : text);
        } else if (name == "month") {
            by_id(p1.month, text);
        } else if (name == "mday") {
            by_id(p1.mday, text);
        } else if (name == "dive_start") {
            by_id(p1.dive_start, text);
        } else if (name == "zonecode") {
            p1.zonecode->set_text(text);
        } else if (name == "surface_temp") {
            p2.surface_temp->set_text(text);
        } else if (name == "bottom_temp") {
            p2.bottom_temp->set_text(text);
        } else if (name == "temp_units") {
            p2.temp_units->select_label(text == "C" ? "Celsius" : "Fahrenheit");
        } else if (name == "bottom_time") {
            // The text first: editing the bottom time clears the confirmation.
            p2.bottom_time->set_text(text);
            if (confirm_panel->confirm_bottom_time)
                confirm_panel->confirm_bottom_time->set_active(
                    get_numeric_attr(node, "confirmed") != 0);
        } else if (name == "visibility") {
            by_id(p2.visibility, text);
        } else if (name == "avg_depth") {
            by_id(p2.avg_depth, text);
        } else if (name == "max_depth") {
            by_id(p2.max_depth, text);
        } else if (name == "current") {
            by_id(p2.current, text);
        } else if (name == "habitat") {
            by_id(p2.habitat, text);
        } else if (name == "species_view") {
            listed_panel->set_species_view_carefully(atoi(text.c_str()));
        } else if (name == "depth") {
            // Older files knew one depth: the maximum on the Pacific coast,
            // the average elsewhere.
            need_location();
            const bool maximum = subregion == "PNW" || subregion == "CAL";
            (maximum ? p2.avg_depth : p2.max_depth)->select_label("");
            by_id(maximum ? p2.max_depth : p2.avg_depth, text);
        } else if (name == "ids") {
            need_location();
            load_species(*node);
        }
    }
}

void SurveyWindow::load_species(const xmlpp::Node& ids) {
    for (const xmlpp::Node* node : ids.get_children()) {
        if (is_white_space(node) || dynamic_cast<const xmlpp::CommentNode*>(node)) continue;
        if (node->get_name() != "species")
            throw NotLoaded{"TAVRO Survey has a problem - unknown tag \"" + node->get_name() +
                            "\" in ids section"};
        const int id = get_numeric_attr(node, "id");
        const int abun = get_numeric_attr(node, "abun");
        if (id <= 0 || abun < 0 || (abun == 0 && get_attr(node, "abun") != "0"))
            throw NotLoaded{
                format("TAVRO Survey has invalid id (%d) or abundance (%d) for species", id, abun)};
        if (debug_level >= 3) printf("loading: species id %d abun %d\n", id, abun);
        survey_data.abundances[id] = abun;
    }
}
