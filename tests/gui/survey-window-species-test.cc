// Species rows and the abundance pop-up menus of the window.
#include "refdata/abundance-choices.h"
#include "survey-window-fixture.h"
#include "temp-dir.h"

#include <gtkmm/menuitem.h>

namespace {

const std::string EDGE = TAVRO_FIXTURES "/edge/";

AbundanceChoices::SurveySubtypeChoiceInfo three_choices() {
    AbundanceChoices::SurveySubtypeChoiceInfo info;
    info.choices = {{-1, 0, "None"}, {11, 1, "Single"}, {12, 2, "Few"}};
    return info;
}

TEST_F(SurveyWindowTest, SpeciesRowsAreMarkupShadedByRarity) {
    SpeciesTreeColumns& c = window->species_columns;
    auto row = *window->listed_store->append();

    c.set(row, -1, "Wrasses", "Labridae", "", -1, true, 0);
    EXPECT_EQ(row[c.common_name], "<span weight=\"bold\" fgcolor=\"blue\">Wrasses</span>");
    EXPECT_EQ(row[c.spanish_name], "<span weight=\"bold\" fgcolor=\"blue\"></span>");
    EXPECT_EQ(row[c.abundance], -1);
    EXPECT_TRUE(row[c.in_view]);

    c.set(row, 7, "Rock & <Reef> Goby", "Gobius <sp.>", "", 0, false, 1);
    EXPECT_EQ(row[c.common_name], "<span background=\"#9cf\">Rock &amp; &lt;Reef&gt; Goby</span>");
    EXPECT_EQ(row[c.both_names], "<span background=\"#9cf\">Rock &amp; &lt;Reef&gt; Goby "
                                 "<i>(Gobius &lt;sp.&gt;)</i></span>");
    for (const Glib::ustring& text :
         {Glib::ustring(row[c.common_name]), Glib::ustring(row[c.both_names])})
        EXPECT_TRUE(pango_parse_markup(text.c_str(), -1, 0, nullptr, nullptr, nullptr, nullptr))
            << text;

    c.set(row, 8, "Garibaldi", "Garibaldi", "Jaqueta", 0, false, 2);
    EXPECT_EQ(row[c.both_names], "<span background=\"#c60\">Garibaldi</span>");
    EXPECT_EQ(row[c.spanish_name], "<span background=\"#c60\">Jaqueta</span>");

    c.set(row, 9, "", "Hypsypops rubicundus", "", 0, false, -3);
    EXPECT_EQ(row[c.both_names], "Hypsypops rubicundus");
    EXPECT_EQ(row[c.scientific_name], "Hypsypops rubicundus");
}

TEST_F(SurveyWindowTest, AbundanceLabelsComeFromTheSubtypesList) {
    SpeciesTreeColumns& c = window->species_columns;
    auto row = *window->listed_store->append();
    c.set(row, 5, "Opaleye", "Girella nigricans", "", 0, true, 0);
    // No survey type yet: no labels.
    c.set_abundance(row, 2);
    EXPECT_EQ(row[c.abundance], 2);
    EXPECT_EQ(row[c.abundance_label], "");

    auto choices = three_choices();
    c.abundance_choices = &choices;
    c.set_abundance(row, 1);
    EXPECT_EQ(row[c.abundance_label], "Single");
    // A code beyond the list shows, and keeps, the highest category.
    c.set_abundance(row, 9);
    EXPECT_EQ(row[c.abundance], 2);
    EXPECT_EQ(row[c.abundance_label], "Few");
    c.set_abundance(row, -1);
    EXPECT_EQ(row[c.abundance], -1);
    EXPECT_EQ(row[c.abundance_label], "");
    c.abundance_choices = nullptr;
}

TEST_F(SurveyWindowTest, AbundanceMenuItemUpdatesBothListsOfOneSpecies) {
    SpeciesTreeColumns& c = window->species_columns;
    auto choices = three_choices();
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
        auto blacksmith = std::next(garibaldi);
        EXPECT_EQ((*garibaldi)[c.abundance], 2);
        EXPECT_EQ((*garibaldi)[c.abundance_label], "Few");
        EXPECT_EQ((*blacksmith)[c.abundance], 0);
        EXPECT_EQ((*blacksmith)[c.abundance_label], "None");
        EXPECT_EQ((*family)[c.abundance], -1);
    }
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
    EXPECT_EQ(script.seen[0].text.rfind("**** Invalid ab chg target!!  abun=1 species id 0", 0), 0u)
        << script.seen[0].text;
    EXPECT_EQ(window->survey_data.abundances, (std::map<int, int>{{12, 2}}));
    c.abundance_choices = nullptr;
}

TEST(SurveyWindowMenus, OneMenuPerSubtypeWithAChoiceList) {
    MyApp& app = test_app();
    AbundanceChoices edge(EDGE);
    ASSERT_TRUE(edge.is_valid());
    AbundanceChoices* saved = app.abundance_choices;
    app.abundance_choices = &edge;
    SurveyWindow* window = SurveyWindow::create(app);
    app.abundance_choices = saved;

    ASSERT_EQ(window->abundance_menus.size(), edge.subtype_choices.size());
    for (size_t subtype = 0; subtype < edge.subtype_choices.size(); ++subtype) {
        const auto& choices = edge.subtype_choices[subtype].choices;
        Gtk::Menu* menu = window->abundance_menus[subtype];
        EXPECT_EQ(menu == nullptr, choices.empty()) << subtype;
        if (!menu) continue;
        auto items = menu->get_children();
        ASSERT_EQ(items.size(), choices.size()) << subtype;
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(dynamic_cast<Gtk::MenuItem*>(items[i])->get_label(), choices[i].label);
    }
    // Subtypes without a list keep later subtypes at their own index.
    ASSERT_GT(window->abundance_menus.size(), 99u);
    EXPECT_EQ(window->abundance_menus[2], nullptr);
    ASSERT_NE(window->abundance_menus[5], nullptr);

    // Choosing "Abundant" (code 4) of subtype 1 records the code for the target.
    window->abundance_target = 33;
    auto items = window->abundance_menus[1]->get_children();
    ASSERT_EQ(dynamic_cast<Gtk::MenuItem*>(items.back())->get_label(), "Abundant");
    dynamic_cast<Gtk::MenuItem*>(items.back())->activate();
    EXPECT_EQ(window->survey_data.abundances[33], 4);
    delete window;
}

} // namespace
