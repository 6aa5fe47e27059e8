// Species rows and the abundance pop-up menus of the window.
#include "refdata/abundance-choices.h"
#include "survey-window-fixture.h"

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
    c.abundance_choices = nullptr;
}

} // namespace
