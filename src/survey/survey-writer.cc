#include "survey/survey-writer.h"

#include "core/misc.h"
#include "core/version.h"
#include "refdata/abundance-choices.h"
#include "survey/survey-data.h"

#include <algorithm>
#include <cstdio>
#include <glibmm/exception.h>
#include <libxml++/document.h>
#include <stdexcept>

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

namespace {

// Control characters typed or pasted into an entry are no XML 1.0: written
// out, they would make a file that can never be opened again.
Glib::ustring xml_text(const Glib::ustring& text) {
    Glib::ustring kept;
    for (gunichar c : text)
        if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            if (c != 0xFFFE && c != 0xFFFF) kept += c;
    return kept;
}

Glib::ustring trimmed(const Glib::ustring& text) {
    return xml_text(trim_ws(text));
}

void write_answers(xmlpp::Element* survey, const SurveyAnswers& a) {
    auto add = [&](const char* name, const Glib::ustring& text) {
        xmlpp::Element* element = survey->add_child(name);
        element->add_child_text(text);
        return element;
    };
    auto add_id = [&](const char* name, const char* form, int id) { add(name, format(form, id)); };
    add("member_id", trimmed(a.member_id));
    add("last_name", trimmed(a.last_name));
    add("subregion", xml_text(a.subregion));
    add_id("survey_subtype", "%d", a.survey_subtype);
    add_id("year", "%04d", a.year);
    add_id("month", "%02d", a.month);
    add_id("mday", "%02d", a.mday);
    add_id("dive_start", "%d", a.dive_start);
    add("zonecode", trimmed(a.zonecode));
    add("surface_temp", trimmed(a.surface_temp));
    add("bottom_temp", trimmed(a.bottom_temp));
    add("temp_units", a.temp_units.empty() ? "F" : a.temp_units);
    add("bottom_time", trimmed(a.bottom_time))
        ->set_attribute("confirmed", a.bottom_time_confirmed ? "1" : "0");
    add_id("visibility", "%d", a.visibility);
    add_id("avg_depth", "%d", a.avg_depth);
    add_id("max_depth", "%d", a.max_depth);
    add_id("current", "%d", a.current);
    add_id("habitat", "%d", a.habitat);
    add_id("species_view", "%d", a.species_view);
}

// The abundance list a species is recorded with; null when there is none.
const std::vector<AbundanceChoices::Choice>* list_for(int id, const SurveyData& survey,
                                                      const AbundanceChoices* choices) {
    // Species the catalogue does not know are taken for fish.
    const RegionFishInfo::Species* species =
        survey.region_fish_info ? survey.region_fish_info->find_species(id) : nullptr;
    if (species && species->invertebratetype == 2)
        return choices ? &choices->choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE) : nullptr;
    if (survey.subtype_abundance_choices) return &survey.subtype_abundance_choices->choices;
    return nullptr;
}

void write_species(xmlpp::Element* ids, const SurveyAnswers& answers, const SurveyData& survey,
                   const AbundanceChoices* choices) {
    for (const auto& [id, stored] : answers.abundances) {
        // Species the chosen type and view hide are not part of the survey.
        if (stored < 1 || !survey.records_species(id)) continue;
        int abun = stored;
        if (survey.survey_subtype && !survey.survey_subtype->has_abundance && abun >= 2)
            abun = 1; // presence only
        const std::vector<AbundanceChoices::Choice>* list = list_for(id, survey, choices);
        if (!list || list->empty())
            throw std::runtime_error(format("Internal error: abun %d -> no list?!", abun));
        // As the pages show it: beyond the list is its last category.
        abun = std::min(abun, static_cast<int>(list->size()) - 1);
        const int resp = (*list)[abun].responseid;
        if (resp <= 0)
            throw std::runtime_error(format("Internal error: abun %d -> resp %d?!", abun, resp));
        xmlpp::Element* entry = ids->add_child("species");
        entry->set_attribute("id", format("%04d", id));
        entry->set_attribute("abun", format("%d", abun));
        entry->set_attribute("resp", format("%d", resp));
    }
}

Glib::ustring document_text(const SurveyAnswers& answers, const SurveyData& survey,
                            const AbundanceChoices* choices) {
    const SurveyXMLinfo info;
    xmlpp::Document document("1.0");
    xmlpp::Element* root = document.create_root_node(info.root_tag);
    root->set_attribute("version", info.get_current_version_str());
    root->set_attribute("software_version", BuildInfo::version_str);
    root->set_attribute("software_build", BuildInfo::date_str);
    root->set_attribute("software_platform", xml_text(platform_line()));
    xmlpp::Element* element = root->add_child("survey");
    write_answers(element, answers);
    write_species(element->add_child("ids"), answers, survey, choices);
    return document.write_to_string_formatted("UTF-8");
}

} // namespace

RetCode write_survey_xml(const SurveyAnswers& answers, const SurveyData& survey,
                         const AbundanceChoices* choices, Glib::ustring& text,
                         Glib::ustring& error_message) {
    error_message.clear();
    try {
        text = document_text(answers, survey, choices);
        return RC_OK;
    } catch (const std::exception& e) {
        error_message = e.what();
    } catch (const Glib::Exception& e) {
        error_message = e.what();
    } catch (const char* message) {
        error_message = message;
    } catch (const std::string& message) {
        error_message = message;
    } catch (...) {
        error_message = "Unknown xml-generation error (sorry!)";
    }
    if (error_message.empty()) error_message = "Unknown xml-generation exception (sorry!)";
    return RC_ERROR;
}
