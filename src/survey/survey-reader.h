// A survey file's answers, read from its parsed "survey" element.
#pragma once

#include "core/errors.h"
#include "survey/survey-answers.h"

#include <glibmm/ustring.h>
#include <set>
#include <string>

class RegionInfo;
namespace xmlpp {
class Element;
}

struct SurveyAnswersRead {
    // The old "depth" is in the depths here unless a newer element set them.
    SurveyAnswers answers;
    // The names of the elements the file has. An answer whose element is
    // absent stays as the page had it.
    std::set<std::string> present;
    int depth = -1; // the old "depth", when present
    bool has(const char* name) const { return present.count(name) > 0; }
};

// What a second dive at the same site takes from the first survey: the
// member, location, type, zone, date, species view and the conditions of the
// dive, never the species or the times (dive start, bottom time).
SurveyAnswersRead repeat_dive(const SurveyAnswers& first);

// Older files knew one depth: the maximum on the Pacific coast, the average
// elsewhere.
bool old_depth_is_maximum(const Glib::ustring& subregion);

// Each element counts wherever it stands (a later one of a name wins);
// comments are skipped. Locations and survey types are checked against
// regions. RC_ERROR, with the reason in error_message, for a survey this
// data set can't show.
RetCode read_survey_answers(const xmlpp::Element& survey, const RegionInfo& regions,
                            SurveyAnswersRead& read, Glib::ustring& error_message);
