// Species rows and the abundance pop-up menus of the window.
#include "refdata/abundance-choices.h"
#include "survey-window-fixture.h"
#include "temp-dir.h"

#include <gtkmm/menuitem.h>

namespace {

// The text a user sees in a markup cell.
std::string shown_text(const Glib::ustring& markup) {
    char* text = nullptr;
    if (!pango_parse_markup(markup.c_str(), -1, 0, nullptr, &text, nullptr, nullptr)) return "!";
    std::string result = text;
    g_free(text);
    return result;
}

TEST_F(SurveyWindowTest, SpeciesNamesShowAsTheyAreWritten) {
    SpeciesTreeColumns& c = window->species_columns;
    auto row = *window->listed_store->append();
    c.set(row, 7, "Rock & <Reef> Goby", "Gobius <sp.>", "", 0, false, 1);
    EXPECT_EQ(shown_text(row[c.common_name]), "Rock & <Reef> Goby");
    EXPECT_EQ(shown_text(row[c.both_names]), "Rock & <Reef> Goby (Gobius <sp.>)");
}

TEST_F(SurveyWindowTest, AbundanceChoiceUpdatesBothListsOfOneSpecies) {
    SpeciesTreeColumns& c = window->species_columns;
    AbundanceChoices::SurveySubtypeChoiceInfo choices;
    choices.choices = {{-1, 0, "None"}, {11, 1, "Single"}, {12, 2, "Few"}};
    c.abundance_choices = &choices;
    for (auto store : {window->listed_store, window->unlisted_store}) {
        auto family = *store->append();
        c.set(family, -1, "Damselfishes", "Pomacentridae", "", -1, true, 0);
        c.set(*store->append(family->children()), 12, "Garibaldi", "", "", 0, true, 0);
        c.set(*store->append(family->children()), 13, "Blacksmith", "", "", 0, true, 0);
    }
    window->abundance_target = 12;
    window->on_abundance_menu_item(2);
    EXPECT_EQ(window->survey_data.abundances, (std::map<int, int>{{12, 2}}));
    for (auto store : {window->listed_store, window->unlisted_store}) {
        auto family = store->children().begin();
        auto garibaldi = family->children().begin();
        EXPECT_EQ((*garibaldi)[c.abundance_label], "Few");
        EXPECT_EQ((*std::next(garibaldi))[c.abundance_label], "None");
        EXPECT_EQ((*family)[c.abundance], -1);
    }
    // A code beyond the list shows, and keeps, the highest category.
    auto row = *window->listed_store->append();
    c.set_abundance(row, 9);
    EXPECT_EQ(row[c.abundance], 2);
    EXPECT_EQ(row[c.abundance_label], "Few");

    // A menu opened for no species changes nothing and says so.
    install_error_dialogs();
    DialogScript script;
    script.answer(Gtk::RESPONSE_OK);
    window->abundance_target = 0;
    testing::internal::CaptureStderr();
    window->on_abundance_menu_item(1);
    testing::internal::GetCapturedStderr();
    set_error_display_hook(nullptr);
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].text.rfind("**** Invalid ab chg target!!  abun=1 species id 0", 0),
              0u);
    EXPECT_EQ(window->survey_data.abundances, (std::map<int, int>{{12, 2}}));
    c.abundance_choices = nullptr;
}

TEST(SurveyWindowMenus, OneMenuPerSubtypeWithAChoiceList) {
    MyApp& app = test_app();
    CaptureStdout warnings;
    AbundanceChoices edge(EDGE_DATA);
    ASSERT_TRUE(edge.is_valid());
    AbundanceChoices* saved = app.abundance_choices;
    app.abundance_choices = &edge;
    SurveyWindow* window = SurveyWindow::create(app);
    app.abundance_choices = saved;

    // Subtypes without a list keep later subtypes at their own index.
    ASSERT_EQ(window->abundance_menus.size(), 100u);
    EXPECT_EQ(window->abundance_menus[2], nullptr);
    ASSERT_NE(window->abundance_menus[5], nullptr);
    EXPECT_EQ(window->abundance_menus[1]->get_children().size(), 5u);

    // Choosing "Abundant" (code 4) of subtype 1 records the code for the target.
    window->abundance_target = 33;
    auto* abundant =
        dynamic_cast<Gtk::MenuItem*>(window->abundance_menus[1]->get_children().back());
    ASSERT_EQ(abundant->get_label(), "Abundant");
    abundant->activate();
    EXPECT_EQ(window->survey_data.abundances[33], 4);
    delete window;
}

} // namespace
