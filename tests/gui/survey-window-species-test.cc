// The Listed Species page on the shared fixture set: both species lists, the
// abundance pop-up menus and what stays recorded when the survey type changes.
#include "refdata/abundance-choices.h"
#include "survey-window-fixture.h"
#include "ui/confirm-panel.h"
#include "ui/listed-panel.h"
#include "ui/unlisted-panel.h"

#include <set>

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
    auto row = *window->species_stores.listed_store->append();
    c.set(row, 7, "Rock & <Reef> Goby", "Gobius <sp.>", "", 0, false, 1);
    EXPECT_EQ(shown_text(row[c.common_name]), "Rock & <Reef> Goby");
    EXPECT_EQ(shown_text(row[c.both_names]), "Rock & <Reef> Goby (Gobius <sp.>)");
}

// A window on the fixture set's locations and lists.
class ListedSpeciesTest : public EdgeSetWindowTest {
protected:
    void SetUp() override {
        EdgeSetWindowTest::SetUp();
        page = window->listed_panel;
    }
    // Location and type chosen on Survey Info Part 1, then species marked as
    // an opened survey brings them.
    void choose(const char* subregion, int subtype, std::map<int, int> abundances = {}) {
        page = window->listed_panel;
        window->survey_panel1->subregion->select_label(subregion);
        window->survey_panel1->survey_subtype->select_id(subtype);
        window->survey_data.abundances = abundances;
        page->update_for_view();
    }
    // The rows as the user reads them: families, and species indented with
    // their category; of the unlisted store, those the survey type offers.
    std::vector<std::string> rows(const Glib::RefPtr<Gtk::TreeStore>& store) {
        std::vector<std::string> seen;
        SpeciesTreeColumns& c = window->species_columns;
        SpeciesStores& stores = window->species_stores;
        store->foreach_iter([&](const Gtk::TreeIter& i) {
            if (store == stores.unlisted_store && !stores.offered(i)) return false;
            std::string names = shown_text((*i)[c.both_names]);
            seen.push_back(i->parent()
                               ? "  " + names + " = " + Glib::ustring((*i)[c.abundance_label]).raw()
                               : names);
            return false;
        });
        return seen;
    }
    // Return on a row, as the user opens the menu from the keyboard: the menu shown.
    Gtk::Menu* open_menu_by_key(const char* row) {
        press_on_row(*window, page->page_number, *page->species_tree, row);
        for (Gtk::Menu* menu : window->abundance_popups.abundance_menus)
            if (menu && menu->get_visible()) return menu;
        return nullptr;
    }

    ListedPanel* page = nullptr;
};

