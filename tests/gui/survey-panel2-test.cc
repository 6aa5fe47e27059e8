#include "ui/survey-panel2.h"

#include "core/misc.h"
#include "dialog-script.h"
#include "refdata/data-defs.h"
#include "refdata/habitat-info.h"
#include "temp-dir.h"
#include "test-app.h"
#include "ui/confirm-panel.h"
#include "ui/drop-down-box.h"
#include "ui/survey-window.h"

#include <gtest/gtest.h>

namespace {

using Labels = std::vector<Glib::ustring>;

Labels labels_of(const DropDownBox& box) {
    Labels result;
    for (const auto& item : box.items)
        result.push_back(item.second);
    return result;
}

// A real window whose page reads the small code tables and habitats of the
// ui-small fixture; the application gets its own tables back afterwards.
class SurveyPanel2Test : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dir = TAVRO_FIXTURES "/ui-small/";
        CaptureStdout reader_warnings;
        defs = new DataDefs(dir);
        habitats = new HabitatInfo(dir);
        ASSERT_TRUE(defs->is_valid() && habitats->is_valid());
        std::swap(app.data_defs, defs);
        std::swap(app.habitat_info, habitats);
    }
    void TearDown() override {
        delete window;
        run_pending_events();
        std::swap(app.data_defs, defs);
        std::swap(app.habitat_info, habitats);
        delete defs;
        delete habitats;
    }
    SurveyPanel2* make_page() {
        window = SurveyWindow::create(app);
        return window->survey_panel2;
    }

    MyApp& app = test_app();
    DataDefs* defs = nullptr;
    HabitatInfo* habitats = nullptr;
    SurveyWindow* window = nullptr;
};

TEST_F(SurveyPanel2Test, FreshPage) {
    SurveyPanel2* page = make_page();
    EXPECT_EQ(page->get_temp_units_short(), "F");
    page->temp_units->select_label("Celsius");
    EXPECT_EQ(page->get_temp_units_short(), "C");
    page->temp_units->select_id(-1);
    EXPECT_EQ(page->get_temp_units_short(), "");

    EXPECT_EQ(labels_of(*page->visibility),
              (Labels{"Under 10 feet", "10-30 feet", "Over 30 feet"}));
    EXPECT_EQ(labels_of(*page->max_depth), (Labels{"Snorkel", "0-20 feet", "", "Over 20 feet"}));
    EXPECT_EQ(page->avg_depth->items, page->max_depth->items);
    EXPECT_EQ(labels_of(*page->current), (Labels{"None", "Strong"}));
    EXPECT_EQ(page->current->get_selected_id(), -1);
    EXPECT_TRUE(page->habitat->items.empty());
    EXPECT_EQ(page->habitat_descr->get_text(),
              "Please select a survey location on the Survey Info Part 1 tab.");
}

TEST_F(SurveyPanel2Test, SnorkelCouplesTheDepthBoxes) {
    SurveyPanel2* page = make_page();
    page->max_depth->select_label("Over 20 feet");
    page->avg_depth->select_label("Snorkel");
    EXPECT_EQ(page->max_depth->get_selected_label(), "Snorkel");
    EXPECT_FALSE(page->max_depth->get_sensitive());

    // Another average depth frees the maximum depth and blanks it.
    page->avg_depth->select_label("0-20 feet");
    EXPECT_TRUE(page->max_depth->get_sensitive());
    EXPECT_EQ(page->max_depth->get_selected_id(), 9);

    int saved = debug_level;
    debug_level = 2;
    std::string log;
    {
        CaptureStdout out;
        page->max_depth->select_label("Snorkel");
        log = out.text();
    }
    debug_level = saved;
    EXPECT_EQ(page->avg_depth->get_selected_label(), "Snorkel");
    EXPECT_FALSE(page->max_depth->get_sensitive());
    EXPECT_EQ(log, "max_depth: Snorkel\n"
                   "\tavg_depth: 0-20 feet; setting to Snorkel\n"
                   "avg_depth: Snorkel\n");
}

TEST_F(SurveyPanel2Test, DepthListWithoutBlankItem) {
    app.data_defs->defs["depth"] = FromCSV::Def{{"Snorkel", "Deep"}, {1, 2}};
    SurveyPanel2* page = make_page();
    page->avg_depth->select_label("Snorkel");
    page->avg_depth->select_label("Deep");
    EXPECT_TRUE(page->max_depth->get_sensitive());
    EXPECT_EQ(page->max_depth->get_active_row_number(), -1);
}

