#include "ui/unlisted-panel.h"

#include "core/misc.h"
#include "refdata/region-fish-info.h"
#include "ui/drop-down-box.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <gdk/gdkkeysyms.h>
#include <gtkmm/menu.h>

namespace {
const char* const NO_TYPE_YET =
    "Please select a survey location and type on the Survey Info Part 1 tab.";

// The search modes by the labels of the search-by box.
int search_mode(const Glib::ustring& label) {
    static const char* const labels[] = {
        "Common Name",  "Scientific Name",           "Family Name",
        "Spanish Name", "Common + Scientific Names", "Species Code"};
    for (int i = 0; i < 6; ++i)
        if (label == labels[i]) return i + 1;
    return 0;
}
} // namespace

UnlistedPanel::UnlistedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void UnlistedPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                   SurveyWindow* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget("unlisted_instructions", unlisted_instructions);
    builder->get_widget("selected_species_box", selected_species_box);
    builder->get_widget("selected_species_tree", selected_species_tree);
    builder->get_widget("search_box", search_box);
    builder->get_widget("species_search", species_search);
    builder->get_widget_derived("species_search_by", species_search_by);
    builder->get_widget("found_species_box", found_species_box);
    builder->get_widget("found_species_heading", found_species_heading);
    builder->get_widget("no_found_species_heading", no_found_species_heading);
    builder->get_widget("found_species_tree", found_species_tree);
    if (!selected_species_tree || !found_species_tree || !species_search || !species_search_by ||
        !found_species_box || !selected_species_box || !found_species_heading ||
        !no_found_species_heading)
        return;
    attach_to_store();
    connect_tree(selected_species_tree, "selected_species");
    connect_tree(found_species_tree, "found_species");
    // Family rows say so in the ID column; species show their code.
    auto render_id = [this](Gtk::CellRendererText* renderer) {
        return [=](Gtk::CellRenderer*, const Gtk::TreeIter& iter) {
            const int id = (*iter)[window->species_columns.id];
            if (id < 0)
                renderer->property_markup() =
                    Glib::ustring(SpeciesTreeColumns::FAMILY_STYLE) + "Family</span>";
            else
                renderer->property_markup() = format("%04d:", id);
        };
    };
    selected_id_column.set_title("ID");
    selected_id_column.pack_start(selected_id_renderer, false);
    selected_id_column.set_cell_data_func(selected_id_renderer, render_id(&selected_id_renderer));
    selected_name_column.pack_start(selected_name_renderer, true);
    // Fixed widths and row heights: the catalogue may hold thousands of species.
    for (Gtk::TreeViewColumn* column :
         {&selected_id_column, &selected_name_column, &found_id_column, &found_name_column})
        make_fixed(*column, column == &selected_id_column || column == &found_id_column ? 80 : 260);
    selected_species_tree->set_fixed_height_mode(true);
    found_species_tree->set_fixed_height_mode(true);
    window->signal_species_stores_rebuilt.connect(
        sigc::mem_fun(*this, &UnlistedPanel::attach_to_store));
    found_id_column.set_title("ID");
    found_id_column.pack_start(found_id_renderer, false);
    found_id_column.set_cell_data_func(found_id_renderer, render_id(&found_id_renderer));
    found_name_column.pack_start(found_name_renderer, true);
    found_species_heading->hide();
    no_found_species_heading->hide();
    selected_species_box->hide();
    found_species_box->hide();
    species_search_by->set_active(0);
    search_by = SEARCH_BY_COMMON_NAME;
    species_search->signal_changed().connect(
        sigc::mem_fun(*this, &UnlistedPanel::on_search_changed));
    species_search_by->signal_changed().connect(
        sigc::mem_fun(*this, &UnlistedPanel::on_search_changed));
    update_columns();
}

