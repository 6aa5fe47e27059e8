// Survey Info Part 1 on the installed data set: location changes, zone codes and
// the zone tree.
#include "refdata/region-info.h"
#include "survey-window-fixture.h"

namespace {

// The zone codes of the tree, depth first; expanded rows are marked with "+".
std::string shown_zones(SurveyPanel1* page) {
    std::string shown;
    page->geog_store->foreach_path([&](const Gtk::TreePath& path) {
        shown += std::to_string((*page->geog_store->get_iter(path))[page->geog_columns.id]) +
                 (page->geog_tree->row_expanded(path) ? "+ " : " ");
        return false;
    });
    return shown;
}

TEST_F(SurveyWindowTest, SubregionChangeAsksOnceWhenSpeciesAreMarked) {
    SurveyPanel1* page = window->survey_panel1;
    SurveyData& survey = window->survey_data;
    DialogScript script;
    page->subregion->select_label("Pacific Northwest");
    EXPECT_EQ(survey.region, "PAC");
    EXPECT_TRUE(page->survey_subtype->get_sensitive());
    EXPECT_EQ(page->survey_subtype->get_active_row_number(), -1);
    EXPECT_EQ(shown_zones(page).find(" 4"), std::string::npos); // California's zones
    EXPECT_TRUE(window->save_button->get_sensitive());

    survey.abundances = {{5, 2}, {7, 1}, {9, 0}};
    script.answer_with(press_return); // keeps the species
    page->subregion->select_label("California");
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].title, "Clear selected species?");
    EXPECT_EQ(script.seen[0].text.substr(0, 27), "2 species you have selected");
    EXPECT_EQ(page->subregion->get_selected_label(), "Pacific Northwest");
    EXPECT_EQ(survey.abundances.size(), 3u);
    // A survey whose location is not in the list: restoring selects nothing
    // and must not ask again.
    survey.subregion = "OLD";
    script.answer(Gtk::RESPONSE_CANCEL);
    page->subregion->select_label("California");
    EXPECT_EQ(script.seen.size(), 2u);
    EXPECT_EQ(page->subregion->get_active_row_number(), -1);

    script.answer(Gtk::RESPONSE_ACCEPT);
    page->subregion->select_label("California");
    EXPECT_EQ(survey.subregion, "CAL");
    EXPECT_TRUE(survey.abundances.empty());
    EXPECT_EQ(shown_zones(page).substr(0, 2), "4 ");
}

TEST_F(SurveyWindowTest, ZoneCodesAndZoneSearch) {
    SurveyPanel1* page = window->survey_panel1;
    page->zonecode->set_text("1001"); // before any location: nothing to look up
    EXPECT_EQ(page->zone_name_status->get_text(), "");
    page->setup_for_subregion("PNW");
    auto zone = [&](const char* code) {
        page->zonecode->set_text(code);
        return page->zone_name_status->get_text() + "|" + page->zone_name->get_text() + "|" +
               page->zone_description;
    };
    EXPECT_EQ(zone(" 1001 "), "Partial Zone: |Washington, Hood Canal|"
                              "Partial Zone: Washington, Hood Canal");
    EXPECT_EQ(zone("10010004"), "Zone Name: |Washington, Hood Canal, Mike's Beach|"
                                "Washington, Hood Canal, Mike's Beach");
    for (const char* unknown : {"10019999", "10010004x", "-1001", "99999999999"})
        EXPECT_EQ(zone(unknown), "Zone Unknown  ||") << unknown;

    page->zone_search->set_text("  mIKE'S ");
    EXPECT_EQ(shown_zones(page), "1+ 1001+ 10010004 ");
    EXPECT_FALSE(page->no_geog_matches->get_visible());
    page->zone_search->set_text("nowhere at all");
    EXPECT_EQ(shown_zones(page), "");
    EXPECT_TRUE(page->no_geog_matches->get_visible());
    EXPECT_EQ(page->no_geog_matches->get_text(), "No zones match your search.");
    // Two slips away, the zone is offered; Return on the offer searches it.
    page->zone_search->set_text("mikes beech");
    EXPECT_EQ(page->no_geog_matches->get_text().raw(),
              "No zones match your search.  Did you mean Mike's Beach?");
    show_page(page->page_number);
    page->zone_search->grab_focus();
    press_key(*window, GDK_KEY_Tab); // from the search to the offer, by keyboard alone
    EXPECT_TRUE(page->no_geog_matches->has_focus());
    press_key(*window, GDK_KEY_Return);
    run_pending_events();
    EXPECT_EQ(shown_zones(page), "1+ 1001+ 10010004 ");
    EXPECT_TRUE(page->zone_search->has_focus());
    // Typed without the accent, a zone name with one is found all the same.
    page->setup_for_subregion("GOC");
    page->zone_search->set_text("Bahía");
    const std::string accented = shown_zones(page);
    page->zone_search->set_text("BAHIA");
    EXPECT_NE(accented, "");
    EXPECT_EQ(shown_zones(page), accented);
    page->setup_for_subregion("PNW");

    // A click on a zone opens it; a click on a site takes its code.
    page->zone_search->set_text("");
    page->geog_tree->set_cursor(Gtk::TreePath("0"));
    EXPECT_TRUE(page->geog_tree->row_expanded(Gtk::TreePath("0")));
    page->geog_tree->set_cursor(Gtk::TreePath("0:0"));
    page->geog_tree->set_cursor(Gtk::TreePath("0:0:3"));
    EXPECT_EQ(page->zonecode->get_text(), "10010004");
}

// Keys and the focus arriving move the zone tree's cursor without taking a
// zone or opening and closing rows; Return takes the site, or opens an area.
TEST_F(SurveyWindowTest, ZoneTreeLookedThroughByKeys) {
    SurveyPanel1* page = window->survey_panel1;
    page->subregion->select_label("Pacific Northwest");
    page->zone_search->set_text("mike's");
    show_page(page->page_number);
    page->zone_search->grab_focus();
    for (int i = 0; i < 10 && !page->geog_tree->has_focus(); ++i)
        press_key(*window, GDK_KEY_Tab);
    ASSERT_TRUE(page->geog_tree->has_focus());
    for (guint key : {GDK_KEY_Home, GDK_KEY_Down, GDK_KEY_Down, GDK_KEY_Up, GDK_KEY_Down})
        press_key(*window, key);
    run_pending_events();
    EXPECT_EQ(shown_zones(page), "1+ 1001+ 10010004 ");
    EXPECT_EQ(page->zonecode->get_text(), "");
    press_key(*window, GDK_KEY_Return);
    EXPECT_EQ(page->zonecode->get_text(), "10010004");
    press_key(*window, GDK_KEY_Home);
    press_key(*window, GDK_KEY_Return);
    EXPECT_EQ(shown_zones(page), "1 1001 10010004 "); // closed
    press_key(*window, GDK_KEY_Return);
    EXPECT_EQ(shown_zones(page), "1+ 1001 10010004 ");
}

TEST_F(SurveyWindowTest, RetiredSurveyTypes) {
    SurveyPanel1* page = window->survey_panel1;
    page->setup_for_subregion("CAR");
    EXPECT_EQ(page->set_survey_subtype_even_invisible("", 8), RC_ERROR);
    EXPECT_EQ(page->set_survey_subtype_even_invisible("CAR", 8), RC_OK);
    EXPECT_EQ(page->survey_subtype->get_selected_label(), "Timed Fish Count - No longer available");
    ASSERT_NE(window->survey_data.survey_subtype, nullptr);
    EXPECT_EQ(window->survey_data.survey_subtype->surveytypeid, 8);
}

} // namespace
