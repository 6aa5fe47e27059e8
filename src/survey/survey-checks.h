// What the Confirmation page finds missing or unlikely in a survey's answers,
// worked out without the window: each answer as the page shows it, and
// whether the survey may be marked ready.
#pragma once

#include "survey/survey-answers.h"

#include <glibmm/ustring.h>
#include <vector>

class DataDefs;
class DataParams;
class HabitatInfo;
class RegionFishInfo;
class RegionInfo;
class SurveyData;

// The answers the page lists, in its order.
enum class SurveyField {
    member_id,
    last_name,
    survey_type,
    survey_date,
    dive_start,
    zone_code,
    surface_temp,
    bottom_temp,
    bottom_time,
    visibility,
    avg_depth,
    max_depth,
    current,
    habitat,
    total_species,
};

// A failing answer shows in red bold: its caption and the failing part of its value.
// FAULT_END closes what fault_start() (core/palette.h) opens.
extern const Glib::ustring FAULT_END;
Glib::ustring fault_markup(const Glib::ustring& markup);

struct CalendarDay {
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;
};
// The local date of now.
CalendarDay local_today();

// The readers whose lists and limits the checks use; a missing one gives no
// labels, and limits of 0.
struct CheckReference {
    const RegionInfo* regions = nullptr;
    const DataDefs* defs = nullptr;
    const DataParams* params = nullptr;
    const HabitatInfo* habitats = nullptr;
};

struct CheckedAnswer {
    SurveyField field;
    Glib::ustring markup; // the value as shown, its red parts included
    // The caption goes red and the survey is not complete: every fault blocks.
    bool fault = false;
};

struct SurveyChecks {
    std::vector<CheckedAnswer> answers; // one per SurveyField, in its order
    Glib::ustring zone_name;            // markup
    // The bottom time is outside its usual range, so the user has to confirm it.
    bool bottom_time_unusual = false;
    int listed = 0; // species recorded in the view in use
    int unlisted = 0;
    bool complete = true;

    const CheckedAnswer& operator[](SurveyField field) const;
    std::vector<CheckedAnswer> faults() const;
};

SurveyChecks check_survey(const SurveyAnswers& answers, const SurveyData& survey,
                          const CheckReference& reference, const CalendarDay& today);

// The name of a zone code as the pages show it: the area and zone names lead
// longer codes. Empty when the code is no zone of the catalogue.
Glib::ustring zone_name(const RegionFishInfo& fish, const Glib::ustring& code);