TEST_F(ListedSpeciesTest, ViewOrderFamiliesAndAbundanceMenuByKeyboard) {
    choose("Alpha North", 1, {{10, 7}});
    const char* sergeant = "  Sergeant major (Abudefduf saxatilis) = None";
    // The view's order: a family that comes back gets a second row; a code
    // beyond the list shows the highest category and opens its family.
    EXPECT_EQ(rows(window->species_stores.listed_store),
              (std::vector<std::string>{"Damselfishes, chromis (Pomacentridae)", sergeant,
                                        "Unnamed family (F2) (Labridae)",
                                        "  Bluehead (Thalassoma bifasciatum) = Abundant",
                                        "Damselfishes, chromis (Pomacentridae)", sergeant}));
    EXPECT_TRUE(page->species_tree->row_expanded(Gtk::TreePath("1")));
    EXPECT_FALSE(page->species_tree->row_expanded(Gtk::TreePath("0")));
    // All the fish by family name, each under its own family; no invertebrates.
    EXPECT_EQ(
        rows(window->species_stores.unlisted_store),
        (std::vector<std::string>{
            "Damselfishes, chromis (Pomacentridae)", sergeant, "Unnamed family (F2) (Labridae)",
            "  Bluehead (Thalassoma bifasciatum) = Abundant",
            "Unnamed family (Undefined family (empty))", "  Mystery fish (Incertae sedis) = None",
            "Unnamed family (Undefined family F9)", "  Lost fish (Nomen nudum) = None"}));

    ASSERT_EQ(open_menu_by_key("0:0"), window->abundance_popups.abundance_menus[1]);
    Gtk::Menu* menu = window->abundance_popups.abundance_menus[1];
    press_key(*window, GDK_KEY_Down);
    press_key(*window, GDK_KEY_Return);
    run_pending_events();
    EXPECT_FALSE(menu->get_visible());
    EXPECT_EQ(window->survey_data.abundances[3], 1);
    const char* single = "  Sergeant major (Abudefduf saxatilis) = Single";
    EXPECT_EQ(rows(window->species_stores.listed_store)[5], single); // both rows of the species...
    EXPECT_EQ(rows(window->species_stores.unlisted_store)[1], single); // ...on both pages
    Gtk::TreePath cursor;
    Gtk::TreeViewColumn* column = nullptr;
    page->species_tree->get_cursor(cursor, column);
    EXPECT_TRUE(page->species_tree->has_focus());
    EXPECT_EQ(cursor.to_string(), "0:0");
    // A digit chooses at once, as the menu does: 3 the third category (of
    // Single, Few, Abundant, ...), 0 the "none" entry; never on an uploaded
    // survey, never into the tree's search.
    press_key(*window, GDK_KEY_3);
    EXPECT_EQ(window->survey_data.abundances[3], 4);
    EXPECT_EQ(rows(window->species_stores.listed_store)[5],
              "  Sergeant major (Abudefduf saxatilis) = Abundant");
    EXPECT_TRUE(window->file_needs_saving());
    window->survey_data.already_uploaded = true;
    press_key(*window, GDK_KEY_0);
    EXPECT_EQ(window->survey_data.abundances[3], 4);
    window->survey_data.already_uploaded = false;
    press_key(*window, GDK_KEY_KP_0);
    EXPECT_EQ(window->survey_data.abundances[3], 0);
    EXPECT_TRUE(page->species_tree->has_focus());
    // Letters find the next species whose name holds them, opening its family.
    page->species_tree->collapse_all();
    press_on_row(*window, page->page_number, *page->species_tree, "1:0", GDK_KEY_S);
    auto at = [&] {
        page->species_tree->get_cursor(cursor, column);
        return cursor.to_string();
    };
    EXPECT_EQ(at(), "2:0");
    EXPECT_TRUE(page->species_tree->row_expanded(Gtk::TreePath("2")));
    for (guint key : {GDK_KEY_e, GDK_KEY_r, GDK_KEY_x}) // "serx" is nowhere
        press_key(*window, key);
    EXPECT_EQ(at(), "2:0");
}

TEST_F(ListedSpeciesTest, InvertebratesUseTheirOwnListAndStayRecordedWhileHidden) {
    choose("Beta Reef", 2, {{1, 1}, {4, 5}});
    window->survey_data.show_fish = true; // as a type of fish and invertebrates would
    EXPECT_TRUE(rows(window->species_stores.listed_store).empty()); // no default view
    page->species_view->select_id(6);
    EXPECT_TRUE(rows(window->species_stores.listed_store).empty()); // a view without rows
    page->set_species_view_carefully(1); // a view of another location is not taken
    EXPECT_EQ(page->species_view->get_selected_id(), 6);
    // The conch under the view's family here, under its own on the Unlisted page;
    // the view row without a family is left out with a warning. Subtype 2 has
    // no list: the grouper shows no category and opens no menu.
    CaptureStdout out;
    page->species_view->select_id(2);
    EXPECT_NE(out.text().find("species-views.csv: family id \"\" of species 4"), std::string::npos);
    const char* conch = "  Queen conch (Strombus gigas) = Two-ten";
    EXPECT_EQ(rows(window->species_stores.listed_store),
              (std::vector<std::string>{"Sea basses and groupers (Serranidae)",
                                        "  Goliath grouper (Epinephelus itajara) = ", conch}));
    EXPECT_EQ(rows(window->species_stores.unlisted_store)[4], conch);
    EXPECT_EQ(open_menu_by_key("0:0"), nullptr);
    ASSERT_EQ(open_menu_by_key("0:1"),
              window->abundance_popups.abundance_menus[AbundanceChoices::INVERTEBRATE_SUBTYPE]);
    window->abundance_popups.abundance_menus[AbundanceChoices::INVERTEBRATE_SUBTYPE]->popdown();
    EXPECT_TRUE(window->survey_data.is_recorded(4));

    // A fish-only type hides the conch, but keeps what was marked for it.
    window->survey_data.show_inverts = false;
    page->update_for_view();
    EXPECT_EQ(rows(window->species_stores.listed_store).size(), 2u);
    EXPECT_FALSE(window->survey_data.is_recorded(4));
    EXPECT_TRUE(window->survey_data.is_recorded(1));
    window->survey_data.show_inverts = true;
    page->update_for_view();
    EXPECT_EQ(rows(window->species_stores.listed_store)[2], conch);
    EXPECT_TRUE(window->survey_data.is_recorded(4));
    for (int unseen : {2, 99})
        EXPECT_FALSE(window->survey_data.is_recorded(unseen)) << unseen;
}

