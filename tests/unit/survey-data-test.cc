#include "survey/survey-data.h"

#include <gtest/gtest.h>

namespace {

TEST(SurveyData, AssignmentCopiesEverythingAndSelfAssignmentKeepsIt) {
    SurveyData fresh;
    EXPECT_TRUE(fresh.subregion.empty());
    EXPECT_EQ(fresh.survey_subtype, nullptr);
    EXPECT_EQ(fresh.species_view, -1);
    EXPECT_TRUE(fresh.abundances.empty());

    Region subtype;
    SurveyData survey;
    survey.region = "PAC";
    survey.subregion = "CAL";
    survey.survey_subtype = &subtype;
    survey.species_view = 3;
    survey.already_uploaded = true;
    survey.abundances = {{7, 2}, {12, 0}};

    SurveyData& same = survey;
    survey = same;
    EXPECT_EQ(survey.abundances, (std::map<int, int>{{7, 2}, {12, 0}}));
    EXPECT_EQ(survey.subregion, "CAL");

    SurveyData copy;
    copy = survey;
    EXPECT_EQ(copy.region, "PAC");
    EXPECT_EQ(copy.survey_subtype, &subtype);
    EXPECT_EQ(copy.species_view, 3);
    EXPECT_TRUE(copy.already_uploaded);
    EXPECT_EQ(copy.abundances, survey.abundances);

    // Resetting is assigning a fresh record.
    copy = SurveyData();
    EXPECT_TRUE(copy.subregion.empty());
    EXPECT_TRUE(copy.abundances.empty());
    EXPECT_FALSE(copy.already_uploaded);
}

TEST(SurveyXMLinfo, CurrentVersionText) {
    SurveyXMLinfo info;
    EXPECT_EQ(info.get_current_version_str(), "1.0");
    info.current_major = 2;
    info.current_minor = 13;
    EXPECT_EQ(info.get_current_version_str(), "2.13");
}

} // namespace
