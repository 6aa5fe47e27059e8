#include "ui/listed-panel.h"

#include "core/misc.h"
#include "core/palette.h"
#include "refdata/species-views.h"
#include "ui/dialogs.h"
#include "ui/drop-down-box.h"
#include "ui/my-app.h"
#include "ui/page-host.h"
#include "ui/species-rows.h"

#include <cstdio>

namespace {
const char* const BULLET = "  <b>&#8226;</b>  ";

const char* event_type_name(GdkEventType type) {
    switch (type) {
    case GDK_BUTTON_PRESS:
        return "press";
    case GDK_2BUTTON_PRESS:
        return "2press";
    case GDK_3BUTTON_PRESS:
        return "3press";
    case GDK_BUTTON_RELEASE:
        return "release";
    default:
        return "??";
    }
}

void print_click(const GdkEventButton* event) {
    double axis0 = -994242, axis1 = -994242;
    if (event->axes) axis0 = event->axes[0], axis1 = event->axes[1];
    std::string source = "src ?", device = "?";
    if (event->device) {
        GdkInputSource s = gdk_device_get_source(event->device);
        source = s == GDK_SOURCE_MOUSE         ? "mouse"
                 : s == GDK_SOURCE_TOUCHSCREEN ? "touchscreen"
                                               : format("src %d", int(s));
        device = gdk_device_get_name(event->device);
    }
    printf("@%u: mw_species_tree button %d %s (type 0x%x), state 0x%x, (%g,%g) (%g,%g) (%g,%g) "
           "(%s: %s)\n",
           event->time, event->button, event_type_name(event->type), unsigned(event->type),
           event->state, event->x, event->y, event->x_root, event->y_root, axis0, axis1,
           source.c_str(), device.c_str());
}
} // namespace

ListedPanel::ListedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void ListedPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                 PageHost* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget("listed_instructions", listed_instructions);
    builder->get_widget_derived("species_view", species_view);
    builder->get_widget("name_display_common", name_display_common);
    builder->get_widget("name_display_scientific", name_display_scientific);
    builder->get_widget("name_display_both", name_display_both);
    builder->get_widget("spanish_enable", spanish_enable);
    builder->get_widget("species_tree", species_tree);

    if (name_display_both) name_display_both->set_active(true);
    sync_name_options();
    for (Gtk::RadioButton* button :
         {name_display_common, name_display_scientific, name_display_both})
        if (button)
            button->signal_toggled().connect(
                sigc::bind(sigc::mem_fun(*this, &ListedPanel::on_name_display_changed),
                           static_cast<Gtk::ToggleButton*>(button)));
    if (spanish_enable)
        spanish_enable->signal_toggled().connect(
            sigc::mem_fun(*this, &ListedPanel::on_spanish_display_changed));
    if (species_view) {
        species_view->init({}, -1);
        species_view->signal_changed().connect(sigc::mem_fun(*this, &ListedPanel::on_view_changed));
    }
    if (species_tree) connect_species_tree();
    id_column.set_title("ID");
    id_column.pack_start(id_renderer, false);
    id_column.set_cell_data_func(id_renderer,
                                 sigc::mem_fun(*this, &ListedPanel::render_species_id));
    make_fixed(id_column, 80);
    name_column.pack_start(name_renderer, true);

    builder->get_widget("listed_expand_all_button", listed_expand_all_button);
    builder->get_widget("listed_collapse_all_button", listed_collapse_all_button);
    if (species_tree && listed_expand_all_button)
        listed_expand_all_button->signal_clicked().connect(
            sigc::mem_fun(*species_tree, &Gtk::TreeView::expand_all));
    if (species_tree && listed_collapse_all_button)
        listed_collapse_all_button->signal_clicked().connect(
            sigc::mem_fun(*species_tree, &Gtk::TreeView::collapse_all));
}

void ListedPanel::connect_species_tree() {
    SpeciesStores& stores = window->species_stores;
    species_tree->set_model(stores.listed_store);
    stores.signal_species_stores_rebuilt.connect(
        [this, &stores] { species_tree->set_model(stores.listed_store); });
    // Before the tree's own handlers, which would take Return and the
    // arrow keys for themselves.
    SpeciesRows::connect(
        *species_tree, window->species_columns, "species",
        [this](const Gtk::TreePath& path, int id, int button) {
            if (window->survey_data.already_uploaded) return;
            window->popup_abundance_menu(*species_tree, path, button, id);
        },
        [this](int id, int digit) { window->choose_abundance_by_digit(id, digit); }, print_click);
    species_tree->signal_key_press_event().connect(
        sigc::mem_fun(*this, &ListedPanel::find_as_typed), false);
    species_tree->set_enable_search(false);
    species_selection = species_tree->get_selection();
    species_tree->set_fixed_height_mode(true);
}