// Every kind of change leaves the lists as a fresh window shows the same
// answers: nothing of the last choice stays behind.
TEST_F(ListedSpeciesTest, ListsAfterEachChangeAreThoseOfAFreshWindow) {
    TempDir dir;
    auto everything = [](SurveyWindow& w) {
        std::string text;
        const SpeciesTreeColumns& c = w.species_columns;
        SpeciesStores& stores = w.species_stores;
        for (const auto& store : {stores.listed_store, stores.unlisted_store})
            store->foreach_iter([&](const Gtk::TreeIter& i) {
                if (store == stores.unlisted_store && !stores.offered(i)) return false;
                text += std::to_string((*i)[c.id]) + (i->parent() ? "  " : " ") +
                        Glib::ustring((*i)[c.both_names]).raw() + " " +
                        Glib::ustring((*i)[c.spanish_name]).raw() + " = " +
                        Glib::ustring((*i)[c.abundance_label]).raw() +
                        ((*i)[c.in_view] ? "" : " (not in view)") + "\n";
                return false;
            });
        return text + "--\n";
    };
    // Every species list shows the names the Listed page's buttons choose: the
    // titles over their names, each once.
    auto titles = [&] {
        window->notebook->set_current_page(window->confirm_panel->page_number); // as it is seen
        std::set<std::string> seen;
        for (Gtk::TreeView* view :
             {page->species_tree, window->unlisted_panel->found_species_tree,
              window->unlisted_panel->selected_species_tree,
              window->confirm_panel->conf_listed_tree, window->confirm_panel->conf_unlisted_tree})
            seen.insert(view->get_column(1) ? view->get_column(1)->get_title().raw() : "none");
        return seen;
    };
    SurveyPanel1& p1 = *window->survey_panel1;
    DialogScript script;
    const std::function<void()> changes[] = {
        [&] { p1.subregion->select_label("Alpha North"); },
        [&] { p1.survey_subtype->select_id(1); },
        [&] {
            window->survey_data.abundances = {{3, 2}, {10, 1}};
        },
        [&] { page->set_species_view_carefully(4); },
        [&] { p1.survey_subtype->select_id(5); },
        [&] { page->set_species_view_carefully(1); },
        [&] { page->name_display_common->set_active(true); },
        [&] {
            script.answer(Gtk::RESPONSE_ACCEPT); // clear the species marked
            p1.subregion->select_label("Beta Reef");
        },
        [&] { p1.survey_subtype->select_id(2); },
        [&] { page->set_species_view_carefully(2); },
        [&] { page->spanish_enable->set_active(true); },
        // Back to rows made before, which showed species marked then.
        [&] {
            p1.subregion->select_label("Alpha North");
            run_pending_events();
        },
        [&] { p1.survey_subtype->select_id(1); },
    };
    int step = 0;
    std::string all;
    for (const auto& change : changes) {
        change();
        window->species_stores.show_abundances();
        Glib::ustring problem;
        ASSERT_EQ(window->generate_xml_string(problem, false), RC_OK) << problem;
        const std::string file =
            dir.write("s.TAVRO-Survey", window->survey_data.generated_xml.raw());
        std::unique_ptr<SurveyWindow> fresh(SurveyWindow::create(app));
        ASSERT_EQ(fresh->do_open(file), RC_OK) << step;
        all += everything(*window);
        if (window->survey_data.survey_subtype) { // else no species to show
            EXPECT_EQ(titles().size(), 1u) << "after change " << step;
        }
        EXPECT_EQ(everything(*window), everything(*fresh)) << "after change " << step++;
    }
    EXPECT_EQ(titles(), std::set<std::string>{"Common Name"});
    // What was compared: species outside the view, and marked ones.
    EXPECT_NE(all.find("(not in view)"), std::string::npos) << all;
    EXPECT_NE(all.find("(Abudefduf saxatilis)</i>  = Few"), std::string::npos) << all;
}

} // namespace
