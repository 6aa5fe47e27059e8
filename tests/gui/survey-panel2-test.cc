// Survey Info Part 2 on the code tables and habitats of the shared fixture set.
#include "survey-window-fixture.h"

namespace {

class SurveyPanel2Test : public EdgeSetWindowTest {
protected:
    void SetUp() override {
        EdgeSetWindowTest::SetUp();
        page = window->survey_panel2;
    }
    SurveyPanel2* page = nullptr;
};

TEST_F(SurveyPanel2Test, SnorkelCouplesTheDepthBoxes) {
    page->max_depth->select_label("Over 20 feet");
    page->avg_depth->select_label("Snorkel");
    EXPECT_EQ(page->max_depth->get_selected_label(), "Snorkel");
    EXPECT_FALSE(page->max_depth->get_sensitive());
    // Another average depth frees the maximum depth and blanks it.
    page->avg_depth->select_label("0-20 feet");
    EXPECT_TRUE(page->max_depth->get_sensitive());
    EXPECT_EQ(page->max_depth->get_selected_id(), 9);
    // And the other way round.
    page->max_depth->select_label("Snorkel");
    EXPECT_EQ(page->avg_depth->get_selected_label(), "Snorkel");
    EXPECT_FALSE(page->max_depth->get_sensitive());
}

TEST_F(SurveyPanel2Test, HabitatsFollowTheRegion) {
    window->survey_data.region = "AAA";
    EXPECT_EQ(page->setup_for_subregion("ZED"), RC_OK);
    EXPECT_EQ(page->habitat->items.size(), 3u);
    EXPECT_EQ(page->habitat->items[2].first, 4);
    EXPECT_EQ(page->habitat_descr->get_text(), "Sand & rubble Flat sand with <some> rubble\n"
                                               "Coral reef Hard coral\n"
                                               "Seagrass Turtle grass beds");
    // A habitat id the habitat file lacks gets no description.
    page->habitat->select_id(2);
    window->survey_data.region = "BBB";
    EXPECT_EQ(page->setup_for_subregion("CEE"), RC_OK);
    EXPECT_EQ(page->habitat->get_selected_id(), -1);
    EXPECT_EQ(page->habitat->items.size(), 1u);
    EXPECT_EQ(page->habitat_descr->get_text(), "");
    // Without a region the page stays as it was.
    window->survey_data.region = "";
    EXPECT_EQ(page->setup_for_subregion("ZED"), RC_INTERNAL_ERROR);
    EXPECT_EQ(page->habitat->items.size(), 1u);
}

} // namespace
