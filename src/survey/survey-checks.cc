#include "survey/survey-checks.h"

#include "core/errors.h"
#include "core/misc.h"
#include "core/palette.h"
#include "refdata/data-defs.h"
#include "refdata/data-params.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "survey/survey-data.h"

#include <ctime>
#include <set>

const Glib::ustring FAULT_END = "</span>";

Glib::ustring fault_markup(const Glib::ustring& markup) {
    return fault_start() + markup + FAULT_END;
}

CalendarDay local_today() {
    const time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

const CheckedAnswer& SurveyChecks::operator[](SurveyField field) const {
    return answers.at(static_cast<size_t>(field));
}

std::vector<CheckedAnswer> SurveyChecks::faults() const {
    std::vector<CheckedAnswer> found;
    for (const CheckedAnswer& answer : answers)
        if (answer.fault) found.push_back(answer);
    return found;
}

Glib::ustring zone_name(const RegionFishInfo& fish, const Glib::ustring& code) {
    // Only digits make a zone code: "33010001x" is no zone at all.
    if (code.empty() || code.raw().find_first_not_of("0123456789") != std::string::npos)
        return Glib::ustring();
    auto name_of = [&](const std::string& digits) -> const Glib::ustring* {
        auto zone = fish.geogs.find(parse_int_clamped(digits));
        return zone == fish.geogs.end() ? nullptr : &zone->second;
    };
    const Glib::ustring* whole = name_of(code.raw());
    if (!whole) return Glib::ustring();
    Glib::ustring text;
    const size_t n = code.size();
    if (n >= 2)
        if (const Glib::ustring* area = name_of(code.raw().substr(0, 1))) text += *area + ", ";
    if (n >= 5)
        if (const Glib::ustring* zone = name_of(code.raw().substr(0, 4))) text += *zone + ", ";
    return text + *whole;
}

namespace {

// The label a drop-down list shows for an id; empty for an id it lacks.
Glib::ustring label_of(const FromCSV::Def* list, int id) {
    if (!list) return Glib::ustring();
    for (size_t i = 0; i < list->values.size() && i < list->labels.size(); ++i)
        if (list->values[i] == id) return list->labels[i];
    return Glib::ustring();
}

template <typename Map> const FromCSV::Def* list_of(const Map* lists, const Glib::ustring& key) {
    if (!lists) return nullptr;
    auto found = lists->find(key);
    return found == lists->end() ? nullptr : &found->second;
}

bool valid_date(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

class Checker {
public:
    Checker(const SurveyAnswers& answers, const SurveyData& survey, const CheckReference& reference)
        : a(answers), survey(survey), ref(reference) {}

    SurveyChecks run(const CalendarDay& today);

private:
    const SurveyAnswers& a;
    const SurveyData& survey;
    const CheckReference& ref;
    SurveyChecks out;

    void pass(SurveyField field, const Glib::ustring& markup) {
        out.answers.push_back({field, markup, false});
    }
    void fail(SurveyField field, const Glib::ustring& markup) {
        out.answers.push_back({field, markup, true});
        out.complete = false;
    }
    // Until a survey type is chosen everything is asked for.
    bool required_by_type() const {
        return !survey.survey_subtype || survey.survey_subtype->has_abundance;
    }
    // An empty required answer shows "Required"; text is plain.
    bool simple(SurveyField field, const Glib::ustring& text, bool required) {
        if (required && text.empty()) {
            fail(field, fault_markup("Required"));
            return false;
        }
        pass(field, escape_markup(text));
        return true;
    }
    int param(const Glib::ustring& name) const;
    Glib::ustring defs_label(const char* group, int id) const {
        return label_of(list_of(ref.defs ? &ref.defs->defs : nullptr, group), id);
    }
    void check_survey_type();
    void check_date(const CalendarDay& today);
    void check_zone();
    void check_temperature(SurveyField field, const Glib::ustring& typed);
    void check_bottom_time();
    void check_depths();
    void check_species();
};

int Checker::param(const Glib::ustring& name) const {
    if (!ref.params) return 0;
    auto found = ref.params->params.find(name);
    return found == ref.params->params.end() ? 0 : found->second;
}

SurveyChecks Checker::run(const CalendarDay& today) {
    simple(SurveyField::member_id, trim_ws(a.member_id), true);
    simple(SurveyField::last_name, trim_ws(a.last_name), true);
    check_survey_type();
    check_date(today);
    simple(SurveyField::dive_start, defs_label("divestart", a.dive_start), true);
    check_zone();
    check_temperature(SurveyField::surface_temp, a.surface_temp);
    check_temperature(SurveyField::bottom_temp, a.bottom_temp);
    check_bottom_time();
    simple(SurveyField::visibility, defs_label("visibility", a.visibility), required_by_type());
    check_depths();
    simple(SurveyField::current, defs_label("current", a.current), required_by_type());
    const FromCSV::Def* habitats =
        list_of(ref.habitats ? &ref.habitats->habitat_defs : nullptr, survey.region);
    Glib::ustring habitat = label_of(habitats, a.habitat);
    // The list's "(please choose)" item is no answer.
    if (has_prefix(habitat, Glib::ustring("(please"))) habitat.clear();
    simple(SurveyField::habitat, habitat, required_by_type());
    check_species();
    return out;
}

void Checker::check_survey_type() {
    const Glib::ustring& where = a.subregion;
    Glib::ustring text = label_of(
        list_of(ref.regions ? &ref.regions->subtype_defs : nullptr, where), a.survey_subtype);
    if (text.empty() && ref.regions && a.survey_subtype >= 0) {
        // A retired type stays readable in the surveys made with it.
        auto hidden = ref.regions->hidden_subtypes.find(where);
        if (hidden != ref.regions->hidden_subtypes.end()) {
            auto name = hidden->second.find(a.survey_subtype);
            if (name != hidden->second.end()) text = name->second + " - " + NO_LONGER_AVAILABLE;
        }
    }
    if (text.find(NO_LONGER_AVAILABLE) != Glib::ustring::npos)
        fail(SurveyField::survey_type, fault_markup(escape_markup(text)));
    else
        pass(SurveyField::survey_type, escape_markup(text));
}

void Checker::check_date(const CalendarDay& today) {
    const int y = a.year, m = a.month, d = a.mday;
    if (y == 0 || m == 0 || d == 0) return fail(SurveyField::survey_date, fault_markup("Required"));
    const Glib::ustring text = format("%04d-%02d-%02d", y, m, d);
    const auto later = [](int y1, int m1, int d1, const CalendarDay& t) {
        return y1 != t.year ? y1 > t.year : m1 != t.month ? m1 > t.month : d1 > t.day;
    };
    if (!valid_date(y, m, d))
        fail(SurveyField::survey_date, fault_markup(text + "      Invalid date"));
    else if (later(y, m, d, today))
        fail(SurveyField::survey_date, fault_markup(text + "      Date is in the future"));
    else
        pass(SurveyField::survey_date, text);
}

void Checker::check_zone() {
    const Glib::ustring code = trim_ws(a.zonecode);
    const RegionFishInfo* fish = survey.region_fish_info;
    Glib::ustring name = fish ? zone_name(*fish, code) : Glib::ustring();
    if (!name.empty() && code.size() <= 7) name = "Partial Zone: " + name;
    out.zone_name = escape_markup(name);
    if (code.size() >= 8 && !name.empty())
        pass(SurveyField::zone_code, escape_markup(code));
    else if (code.empty())
        fail(SurveyField::zone_code, fault_markup("Required"));
    else if (code.size() < 8)
        fail(SurveyField::zone_code, fault_markup(escape_markup(code) + "   Incomplete zone"));
    else
        fail(SurveyField::zone_code, fault_markup(escape_markup(code)));
}

void Checker::check_temperature(SurveyField field, const Glib::ustring& typed) {
    const Glib::ustring text = trim_ws(typed);
    if (text.empty()) return pass(field, "");
    const Glib::ustring& unit = a.temp_units;
    const int min = param("temp_min_" + unit.lowercase());
    const int max = param("temp_max_" + unit.lowercase());
    const Glib::ustring shown = escape_markup(text + unit);
    const int degrees = parse_int_clamped(text.raw());
    if (degrees >= min && degrees <= max) return pass(field, shown);
    fail(field,
         fault_markup(shown + "      Temperature must be between " + format("%d", min) +
                      escape_markup(unit) + " and " + format("%d", max) + escape_markup(unit)));
}

void Checker::check_bottom_time() {
    const Glib::ustring text = trim_ws(a.bottom_time);
    if (text.empty()) return fail(SurveyField::bottom_time, fault_markup("Required"));
    const int minutes = parse_int_clamped(text.raw());
    out.bottom_time_unusual =
        minutes > param("bottom_time_confirm_over") || minutes < param("bottom_time_confirm_under");
    const Glib::ustring shown = escape_markup(text) + " minutes";
    if (out.bottom_time_unusual && !a.bottom_time_confirmed)
        fail(SurveyField::bottom_time, fault_markup(shown));
    else
        pass(SurveyField::bottom_time, shown);
}

void Checker::check_depths() {
    const Glib::ustring avg = defs_label("depth", a.avg_depth);
    const Glib::ustring max = defs_label("depth", a.max_depth);
    simple(SurveyField::avg_depth, avg, required_by_type());
    // The depth list starts with a blank item, which a species-only survey
    // may keep for either depth: only two real depths can be out of order.
    if (simple(SurveyField::max_depth, max, required_by_type()) && !avg.empty() && !max.empty() &&
        a.max_depth < a.avg_depth) {
        out.answers.pop_back();
        fail(SurveyField::max_depth,
             escape_markup(max) + " " + fault_markup(" Must be no less than Average Depth"));
    }
}

void Checker::check_species() {
    // Without a view in use nothing is listed: recorded species count as unlisted.
    static const std::set<int> no_view;
    const std::set<int>& view =
        survey.species_views ? survey.species_views->species_of(survey.species_view) : no_view;
    for (const auto& [id, abundance] : a.abundances) {
        if (abundance < 1 || !survey.records_species(id)) continue;
        ++(view.count(id) ? out.listed : out.unlisted);
    }
    const int total = out.listed + out.unlisted;
    if (total == 0)
        fail(SurveyField::total_species, fault_markup("0"));
    else
        pass(SurveyField::total_species, format("%d", total));
}

} // namespace

SurveyChecks check_survey(const SurveyAnswers& answers, const SurveyData& survey,
                          const CheckReference& reference, const CalendarDay& today) {
    return Checker(answers, survey, reference).run(today);
}