void UnlistedPanel::attach_to_store() {
    if (!selected_species_tree || !found_species_tree) return;
    selected_filter = Gtk::TreeModelFilter::create(window->unlisted_store);
    selected_filter->set_visible_func(sigc::mem_fun(*this, &UnlistedPanel::check_visible_selected));
    selected_species_tree->set_model(selected_filter);
    found_filter = Gtk::TreeModelFilter::create(window->unlisted_store);
    found_filter->set_visible_func(sigc::mem_fun(*this, &UnlistedPanel::check_visible_found));
    found_species_tree->set_model(found_filter);
    plain_texts.clear();
    // The search stays in force over the new rows.
    run_search();
    refilter_added();
}

RetCode UnlistedPanel::setup_for_subregion(const Glib::ustring&) {
    if (!species_search) return RC_OK;
    if (!window->survey_data.survey_subtype) {
        species_search->set_text("");
        if (unlisted_instructions) unlisted_instructions->set_text(NO_TYPE_YET);
    }
    return run_search();
}

RetCode UnlistedPanel::run_search() {
    if (!species_search) return RC_OK;
    search_words.clear();
    const Glib::ustring text = trim_ws(species_search->get_text().lowercase());
    const SurveyData& survey = window->survey_data;
    if (!survey.region_fish_info) {
        found_species_box->hide();
        return RC_OK;
    }
    species_matched.assign(survey.region_fish_info->species.size(), 0);
    if (text.empty() || !survey.survey_subtype) {
        found_species_box->hide();
        return RC_OK;
    }
    // Split at every blank: two blanks in a row give an empty word, which
    // occurs everywhere.
    for (Glib::ustring::size_type start = 0;;) {
        auto blank = text.find(' ', start);
        search_words.push_back(text.substr(start, blank - start));
        if (blank == Glib::ustring::npos) break;
        start = blank + 1;
    }
    found_species_box->show();
    Glib::ustring label = species_search_by->get_selected_label();
    if (text == "__all__") {
        search_by = SEARCH_BY_ALL;
        label = "(all) " + label;
    } else if ((search_by = search_mode(label)) == 0) {
        search_by = SEARCH_BY_COMMON_NAME;
        label = "Unknown: " + label;
    }
    if (debug_level > 0) {
        Glib::ustring shown = "\"" + text + "\" [";
        for (const auto& word : search_words)
            shown += " \"" + word + "\"";
        printf("\nSearching for %s ] by %s (%d):\n", shown.c_str(), label.c_str(), search_by);
    }
    refilter_found();
    return RC_OK;
}

void UnlistedPanel::refilter() {
    refilter_added();
    refilter_found();
}

void UnlistedPanel::refilter_added() {
    if (!selected_filter) return;
    selected_count = 0;
    selected_filter->refilter();
    selected_species_tree->expand_all();
    selected_species_box->set_visible(selected_count > 0);
}

void UnlistedPanel::refilter_found() {
    if (!found_filter) return;
    found_filter->refilter();
    found_species_tree->expand_all();
    // The filter may ask about a row more than once, so the matches are
    // counted from their flags, not in the visible function.
    found_count = 0;
    if (search_by != SEARCH_BY_ALL && !search_words.empty())
        for (char matched : species_matched)
            found_count += matched ? 1 : 0;
    if (debug_level > 0) printf("search found %d\n", found_count);
    found_species_heading->set_visible(found_count != 0);
    no_found_species_heading->set_visible(found_count == 0);
}

const Glib::ustring& UnlistedPanel::plain_lower(const Glib::ustring& markup) {
    auto known = plain_texts.find(markup.raw());
    if (known != plain_texts.end()) return known->second;
    char* text = nullptr;
    Glib::ustring plain = markup;
    if (pango_parse_markup(markup.c_str(), -1, 0, nullptr, &text, nullptr, nullptr)) {
        plain = text;
        g_free(text);
    }
    return plain_texts.emplace(markup.raw(), plain.lowercase()).first->second;
}

bool UnlistedPanel::words_occur_in(const Glib::ustring& markup) {
    // The names as the user reads them: never the tags or entities around them.
    const Glib::ustring& text = plain_lower(markup);
    for (const auto& word : search_words)
        if (text.find(word) == Glib::ustring::npos) return false;
    return true;
}

