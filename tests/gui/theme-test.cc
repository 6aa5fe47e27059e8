// The window as volunteers set up their laptops: under a dark theme its
// colours read on the theme's own backgrounds, and with large text no page
// cuts text off.
#include "core/palette.h"
#include "survey-window-fixture.h"
#include "ui/listed-panel.h"
#include "ui/survey-panel1.h"

#include <gtkmm/scrolledwindow.h>
#include <gtkmm/settings.h>
#include <gtkmm/stylecontext.h>

namespace {

std::string hex(const Gdk::RGBA& colour) {
    return format("#%02x%02x%02x", colour.get_red_u() >> 8, colour.get_green_u() >> 8,
                  colour.get_blue_u() >> 8);
}

std::string theme_colour(Gtk::Widget& widget, const char* name) {
    Gdk::RGBA colour;
    EXPECT_TRUE(widget.get_style_context()->lookup_color(name, colour)) << name;
    return hex(colour);
}

// A window made after the toolkit's settings changed, on the Listed Species
// page of a region with shaded species.
SurveyWindow* window_in_region_with_shading() {
    SurveyWindow* window = SurveyWindow::create(test_app());
    window->survey_panel1->subregion->select_label("Gulf of California");
    window->survey_panel1->survey_subtype->select_id(30);
    window->show();
    window->notebook->set_current_page(window->listed_panel->page_number);
    run_pending_events();
    return window;
}

TEST(Theme, ColoursReadOnTheBackgroundsOfALightAndADarkTheme) {
    auto settings = Gtk::Settings::get_default();
    for (bool dark : {false, true}) {
        settings->property_gtk_application_prefer_dark_theme() = dark;
        std::unique_ptr<SurveyWindow> window(window_in_region_with_shading());
        const Palette& colours = palette();
        EXPECT_EQ(&colours, dark ? &DARK_PALETTE : &LIGHT_PALETTE);
        const std::string base = theme_colour(*window, "theme_base_color");
        const std::string text = theme_colour(*window, "theme_text_color");
        const std::string shaded = colours.shaded_text ? colours.shaded_text : text;
        EXPECT_GE(contrast_ratio(colours.family, base), 4.5) << dark;
        EXPECT_GE(contrast_ratio(shaded, colours.rarity_1), 4.5) << dark;
        EXPECT_GE(contrast_ratio(shaded, colours.rarity_2), 4.5) << dark;
        // The instructions' shading is behind the theme's own text.
        EXPECT_GE(contrast_ratio(text, colours.rarity_1), 4.5) << dark;
        EXPECT_GE(contrast_ratio(text, colours.rarity_2), 4.5) << dark;
        if (dark) { // red on white stays as volunteers have always seen it
            EXPECT_GE(contrast_ratio(colours.fault, theme_colour(*window, "theme_bg_color")), 4.5);
        }
        // What the pages show uses them.
        const std::string instructions = window->listed_panel->listed_instructions->get_label();
        EXPECT_NE(instructions.find(rarity_shade(2)), std::string::npos) << instructions;
        const Gtk::TreeModel::Children families =
            window->listed_panel->species_tree->get_model()->children();
        ASSERT_FALSE(families.empty());
        const Glib::ustring family = (*families.begin())[window->species_columns.both_names];
        EXPECT_EQ(family.find(family_style()), 0u) << family;
    }
    settings->property_gtk_application_prefer_dark_theme() = false;
    delete SurveyWindow::create(test_app()); // back to the light palette
}

Gtk::ScrolledWindow* scroller_of(Gtk::Widget& widget) {
    for (Gtk::Widget* up = widget.get_parent(); up; up = up->get_parent())
        if (auto* scroller = dynamic_cast<Gtk::ScrolledWindow*>(up)) return scroller;
    return nullptr;
}

// The shown labels whose text the window cuts off: narrower or lower than
// their text needs, ellipsized without a tooltip, or beyond the sides of what
// shows them.
void find_cut_labels(Gtk::Widget& widget, Gtk::Window& window, std::string& cut) {
    if (!widget.get_is_drawable()) return;
    auto* label = dynamic_cast<Gtk::Label*>(&widget);
    if (label && !label->get_text().empty()) {
        const Gtk::Allocation at = label->get_allocation();
        // Preferred sizes count the margins, allocations do not.
        const int across = label->get_margin_start() + label->get_margin_end();
        const int down = label->get_margin_top() + label->get_margin_bottom();
        int least = 0, natural = 0, least_height = 0, natural_height = 0;
        label->get_preferred_width(least, natural);
        label->get_preferred_height_for_width(at.get_width() + across, least_height,
                                              natural_height);
        least -= across;
        natural -= across;
        least_height -= down;
        bool short_of_room = at.get_height() < least_height;
        if (label->get_ellipsize() != Pango::ELLIPSIZE_NONE)
            short_of_room = at.get_width() < natural && !label->get_has_tooltip();
        else if (!label->get_line_wrap())
            short_of_room = short_of_room || at.get_width() < least;
        // Pages may scroll down, not sideways.
        Gtk::Widget* shown_in = scroller_of(*label);
        if (!shown_in) shown_in = &window;
        int x = 0, y = 0;
        label->translate_coordinates(*shown_in, 0, 0, x, y);
        const bool beyond = x < 0 || x + at.get_width() > shown_in->get_width();
        if (short_of_room || beyond)
            cut += format("\"%s\" %dx%d at %d,%d; ", label->get_text().c_str(), at.get_width(),
                          at.get_height(), x, y);
    }
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        container->forall([&](Gtk::Widget& child) { find_cut_labels(child, window, cut); });
}

TEST(LargeText, NoPageCutsTextOffAtTheFirstSize) {
    auto settings = Gtk::Settings::get_default();
    const int dpi = settings->property_gtk_xft_dpi();
    settings->property_gtk_xft_dpi() = (dpi > 0 ? dpi : 96 * 1024) * 3 / 2;
    std::unique_ptr<SurveyWindow> window(window_in_region_with_shading());
    wait_for([&] { return window->get_mapped(); });
    for (int page = 0; page < window->notebook->get_n_pages(); ++page) {
        window->notebook->set_current_page(page);
        std::string cut;
        wait_for([&] { // the window may grow meanwhile
            cut.clear();
            find_cut_labels(*window, *window, cut);
            return cut.empty();
        });
        EXPECT_EQ(cut, "") << "page " << page << " of a window " << window->get_width() << "x"
                           << window->get_height();
    }
    const Glib::RefPtr<Gdk::Screen> screen = window->get_screen();
    EXPECT_LE(window->get_width(), screen->get_width());
    EXPECT_LE(window->get_height(), screen->get_height());
    window.reset();
    settings->property_gtk_xft_dpi() = dpi;
}

} // namespace
