// The Unlisted Species page: its search modes and the list of added species,
// over a species store filled as the Listed Species page fills it.
#include "survey-window-fixture.h"
#include "ui/unlisted-panel.h"

namespace {

class UnlistedPanelTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        SurveyWindowTest::SetUp();
        window->survey_panel1->setup_for_subregion("PNW");
        window->survey_panel1->survey_subtype->select_id(10);
        page = window->unlisted_panel;
        SpeciesTreeColumns& c = window->species_columns;
        auto store = window->species_stores.unlisted_store;
        store->clear();
        auto family = *store->append();
        c.set(family, -1, "Damselfishes", "Pomacentridae", "", -1, true, 0);
        c.set(*store->append(family->children()), 12, "Potter's Angelfish", "Centropyge potteri",
              "", 1, true, 2);
        c.set(*store->append(family->children()), 34, "Blue & Gold Chromis", "Chromis sp.", "", 2,
              false, 0);
        family = *store->append();
        c.set(family, -1, "Wrasses", "Labridae", "", -1, false, 0);
        c.set(*store->append(family->children()), 7, "Rock Wrasse", "Halichoeres semicinctus",
              "Señorita", 0, false, 0);
        window->survey_data.abundances = {{12, 1}, {34, 2}};
        window->species_stores.rows_replaced();
        window->species_stores.signal_species_stores_rebuilt.emit();
    }
    // The species ids the found list shows, after a search by mode (a row of
    // the search-by box).
    std::vector<int> found(const char* text, int mode = 0) {
        page->species_search_by->set_active(mode);
        page->species_search->set_text(text);
        return ids(page->found_model);
    }
    std::vector<int> ids(const Glib::RefPtr<Gtk::TreeModel>& list) {
        std::vector<int> ids;
        list->foreach_iter([&](const Gtk::TreeIter& row) {
            if ((*row)[window->species_columns.id] >= 0)
                ids.push_back((*row)[window->species_columns.id]);
            return false;
        });
        return ids;
    }
    UnlistedPanel* page = nullptr;
};

using Ids = std::vector<int>;

// Both ways of updating the found list: row by row, and a fresh filter.
TEST_F(UnlistedPanelTest, SearchModesMatchTheNamesAsShown) {
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(found("  POTTER'S  "), Ids{12});
        EXPECT_EQ(page->found_count, 1);
        EXPECT_TRUE(page->found_species_heading->get_visible());
        // Tags and entities of the stored markup are not names.
        for (const char* markup_only : {"span", "amp", "apos", "background"})
            EXPECT_EQ(found(markup_only), Ids{}) << markup_only;
        EXPECT_TRUE(page->no_found_species_heading->get_visible());
        EXPECT_EQ(found("potters angelfsh"), Ids{});
        EXPECT_EQ(page->no_found_species_heading->get_text().raw(),
                  "No species match your search.  Did you mean Potter's Angelfish?");
        EXPECT_EQ(found("gold  blue"), Ids{34}); // any order; two blanks make an empty word
        // Typed a letter at a time, and back.
        EXPECT_EQ(found("r"), (Ids{12, 34, 7}));
        EXPECT_EQ(found("ro"), (Ids{34, 7}));
        EXPECT_EQ(found("roc"), Ids{7});
        EXPECT_EQ(found("ro"), (Ids{34, 7}));
        EXPECT_EQ(found("0012", 5), Ids{12});
        EXPECT_EQ(found("12 34", 5), Ids{12});
        EXPECT_EQ(found("centropyge", 1), Ids{12});
        EXPECT_EQ(found("señ", 3), Ids{7});
        EXPECT_EQ(found("SENORITA", 3), Ids{7}); // the accent need not be typed
        // Family mode (common names off: scientific family names) lists whole families.
        EXPECT_EQ(found("pomacentr", 2), (Ids{12, 34}));
        EXPECT_EQ(page->found_count, 2);
        EXPECT_EQ(found("__all__"), (Ids{12, 34, 7}));
        EXPECT_TRUE(page->no_found_species_heading->get_visible());
        found("");
        EXPECT_FALSE(page->found_species_box->get_visible());
    }
}

TEST_F(UnlistedPanelTest, AddedSpeciesAreThoseOutsideTheViewWithAnAbundance) {
    page->refilter();
    EXPECT_EQ(ids(page->selected_filter), Ids{34});
    EXPECT_TRUE(page->selected_species_box->get_visible());
    // From the keyboard: the menu key on a found species opens its menu.
    found("chromis");
    Gtk::Menu* menu = window->abundance_popups.current_abundance_menu;
    ASSERT_TRUE(menu);
    // Shift with an arrow stays the tree's, unlike the plain arrow.
    press_on_row(*window, page->page_number, *page->found_species_tree, "0:0", GDK_KEY_Right,
                 GDK_SHIFT_MASK);
    EXPECT_FALSE(menu->get_visible());
    press_key(*window, GDK_KEY_Menu);
    EXPECT_EQ(window->abundance_target, 34);
    ASSERT_TRUE(menu->get_visible());
    // It starts from the category the species has.
    EXPECT_EQ(gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(menu->gobj())),
              GTK_WIDGET(menu->get_children()[2]->gobj()));
    // The found row tells its tree of the new category, so that it is redrawn.
    int changed = 0;
    page->found_model->signal_row_changed().connect(
        [&](const Gtk::TreePath& path, const Gtk::TreeIter& row) {
            changed += path.to_string() == "0:0" && (*row)[window->species_columns.id] == 34;
        });
    press_key(*window, GDK_KEY_Home); // "None"
    press_key(*window, GDK_KEY_Return);
    run_pending_events();
    EXPECT_FALSE(page->selected_species_box->get_visible());
    EXPECT_GE(changed, 1);
    const Gtk::TreeRow row = *page->found_model->get_iter("0:0");
    EXPECT_EQ(row[window->species_columns.abundance], 0);
}

// A long result comes in a tree of its own, which does all the first one did.
TEST_F(UnlistedPanelTest, ALongResultsTreeWorksAsTheFirst) {
    page->fresh_tree_rows = 1;
    EXPECT_EQ(found("r"), (Ids{12, 34, 7}));
    Gtk::TreeView* tree = page->found_species_tree;
    EXPECT_EQ(tree->get_parent()->get_children(), std::vector<Gtk::Widget*>{tree});
    AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(tree->gobj()));
    EXPECT_STREQ(atk_object_get_accessible_id(accessible), "found_species_tree");
    EXPECT_STREQ(atk_object_get_name(accessible), "Species found");
    // Return on a row opens its menu; the keyboard stays in the list.
    press_on_row(*window, page->page_number, *tree, "1:0");
    EXPECT_EQ(window->abundance_target, 7);
    press_key(*window, GDK_KEY_Escape);
    EXPECT_EQ(found("ro"), (Ids{34, 7}));
    EXPECT_TRUE(page->found_species_tree != tree && page->found_species_tree->has_focus());
}

} // namespace
