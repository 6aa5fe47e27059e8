// The Confirmation page's checks on the installed data set, with a fixed today.
#include "app/my-app-core.h"
#include "refdata/region-info.h"
#include "survey/survey-checks.h"
#include "survey/survey-data.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

const MyAppCore& shipped() {
    static const MyAppCore* app = [] {
        CaptureStdout quiet;
        auto* loaded = new MyAppCore;
        loaded->load_data_set(std::string(TAVRO_SOURCE_DIR) + "/data-files/");
        return loaded;
    }();
    return *app;
}

std::string red(const std::string& markup) {
    return "<span weight=\"bold\" fgcolor=\"red\">" + markup + "</span>";
}

class SurveyChecksTest : public testing::Test {
protected:
    // A complete Pacific Northwest survey with one listed species.
    void SetUp() override {
        use("PNW", "PAC", 10);
        a.member_id = " 4711 ", a.last_name = "O'Brien & <Sons>", a.subregion = "PNW";
        a.survey_subtype = 10, a.year = 2026, a.month = 7, a.mday = 15, a.dive_start = 9;
        a.zonecode = "10010004", a.surface_temp = "55", a.temp_units = "F", a.bottom_time = "45";
        a.visibility = 3, a.avg_depth = 3, a.max_depth = 5, a.current = 2, a.habitat = 1;
        a.abundances = {{1, 1}};
    }
    void use(const char* subregion, const char* region, int subtype) {
        const RegionInfo& regions = *shipped().region_info;
        s.subregion = subregion, s.region = region;
        s.region_fish_info = &regions.fish_info.at(region);
        s.survey_subtype = regions.find_subtype(subtype);
        s.show_fish = s.survey_subtype->has_fish, s.show_inverts = s.survey_subtype->has_inverts;
        s.species_views = shipped().species_views, s.species_view = 5;
        a.subregion = subregion, a.survey_subtype = subtype;
    }
    SurveyChecks check(CalendarDay today = {2026, 7, 15}) {
        const MyAppCore& app = shipped();
        return check_survey(
            a, s, {app.region_info, app.data_defs, app.data_params, app.habitat_info}, today);
    }
    std::string shown(SurveyField field, CalendarDay today = {2026, 7, 15}) {
        return check(today)[field].markup.raw();
    }

    SurveyAnswers a;
    SurveyData s;
};

TEST_F(SurveyChecksTest, CompleteSurveyHasNoFaultsAndShowsAnswersTrimmed) {
    const SurveyChecks c = check();
    EXPECT_TRUE(c.complete && c.faults().empty());
    EXPECT_EQ(c[SurveyField::member_id].markup.raw(), "4711");
    EXPECT_EQ(c[SurveyField::dive_start].markup.raw(), "9 AM - 10 AM");
    EXPECT_EQ(c.listed + 10 * c.unlisted, 1);
}

TEST_F(SurveyChecksTest, DatesAroundToday) {
    const std::tuple<int, int, int, CalendarDay, std::string> dates[] = {
        {2024, 2, 29, {2024, 2, 29}, "2024-02-29"},
        {2024, 3, 1, {2024, 2, 29}, red("2024-03-01      Date is in the future")},
        {2025, 1, 1, {2024, 12, 31}, red("2025-01-01      Date is in the future")},
        {2024, 12, 31, {2025, 1, 1}, "2024-12-31"},
        {2023, 2, 29, {2026, 1, 1}, red("2023-02-29      Invalid date")},
        {2026, 4, 31, {2026, 7, 15}, red("2026-04-31      Invalid date")},
        {2026, 7, 0, {2026, 7, 15}, red("Required")}};
    for (const auto& [year, month, day, today, expected] : dates) {
        a.year = year, a.month = month, a.mday = day;
        EXPECT_EQ(shown(SurveyField::survey_date, today), expected);
        EXPECT_EQ(check(today).complete, expected[0] == '2') << expected;
    }
}

TEST_F(SurveyChecksTest, LimitsAtAndPastTheirBounds) {
    const std::pair<const char*, std::string> temps[] = {
        {"28", "28F"},
        {"27", red("27F      Temperature must be between 28F and 95F")},
        {"95", "95F"},
        {" 96 ", red("96F      Temperature must be between 28F and 95F")},
        {"", ""}};
    for (const auto& [typed, expected] : temps) {
        a.bottom_temp = typed;
        EXPECT_EQ(shown(SurveyField::bottom_temp), expected);
    }
    a.temp_units = "C", a.surface_temp = "-2";
    EXPECT_EQ(shown(SurveyField::surface_temp), "-2C");
    a.surface_temp = "36";
    EXPECT_EQ(shown(SurveyField::surface_temp),
              red("36C      Temperature must be between -2C and 35C"));
    a.surface_temp = "";
    // Outside 10 to 120 minutes a bottom time has to be confirmed.
    const std::pair<const char*, bool> times[] = {
        {"10", false}, {"9", true}, {"120", false}, {"121", true}, {"", false}};
    for (const auto& [typed, unusual] : times) {
        a.bottom_time = typed;
        const SurveyChecks c = check();
        EXPECT_EQ(c.bottom_time_unusual, unusual) << typed;
        EXPECT_EQ(c.complete, !unusual && *typed) << typed;
    }
}

TEST_F(SurveyChecksTest, MissingAnswersZonesDepthsAndTypes) {
    a = SurveyAnswers();
    s = SurveyData();
    std::vector<SurveyField> missing;
    for (const CheckedAnswer& fault : check().faults())
        missing.push_back(fault.field);
    using F = SurveyField;
    EXPECT_EQ(missing, (std::vector<F>{F::member_id, F::last_name, F::survey_date, F::dive_start,
                                       F::zone_code, F::bottom_time, F::visibility, F::avg_depth,
                                       F::max_depth, F::current, F::habitat, F::total_species}));
    SetUp();
    const std::pair<const char*, std::string> zones[] = {{"", red("Required")},
                                                         {"1001", red("1001   Incomplete zone")},
                                                         {"10019999", red("10019999")}};
    for (const auto& [code, expected] : zones) {
        a.zonecode = code;
        EXPECT_EQ(shown(F::zone_code), expected);
    }
    a.zonecode = "1001";
    EXPECT_EQ(check().zone_name.raw(), "Partial Zone: Washington, Hood Canal");
    // Species only: conditions optional, and the blank depth item is no depth.
    use("PNW", "PAC", 11);
    a.visibility = a.current = a.habitat = -1, a.zonecode = "10010004";
    a.avg_depth = 4, a.max_depth = 1;
    EXPECT_TRUE(check().complete);
    a.max_depth = 3;
    EXPECT_EQ(shown(F::max_depth),
              "Less than 15 ft (5 m) " + red(" Must be no less than Average Depth"));
    use("CAR", "TWA", 8);
    EXPECT_EQ(shown(F::survey_type), red("Timed Fish Count - No longer available"));
}

} // namespace