TEST_F(SurveyPanel2Test, HabitatsFollowTheRegion) {
    SurveyPanel2* page = make_page();
    window->survey_data.region = "AAA";
    EXPECT_EQ(page->setup_for_subregion("A1"), RC_OK);
    EXPECT_EQ(labels_of(*page->habitat), (Labels{"Sand & rubble", "Coral reef", "Wall"}));
    EXPECT_EQ(page->habitat->items[2].first, 4);
    EXPECT_EQ(page->habitat_descr->get_label(),
              "<b>Sand &amp; rubble</b> Flat sand with &lt;loose&gt; rubble\n"
              "<b>Coral reef</b> Hard &amp; soft corals\n"
              "<b>Wall</b> Steep drop-off");

    // A habitat id beyond the habitat table gets no description.
    page->habitat->select_id(2);
    window->survey_data.region = "BBB";
    EXPECT_EQ(page->setup_for_subregion("B1"), RC_OK);
    EXPECT_EQ(page->habitat->get_selected_id(), -1);
    EXPECT_EQ(page->habitat->items.size(), 2u);
    EXPECT_EQ(page->habitat_descr->get_text(), "Seagrass Turtle grass beds");

    window->survey_data.region = "CCC";
    EXPECT_EQ(page->setup_for_subregion("C1"), RC_OK);
    EXPECT_TRUE(page->habitat->items.empty());
    EXPECT_EQ(page->habitat_descr->get_text(), "");
    EXPECT_EQ(app.habitat_info->habitat_defs.count("CCC"), 0u);
    EXPECT_EQ(app.habitat_info->habitats_by_region.count("CCC"), 0u);

    // Without a region the page stays as it was.
    window->survey_data.region = "";
    page->habitat_descr->set_text("before");
    EXPECT_EQ(page->setup_for_subregion("A1"), RC_INTERNAL_ERROR);
    EXPECT_EQ(page->habitat_descr->get_text(), "before");
}

TEST_F(SurveyPanel2Test, SpeciesOnlySurveyMakesEverythingButBottomTimeOptional) {
    SurveyPanel2* page = make_page();
    window->show();
    Region full, species_only;
    full.has_abundance = true;
    window->survey_data.survey_subtype = &species_only;
    EXPECT_EQ(page->setup_for_survey_subtype(), RC_OK);
    EXPECT_EQ(page->sp2_instructions->get_text(),
              "Please enter information about your survey conditions; since this is a "
              "species-only survey, all fields are optional except bottom time:");
    EXPECT_FALSE(page->optional1->get_visible());
    EXPECT_FALSE(page->optional2->get_visible());

    window->survey_data.survey_subtype = &full;
    page->setup_for_survey_subtype();
    EXPECT_EQ(page->sp2_instructions->get_text(),
              "Please enter information about your survey conditions:");
    EXPECT_TRUE(page->optional1->get_visible());
    EXPECT_TRUE(page->optional2->get_visible());
    window->survey_data.survey_subtype = nullptr;
}

TEST_F(SurveyPanel2Test, BottomTimeEditAndReadOnlyPage) {
    SurveyPanel2* page = make_page();
    Gtk::CheckButton* confirm = window->confirm_panel->confirm_bottom_time;
    ASSERT_NE(confirm, nullptr);
    confirm->set_active(true);
    page->bottom_time->set_text("95");
    EXPECT_FALSE(confirm->get_active());

    page->disable_inputs();
    for (Gtk::Widget* w : std::initializer_list<Gtk::Widget*>{
             page->surface_temp, page->optional1, page->temp_units, page->bottom_time,
             page->label_max_depth, page->max_depth, page->current, page->habitat})
        EXPECT_FALSE(w->get_sensitive());
    EXPECT_TRUE(page->sp2_instructions->get_sensitive());
    EXPECT_TRUE(page->habitat_descr->get_sensitive());
}

// The installed data set must fit the page: a "Snorkel" depth with a blank one
// beside it, and habitat names that need escaping.
TEST(SurveyPanel2InstalledData, PacificCoastHabitatsAndDepths) {
    MyApp& app = test_app();
    SurveyWindow* window = SurveyWindow::create(app);
    SurveyPanel2* page = window->survey_panel2;
    const Region* subtype = app.region_info->find_subtype(11);
    ASSERT_NE(subtype, nullptr);
    window->survey_data.region = subtype->regioncode;
    EXPECT_EQ(page->setup_for_subregion(subtype->subregioncode), RC_OK);
    EXPECT_EQ(labels_of(*page->habitat), app.habitat_info->habitat_defs.at("PAC").labels);
    Glib::ustring shown = page->habitat_descr->get_text();
    // (npos compared inside the condition: glibmm only declares it.)
    EXPECT_TRUE(shown.find("Sand & rubble Mostly sand") != Glib::ustring::npos) << shown;

    page->avg_depth->select_label(MAGIC_SNORKEL_DEPTH);
    EXPECT_EQ(page->max_depth->get_selected_label(), MAGIC_SNORKEL_DEPTH);
    page->avg_depth->select_label("15-30 ft (5-9 m)");
    EXPECT_EQ(page->max_depth->get_selected_label(), "");
    EXPECT_NE(page->max_depth->get_active_row_number(), -1);
    delete window;
    run_pending_events();
}

} // namespace