bool UnlistedPanel::species_matches(const Gtk::TreeRow& row) {
    TAVRO_ASSERT(search_by != SEARCH_BY_FAMILY_NAME);
    const SpeciesTreeColumns& c = window->species_columns;
    if (search_by == SEARCH_BY_SPECIES_CODE)
        return row[c.id] == parse_int_clamped(search_words.empty() ? "" : search_words[0].raw());
    switch (search_by) {
    case SEARCH_BY_SCIENTIFIC_NAME:
        return words_occur_in(row[c.scientific_name]);
    case SEARCH_BY_SPANISH_NAME:
        return words_occur_in(row[c.spanish_name]);
    case SEARCH_BY_COMMON_AND_SCIENTIFIC:
        return words_occur_in(row[c.both_names]);
    default:
        return words_occur_in(row[c.common_name]);
    }
}

bool UnlistedPanel::check_visible_found(const Gtk::TreeIter& iter) {
    if (search_words.empty()) return false;
    if (search_by == SEARCH_BY_ALL) return true;
    const SpeciesTreeColumns& c = window->species_columns;
    const int id = (*iter)[c.id];
    if (id >= 0) return static_cast<size_t>(id) < species_matched.size() && species_matched[id];
    // A family row comes before its species: decide for all of them here.
    const SurveyData& survey = window->survey_data;
    bool family_matches = false;
    if (search_by == SEARCH_BY_FAMILY_NAME) {
        const Gtk::TreeModelColumn<Glib::ustring>& names =
            !survey.show_common_names       ? c.scientific_name
            : !survey.show_scientific_names ? c.common_name
                                            : c.both_names;
        family_matches = words_occur_in((*iter)[names]) ||
                         (survey.show_spanish_names && words_occur_in((*iter)[c.spanish_name]));
    }
    bool any = false;
    for (const auto& child : iter->children()) {
        const bool matched =
            search_by == SEARCH_BY_FAMILY_NAME ? family_matches : species_matches(child);
        const int species = child[c.id];
        if (species >= 0 && static_cast<size_t>(species) < species_matched.size())
            species_matched[species] = matched;
        any = any || matched;
    }
    return any;
}

bool UnlistedPanel::species_visible_selected(const Gtk::TreeRow& row) {
    const SpeciesTreeColumns& c = window->species_columns;
    if (row[c.in_view] || row[c.abundance] == 0) return false;
    ++selected_count;
    return true;
}

bool UnlistedPanel::check_visible_selected(const Gtk::TreeIter& iter) {
    if ((*iter)[window->species_columns.id] >= 0) return species_visible_selected(*iter);
    for (const auto& child : iter->children())
        if (species_visible_selected(child)) return true;
    return false;
}

void UnlistedPanel::update_columns() {
    const SurveyData& survey = window->survey_data;
    const SpeciesTreeColumns& c = window->species_columns;
    struct Tree {
        Gtk::TreeView* view;
        Gtk::TreeViewColumn& id_column;
        Gtk::TreeViewColumn& name_column;
        Gtk::CellRendererText& name_renderer;
    };
    for (Tree tree :
         {Tree{selected_species_tree, selected_id_column, selected_name_column,
               selected_name_renderer},
          Tree{found_species_tree, found_id_column, found_name_column, found_name_renderer}}) {
        if (!tree.view) continue;
        tree.view->remove_all_columns();
        tree.view->append_column(tree.id_column);
        tree.name_column.clear_attributes(tree.name_renderer);
        if (survey.show_common_names && survey.show_scientific_names) {
            tree.name_column.set_title("Common + Scientific Names");
            tree.name_column.add_attribute(tree.name_renderer.property_markup(), c.both_names);
        } else if (survey.show_common_names) {
            tree.name_column.set_title("Common Name");
            tree.name_column.add_attribute(tree.name_renderer.property_markup(), c.common_name);
        } else {
            tree.name_column.set_title("Scientific Name");
            tree.name_column.add_attribute(tree.name_renderer.property_markup(), c.scientific_name);
        }
        tree.view->append_column(tree.name_column);
        if (survey.show_spanish_names)
            tree.view->append_column(*new_text_column("Spanish Name", c.spanish_name, true, 160));
        tree.view->append_column(
            *new_text_column("Number seen (click to change)", c.abundance_label, false, 220));
        tree.view->expand_all();
    }
}