RetCode ListedPanel::setup_for_subregion(const Glib::ustring& subregion_code) {
    const SurveyData& survey = window->survey_data;
    if (survey.region_fish_info) {
        setup_instructions(*survey.region_fish_info);
        if (spanish_enable) {
            bool spanish = survey.region_fish_info->has_spanish_names;
            if (!spanish) spanish_enable->set_active(false);
            spanish_enable->set_visible(spanish);
        }
    }
    // One rebuild at the end instead of one for each change of the box.
    view_changes_suppressed = true;
    if (species_view && survey.subregion_info) {
        species_view->init(survey.subregion_info->view_ids, survey.subregion_info->view_names, -1,
                           0);
        species_view->select_id(survey.subregion_info->default_view);
    } else if (species_view) {
        species_view->init({}, -1);
    }
    view_changes_suppressed = false;
    if (debug_level >= 3)
        printf("subregion now %s; active view id now %d; about to update for view\n",
               subregion_code.c_str(), species_view ? species_view->get_selected_id() : -1);
    return update_for_view();
}

void ListedPanel::setup_instructions(const RegionFishInfo& catalogue) {
    if (!listed_instructions) return;
    if (!window->survey_data.survey_subtype) {
        listed_instructions->set_markup(
            "Please select a survey location and type on the Survey Info Part 1 tab.");
        return;
    }
    const Glib::ustring rare = rarity_shade(1);
    const Glib::ustring very_rare = rarity_shade(2);
    Glib::ustring text = "Here you'll find the more common fish species.  If you don't see it "
                         "here, try the next tab, Unlisted Species.";
    if (catalogue.max_rarefishind == 1) {
        text += "\n\nSpecies that are shaded in " + rare +
                "blue</span> are very rare, often misidentified, and/or difficult to identify. "
                "Please select with care.\n";
    } else if (catalogue.max_rarefishind >= 2) {
        text += "\n\nSpecies that are shaded have limited geographic range. Please mark with care. "
                "Codes indicate:\n\n" +
                Glib::ustring(BULLET) + rare +
                "NOT-GC: NOT found in the Gulf of California, but may be found along Central "
                "American Coast and/or the oceanic islands\n</span>" +
                BULLET + very_rare +
                "ISL: Limited to one or more of the oceanic islands, incl. Galapagos, Cocos, "
                "and/or Mapelo Islands (either endemic or rare outside of the range)</span>";
        if (catalogue.has_spanish_names)
            text += "\n\n<i>Para cada especies observada, se necesita marcar una sola "
                    "categor&#237;a de abundancia. S&#243;lo marque las especies que con "
                    "seguridad han sido identificadas. Las especies sombreadas tienen una zona de "
                    "distribuci&#243;n limitada. Tengan cuidado al se&#241;alar las especies. Los "
                    "c&#243;digos significan:\n\n" +
                    Glib::ustring(BULLET) + rare +
                    "NOT-GC: No se encuentra en el Golfo de California, pero se puede encontrar a "
                    "lo largo de las costas de Am&#233;rica Central y/o en las islas "
                    "oce&#225;nicas.\n</span>" +
                    BULLET + very_rare +
                    "ISL: Limitado a una o varias islas oce&#225;nicas tales como las Islas "
                    "Gal&#225;pagos, del Coco y/o de Mapelo (especies end&#233;micas o que rara "
                    "vez se encuentran fuera de su zona de distribuci&#243;n).</span></i>\n";
    }
    listed_instructions->set_markup(text);
}

RetCode ListedPanel::update_for_view() {
    SurveyData& survey = window->survey_data;
    if (species_tree) species_tree->remove_all_columns();
    if (survey.survey_subtype && survey.region_fish_info) {
        int view = species_view ? species_view->get_selected_id() : -1;
        survey.species_view = view;
        survey.species_views = app ? app->species_views : nullptr;
        if (debug_level > 0)
            printf("Using view id %d; show_fish=%d, show_inverts=%d\n", view, survey.show_fish,
                   survey.show_inverts);
    }
    window->species_stores.rebuild();
    if (!survey.survey_subtype) return RC_OK;
    expand_selected_families();
    update_columns();
    return RC_OK;
}

void ListedPanel::sync_name_options() {
    // The buttons of this page say which names every species list shows.
    SurveyData& survey = window->survey_data;
    auto active = [](Gtk::ToggleButton* button) { return button && button->get_active(); };
    survey.show_spanish_names = active(spanish_enable);
    survey.show_common_names = active(name_display_common) || active(name_display_both);
    survey.show_scientific_names = active(name_display_scientific) || active(name_display_both);
}

