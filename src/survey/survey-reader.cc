#include "survey/survey-reader.h"

#include "refdata/region-info.h"
#include "survey/survey-file.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <libxml++/nodes/commentnode.h>
#include <libxml++/nodes/element.h>
#include <map>

namespace {

// The reason a survey can't be read.
struct NotRead {
    Glib::ustring reason;
};

// The writer's order, and the legacy depth before the depths that replaced
// it: the location sets up what the type, the depth and the species are
// read against, and a later element overrides what an earlier one set.
const char* const ORDER[] = {
    "member_id",   "last_name",    "subregion",  "survey_subtype", "year",        "month",
    "mday",        "dive_start",   "zonecode",   "surface_temp",   "bottom_temp", "temp_units",
    "bottom_time", "depth",        "visibility", "avg_depth",      "max_depth",   "current",
    "habitat",     "species_view", "ids"};

const std::map<std::string, Glib::ustring SurveyAnswers::*> TEXTS = {
    {"member_id", &SurveyAnswers::member_id},     {"last_name", &SurveyAnswers::last_name},
    {"zonecode", &SurveyAnswers::zonecode},       {"surface_temp", &SurveyAnswers::surface_temp},
    {"bottom_temp", &SurveyAnswers::bottom_temp}, {"bottom_time", &SurveyAnswers::bottom_time}};

const std::map<std::string, int SurveyAnswers::*> IDS = {
    {"month", &SurveyAnswers::month},
    {"mday", &SurveyAnswers::mday},
    {"dive_start", &SurveyAnswers::dive_start},
    {"visibility", &SurveyAnswers::visibility},
    {"avg_depth", &SurveyAnswers::avg_depth},
    {"max_depth", &SurveyAnswers::max_depth},
    {"current", &SurveyAnswers::current},
    {"habitat", &SurveyAnswers::habitat},
    {"species_view", &SurveyAnswers::species_view}};

bool skipped(const xmlpp::Node* node) {
    return is_white_space(node) || dynamic_cast<const xmlpp::CommentNode*>(node);
}

// The survey's elements by name, the last of each name.
std::map<std::string, const xmlpp::Node*> elements_of(const xmlpp::Element& survey) {
    std::map<std::string, const xmlpp::Node*> found;
    for (const xmlpp::Node* node : survey.get_children()) {
        if (skipped(node)) continue;
        const Glib::ustring name = node->get_name();
        if (std::find_if(std::begin(ORDER), std::end(ORDER),
                         [&](const char* known) { return name == known; }) == std::end(ORDER))
            throw NotRead{"TAVRO Survey has unknown tag '" + name + "'"};
        found[name.raw()] = node;
    }
    return found;
}

void read_species(const xmlpp::Node& ids, std::map<int, int>& abundances) {
    for (const xmlpp::Node* node : ids.get_children()) {
        if (skipped(node)) continue;
        if (node->get_name() != "species")
            throw NotRead{"TAVRO Survey has a problem - unknown tag \"" + node->get_name() +
                          "\" in ids section"};
        const int id = get_numeric_attr(node, "id");
        const int abun = get_numeric_attr(node, "abun");
        if (id <= 0 || abun < 0 || (abun == 0 && get_attr(node, "abun") != "0"))
            throw NotRead{
                format("TAVRO Survey has invalid id (%d) or abundance (%d) for species", id, abun)};
        if (debug_level >= 3) printf("loading: species id %d abun %d\n", id, abun);
        abundances[id] = abun;
    }
}

// A year only as four digits: anything else is no year the date box offers.
int year_of(const Glib::ustring& text) {
    const bool digits =
        text.size() == 4 && text.raw().find_first_not_of("0123456789") == std::string::npos;
    return digits ? atoi(text.c_str()) : 0;
}

// The elements that depend on the location; true when name is one of them.
bool read_located(const std::string& name, const xmlpp::Node* node, const RegionInfo& regions,
                  SurveyAnswersRead& read) {
    SurveyAnswers& a = read.answers;
    const Glib::ustring text = get_content(node);
    if (name == "subregion") {
        if (debug_level > 0) printf("loading subregion %s\n", text.c_str());
        a.subregion = text;
    } else if (name != "survey_subtype" && name != "depth" && name != "ids") {
        return false;
    }
    if (a.subregion.empty()) throw NotRead{"Can't load survey - empty subregion!"};
    if (name == "subregion") {
        // A location the data set no longer has has no catalogue to show.
        if (!regions.subregion_name_by_code.count(text))
            throw NotRead{"Can't load survey - location " + text +
                          " is not in the current data files!"};
    } else if (name == "survey_subtype") {
        a.survey_subtype = atoi(text.c_str());
        if (a.survey_subtype != -1 && !regions.find_subtype(a.survey_subtype))
            throw NotRead{format("Can't load survey - survey type %d is not in the current "
                                 "data files!",
                                 a.survey_subtype)};
    } else if (name == "depth") {
        read.depth = atoi(text.c_str());
        const bool maximum = old_depth_is_maximum(a.subregion);
        (maximum ? a.avg_depth : a.max_depth) = -1;
        (maximum ? a.max_depth : a.avg_depth) = read.depth;
    } else {
        read_species(*node, a.abundances);
    }
    return true;
}

void read_element(const std::string& name, const xmlpp::Node* node, const RegionInfo& regions,
                  SurveyAnswersRead& read) {
    SurveyAnswers& a = read.answers;
    read.present.insert(name);
    if (read_located(name, node, regions, read)) return;
    const Glib::ustring text = get_content(node);
    if (auto text_answer = TEXTS.find(name); text_answer != TEXTS.end())
        a.*(text_answer->second) = text;
    else if (auto id_answer = IDS.find(name); id_answer != IDS.end())
        a.*(id_answer->second) = atoi(text.c_str());
    else if (name == "year")
        a.year = year_of(text);
    else if (name == "temp_units")
        a.temp_units = text == "C" ? "C" : "F";
    if (name == "bottom_time") a.bottom_time_confirmed = get_numeric_attr(node, "confirmed") != 0;
}

} // namespace

bool old_depth_is_maximum(const Glib::ustring& subregion) {
    return subregion == "PNW" || subregion == "CAL";
}

RetCode read_survey_answers(const xmlpp::Element& survey, const RegionInfo& regions,
                            SurveyAnswersRead& read, Glib::ustring& error_message) {
    read = SurveyAnswersRead();
    error_message.clear();
    try {
        const auto found = elements_of(survey);
        for (const char* name : ORDER) {
            auto at = found.find(name);
            if (at != found.end()) read_element(name, at->second, regions, read);
        }
        return RC_OK;
    } catch (const NotRead& failure) {
        error_message = failure.reason;
    }
    return RC_ERROR;
}

SurveyAnswersRead repeat_dive(const SurveyAnswers& first) {
    SurveyAnswersRead repeat;
    repeat.answers = first;
    repeat.answers.abundances.clear();
    repeat.answers.dive_start = -1;
    repeat.answers.bottom_time.clear();
    repeat.answers.bottom_time_confirmed = false;
    repeat.present = {"member_id",  "last_name",   "subregion", "survey_subtype", "year",
                      "month",      "mday",        "zonecode",  "surface_temp",   "bottom_temp",
                      "temp_units", "visibility",  "avg_depth", "max_depth",      "current",
                      "habitat",    "species_view"};
    return repeat;
}