void UnlistedPanel::connect_tree(Gtk::TreeView* tree, const char* which) {
    // The filters are made afresh with the store, so look them up each time.
    const bool found = tree == found_species_tree;
    auto model = [this, found] { return found ? found_filter : selected_filter; };
    tree->signal_button_press_event().connect(
        [=](GdkEventButton* event) {
            if (event->type != GDK_BUTTON_PRESS || (event->button != 1 && event->button != 3))
                return false;
            GdkWindow* bin = tree->get_bin_window() ? tree->get_bin_window()->gobj() : nullptr;
            if (event->window != bin) {
                printf("hmm, %s click in some other window? %p vs. %p\n", which,
                       static_cast<void*>(event->window), static_cast<void*>(bin));
                return false;
            }
            Gtk::TreePath path;
            Gtk::TreeViewColumn* column = nullptr;
            int cell_x = 0, cell_y = 0;
            if (!tree->get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path,
                                       column, cell_x, cell_y))
                return false;
            tree->grab_focus();
            tree->set_cursor(path, *tree->get_column(1), false);
            if (debug_level >= 10) printf("got path: %s\n", path.to_string().c_str());
            return do_line_trigger(tree, model(), path, static_cast<int>(event->button),
                                   event->time);
        },
        false);
    tree->signal_key_press_event().connect(
        [=](GdkEventKey* event) {
            if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter &&
                event->keyval != GDK_KEY_Right) {
                if (debug_level >= 40) printf("ignoring key %d\n", event->keyval);
                return false;
            }
            Gtk::TreePath path;
            Gtk::TreeViewColumn* column = nullptr;
            tree->get_cursor(path, column);
            return !path.empty() && do_line_trigger(tree, model(), path, 0, event->time);
        },
        false);
    tree->signal_popup_menu().connect([=] {
        Gtk::TreePath path;
        Gtk::TreeViewColumn* column = nullptr;
        tree->get_cursor(path, column);
        return !path.empty() && do_line_trigger(tree, model(), path, 0, 0);
    });
}

bool UnlistedPanel::do_line_trigger(Gtk::TreeView* tree,
                                    const Glib::RefPtr<Gtk::TreeModelFilter>& filter,
                                    const Gtk::TreePath& path, int button, guint32) {
    Gtk::TreeIter iter = filter ? filter->get_iter(path) : Gtk::TreeIter();
    if (!iter) return false;
    const SpeciesTreeColumns& c = window->species_columns;
    const int id = (*iter)[c.id];
    if (debug_level >= 30)
        printf("species selected: id %d: %s\n", id, Glib::ustring((*iter)[c.common_name]).c_str());
    if (id < 0) {
        if (button == 1) {
            if (tree->row_expanded(path))
                tree->collapse_row(path);
            else
                tree->expand_row(path, false);
        }
        return true;
    }
    const SurveyData& survey = window->survey_data;
    if (survey.already_uploaded) return true;
    window->abundance_target = id;
    const RegionFishInfo::Species* species =
        survey.region_fish_info ? survey.region_fish_info->find_species(id) : nullptr;
    const auto& menus = window->abundance_menus;
    Gtk::Menu* menu = window->current_abundance_menu;
    if (species && species->invertebratetype == 2) menu = menus.size() > 99 ? menus[99] : nullptr;
    if (!menu) return true; // no categories for this type: nothing to show
    if (button != 0) {
        menu->popup_at_pointer(nullptr);
    } else {
        // From the keyboard: under the row's name, where the user looks.
        Gdk::Rectangle cell;
        tree->get_cell_area(path, *tree->get_column(1), cell);
        menu->popup_at_rect(tree->get_bin_window(), cell, Gdk::GRAVITY_SOUTH_WEST,
                            Gdk::GRAVITY_NORTH_WEST, nullptr);
    }
    return true;
}