void ListedPanel::update_columns() {
    if (debug_level >= 10) printf("Updating columns\n");
    SurveyData& survey = window->survey_data;
    sync_name_options();
    // Without a survey type the list is empty and has no columns.
    if (!species_tree || !survey.survey_subtype) return;
    SpeciesTreeColumns& columns = window->species_columns;
    columns.fill_tree_columns(*species_tree, id_column, name_column, name_renderer, survey, 260,
                              "Number seen (click to change)", 220);
}

void ListedPanel::render_species_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter) {
    const Glib::ustring family = family_style() + "Family</span>";
    int id = (*iter)[window->species_columns.id];
    static_cast<Gtk::CellRendererText*>(renderer)->property_markup() =
        id < 0 ? family : Glib::ustring(format("%04d:", id));
}

void ListedPanel::expand_selected_families() {
    if (species_tree)
        window->species_stores.listed_store->foreach (
            sigc::mem_fun(*this, &ListedPanel::expand_if_present));
}

bool ListedPanel::expand_if_present(const Gtk::TreePath& path, const Gtk::TreeIter& iter) {
    if ((*iter)[window->species_columns.abundance] >= 1) species_tree->expand_to_path(path);
    return false;
}

void ListedPanel::set_species_view_carefully(int view_id) {
    const SurveyData& survey = window->survey_data;
    const SpeciesViews* views = app ? app->species_views : nullptr;
    if (!views || !species_view || view_id == survey.species_view || view_id < 0 ||
        size_t(view_id) >= views->view_subregions.size() ||
        views->view_subregions[view_id] != survey.subregion.raw())
        return;
    species_view->select_id(view_id);
}

void ListedPanel::on_view_changed() {
    if (view_changes_suppressed) return;
    update_for_view();
    window->species_view_changed();
}

void ListedPanel::on_name_display_changed(Gtk::ToggleButton* button) {
    if (debug_level >= 10)
        printf("name display button toggled, state = %d\n", button->get_active());
    // Each change toggles two radio buttons; the one turned on rebuilds.
    if (!button->get_active()) return;
    window->name_options_changed();
}

void ListedPanel::on_spanish_display_changed() {
    window->name_options_changed();
}

void ListedPanel::take_name_options(const ListedPanel& from) {
    using Pair = std::pair<const Gtk::ToggleButton*, Gtk::ToggleButton*>;
    for (auto [source, target] : {Pair(from.name_display_common, name_display_common),
                                  Pair(from.name_display_scientific, name_display_scientific),
                                  Pair(from.name_display_both, name_display_both),
                                  Pair(from.spanish_enable, spanish_enable)})
        if (source && target) target->set_active(source->get_active());
}

bool ListedPanel::find_as_typed(GdkEventKey* event) {
    if (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return false;
    const gunichar c = gdk_keyval_to_unicode(event->keyval);
    const gint64 now = g_get_monotonic_time();
    const bool going_on = !typed.empty() && now - typed_at < G_USEC_PER_SEC;
    if (!c || !g_unichar_isprint(c) || g_unichar_isdigit(c) || (c == ' ' && !going_on))
        return false;
    typed_at = now;
    if (!going_on) typed.clear();
    typed += c;
    const std::string wanted = fold_for_search(typed).raw();
    const SpeciesTreeColumns& columns = window->species_columns;
    const SurveyData& survey = window->survey_data;
    const Gtk::TreeModelColumn<Glib::ustring>& names =
        !survey.show_scientific_names ? columns.common_name
        : !survey.show_common_names   ? columns.scientific_name
                                      : columns.both_names;
    // The species rows in order, and where the cursor is among them.
    std::vector<Gtk::TreePath> rows;
    Gtk::TreePath cursor;
    Gtk::TreeViewColumn* column = nullptr;
    species_tree->get_cursor(cursor, column);
    size_t from = 0;
    auto model = species_tree->get_model();
    if (!model) return true;
    model->foreach_path([&](const Gtk::TreePath& path) {
        if ((*model->get_iter(path))[columns.id] < 0) return false;
        if (!cursor.empty() && path < cursor) from = rows.size() + 1;
        rows.push_back(path);
        return false;
    });
    // A longer word may still be the species under the cursor; a new one
    // looks past it.
    if (!going_on && !cursor.empty() && from < rows.size() && rows[from] == cursor) ++from;
    for (size_t k = 0; k < rows.size(); ++k) {
        const Gtk::TreePath& path = rows[(from + k) % rows.size()];
        const Gtk::TreeRow row = *model->get_iter(path);
        Glib::ustring shown = markup_as_plain_text(row[names]);
        if (survey.show_spanish_names)
            shown += " " + markup_as_plain_text(row[columns.spanish_name]);
        if (fold_for_search(shown).raw().find(wanted) == std::string::npos) continue;
        species_tree->expand_to_path(path);
        species_tree->set_cursor(path);
        species_tree->scroll_to_row(path);
        break;
    }
    return true;
}
