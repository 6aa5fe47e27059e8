#include "ui/species-tree-columns.h"

#include "app/my-app-core.h"
#include "core/errors.h"
#include "core/misc.h"
#include "core/palette.h"
#include "survey/survey-data.h"

#include <algorithm>
#include <cstdio>
#include <glibmm/main.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/scrollbar.h>
#include <gtkmm/scrolledwindow.h>
#include <sigc++/adaptors/track_obj.h>

SpeciesTreeColumns::SpeciesTreeColumns(const SurveyData* survey_data) : survey(survey_data) {
    add(id);
    add(common_name);
    add(scientific_name);
    add(both_names);
    add(spanish_name);
    add(abundance);
    add(abundance_label);
    add(in_view);
}

SpeciesTreeColumns::Texts SpeciesTreeColumns::markup(int species_id, const Glib::ustring& common,
                                                     const Glib::ustring& scientific,
                                                     const Glib::ustring& spanish, int rarity) {
    // Family rows stand out in blue; rare species are shaded by how rare.
    const Glib::ustring open = species_id < 0 ? family_style() : rarity_shade(rarity);
    const Glib::ustring close = open.empty() ? "" : "</span>";
    Glib::ustring both = escape_markup(common);
    // Byte for byte: the names are the same text or not; the locale's
    // collation would cost more than the rest of a row.
    if (!scientific.empty() && scientific.raw() != common.raw()) {
        if (common.empty())
            both = escape_markup(scientific);
        else
            both += " <i>(" + escape_markup(scientific) + ")</i>";
    }
    return {open + escape_markup(common) + close, open + escape_markup(scientific) + close,
            open + both + close, open + escape_markup(spanish) + close};
}

void SpeciesTreeColumns::set(const Gtk::TreeRow& row, int species_id, const Glib::ustring& common,
                             const Glib::ustring& scientific, const Glib::ustring& spanish,
                             int species_abundance, bool species_in_view, int rarity) {
    set(row, species_id, markup(species_id, common, scientific, spanish, rarity), species_abundance,
        species_in_view);
}

Gtk::TreeIter SpeciesTreeColumns::prepend(const Glib::RefPtr<Gtk::TreeStore>& store,
                                          const Gtk::TreeIter& parent, int species_id,
                                          const Texts& texts, int species_abundance,
                                          bool species_in_view) const {
    Glib::ustring label;
    const int shown = shown_abundance(species_id, species_abundance, label);
    return prepend(store, parent, species_id, texts, shown, label, species_in_view);
}

Gtk::TreeIter SpeciesTreeColumns::prepend(const Glib::RefPtr<Gtk::TreeStore>& store,
                                          const Gtk::TreeIter& parent, int species_id,
                                          const Texts& texts, int shown, const Glib::ustring& label,
                                          bool species_in_view) const {
    // Inserted with its values in one go: one signal instead of two per row.
    GtkTreeIter iter;
    gtk_tree_store_insert_with_values(
        store->gobj(), &iter, parent ? const_cast<GtkTreeIter*>(parent.gobj()) : nullptr, 0,
        id.index(), species_id, common_name.index(), texts.common.c_str(), scientific_name.index(),
        texts.scientific.c_str(), both_names.index(), texts.both.c_str(), spanish_name.index(),
        texts.spanish.c_str(), abundance.index(), shown, abundance_label.index(), label.c_str(),
        in_view.index(), species_in_view ? TRUE : FALSE, -1);
    return Gtk::TreeIter(GTK_TREE_MODEL(store->gobj()), &iter);
}

void SpeciesTreeColumns::set(const Gtk::TreeRow& row, int species_id, const Texts& texts,
                             int species_abundance, bool species_in_view) const {
    Glib::ustring label;
    const int shown = shown_abundance(species_id, species_abundance, label);
    // All columns in one go: a store tells its views of every single change,
    // which would cost eight times over for the thousands of rows of a list.
    GtkTreeModel* model = row.get_model_gobject();
    if (GTK_IS_TREE_STORE(model)) {
        GtkTreeIter iter = *row.gobj();
        gtk_tree_store_set(GTK_TREE_STORE(model), &iter, id.index(), species_id,
                           common_name.index(), texts.common.c_str(), scientific_name.index(),
                           texts.scientific.c_str(), both_names.index(), texts.both.c_str(),
                           spanish_name.index(), texts.spanish.c_str(), abundance.index(), shown,
                           abundance_label.index(), label.c_str(), in_view.index(),
                           species_in_view ? TRUE : FALSE, -1);
        return;
    }
    row[id] = species_id;
    row[common_name] = texts.common;
    row[scientific_name] = texts.scientific;
    row[both_names] = texts.both;
    row[spanish_name] = texts.spanish;
    row[in_view] = species_in_view;
    row[abundance] = shown;
    row[abundance_label] = label;
}

int SpeciesTreeColumns::shown_abundance(int species_id, int species_abundance,
                                        Glib::ustring& label) const {
    int index = species_abundance;
    label = empty_label;
    const auto* choices = choices_for_species(species_id);
    if (species_abundance >= 0 && choices && !choices->empty()) {
        index = std::min(species_abundance, int(choices->size()) - 1);
        label = (*choices)[index].label;
    }
    if (debug_level >= 5)
        printf("set_abundance(): species id %d = %d (%s)\n", species_id, index, label.c_str());
    return index;
}

void SpeciesTreeColumns::set_abundance(const Gtk::TreeRow& row, int species_abundance) {
    Glib::ustring label;
    const int shown = shown_abundance(row[id], species_abundance, label);
    row[abundance] = shown;
    row[abundance_label] = label;
}

bool SpeciesTreeColumns::uses_invertebrate_list(int species_id) const {
    const RegionFishInfo* catalogue = survey ? survey->region_fish_info : nullptr;
    const RegionFishInfo::Species* species =
        catalogue ? catalogue->find_species(species_id) : nullptr;
    return species && species->invertebratetype == 2;
}

const std::vector<AbundanceChoices::Choice>*
SpeciesTreeColumns::choices_for_species(int species_id) const {
    if (!uses_invertebrate_list(species_id))
        return abundance_choices ? &abundance_choices->choices : nullptr;
    const AbundanceChoices* lists = app ? app->abundance_choices : nullptr;
    return lists ? &lists->choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE) : nullptr;
}

Glib::ustring SpeciesTreeColumns::zero_label(bool invertebrate_list) const {
    const AbundanceChoices* lists = app ? app->abundance_choices : nullptr;
    const std::vector<AbundanceChoices::Choice>* choices =
        !invertebrate_list ? (abundance_choices ? &abundance_choices->choices : nullptr)
        : lists            ? &lists->choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE)
                           : nullptr;
    return choices && !choices->empty() ? (*choices)[0].label : empty_label;
}

int text_width(Gtk::TreeView& view, const Glib::ustring& markup, int padding) {
    auto layout = view.create_pango_layout("");
    layout->set_markup(markup);
    int width = 0, height = 0;
    layout->get_pixel_size(width, height);
    return width + padding;
}

int header_width(Gtk::TreeView& view, const Glib::ustring& title) {
    return text_width(view, "<b>" + escape_markup(title) + "</b>", 24);
}

void keep_title_whole(Gtk::TreeView& view, Gtk::TreeViewColumn& column) {
    auto fit = [&view, &column] {
        if (auto* scroller = dynamic_cast<Gtk::ScrolledWindow*>(view.get_parent()))
            scroller->set_min_content_width(header_width(view, column.get_title()));
    };
    fit();
    view.signal_style_updated().connect(fit);
}

void make_fixed(Gtk::TreeViewColumn& column, int width) {
    column.set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    column.set_fixed_width(width);
    column.set_resizable(true);
}

namespace {

// A column that narrows, down to NARROWEST, when the tree is too narrow for
// every column; it keeps the width it would like under this key.
const char* const LIKED_WIDTH = "tavro-liked-width";
constexpr int NARROWEST = 40;

void let_give_way(Gtk::TreeViewColumn& column, Gtk::CellRendererText& renderer, int liked) {
    make_fixed(column, liked);
    column.set_data(LIKED_WIDTH, GINT_TO_POINTER(liked));
    renderer.property_ellipsize() = Pango::ELLIPSIZE_END;
}

// The width the tree shows: a tree in a scrolled window is as wide as its
// columns, of which the window shows a part.
int visible_width(Gtk::TreeView& view) {
    auto* scrolled = dynamic_cast<Gtk::ScrolledWindow*>(view.get_parent());
    if (!scrolled) return view.get_allocated_width();
    int width = scrolled->get_allocated_width() - 4; // the frame
    Gtk::Scrollbar* bar = scrolled->get_vscrollbar();
    if (bar && bar->get_visible() && !scrolled->get_overlay_scrolling())
        width -= bar->get_allocated_width();
    return width;
}

// Shares the width the other columns leave among the columns that give way,
// in proportion to the widths they would like: on a narrow tree the columns
// after them stay in sight, on a wide one the names have the room.
void fit_columns(Gtk::TreeView& view) {
    int rigid = 0, liked = 0;
    std::vector<std::pair<Gtk::TreeViewColumn*, int>> giving;
    for (Gtk::TreeViewColumn* column : view.get_columns()) {
        if (!column->get_visible()) continue;
        const int width = GPOINTER_TO_INT(column->get_data(LIKED_WIDTH));
        if (width > 0) {
            giving.emplace_back(column, width);
            liked += width;
        } else {
            rigid += column->get_sizing() == Gtk::TREE_VIEW_COLUMN_FIXED ? column->get_fixed_width()
                                                                         : column->get_width();
        }
    }
    const int room = visible_width(view) - rigid;
    for (const auto& [column, width] : giving) {
        const int fitted = std::max(NARROWEST, room * width / liked);
        if (column->get_fixed_width() != fitted) column->set_fixed_width(fitted);
    }
}

} // namespace

Gtk::TreeViewColumn* new_text_column(const Glib::ustring& title,
                                     const Gtk::TreeModelColumn<Glib::ustring>& content,
                                     bool markup, int width) {
    auto* column = Gtk::manage(new Gtk::TreeViewColumn(title));
    auto* renderer = Gtk::manage(new Gtk::CellRendererText());
    column->pack_start(*renderer, true);
    if (markup)
        column->add_attribute(renderer->property_markup(), content);
    else
        column->add_attribute(renderer->property_text(), content);
    make_fixed(*column, width);
    return column;
}

void SpeciesTreeColumns::shade_text(Gtk::TreeViewColumn& column,
                                    Gtk::CellRendererText& renderer) const {
    const char* text = palette().shaded_text;
    if (!text) return;
    column.set_cell_data_func(
        renderer, [this, &renderer, text](Gtk::CellRenderer*, const Gtk::TreeIter& row) {
            const RegionFishInfo* catalogue = survey ? survey->region_fish_info : nullptr;
            const int species_id = (*row)[id];
            const RegionFishInfo::Species* species =
                catalogue && species_id >= 0 ? catalogue->find_species(species_id) : nullptr;
            const bool shaded = species && species->rarefishind > 0;
            renderer.property_foreground_set() = shaded;
            if (shaded) renderer.property_foreground() = text;
        });
}

void SpeciesTreeColumns::fill_tree_columns(Gtk::TreeView& view, Gtk::TreeViewColumn& id_column,
                                           Gtk::TreeViewColumn& name_column,
                                           Gtk::CellRendererText& name_renderer,
                                           const SurveyData& survey, int names_width,
                                           const char* seen_title, int seen_width) const {
    view.remove_all_columns();
    view.append_column(id_column);
    name_column.clear_attributes(name_renderer);
    const Gtk::TreeModelColumn<Glib::ustring>* names = &scientific_name;
    name_column.set_title("Scientific Name");
    if (survey.show_common_names && survey.show_scientific_names) {
        name_column.set_title("Common + Scientific Names");
        names = &both_names;
    } else if (survey.show_common_names) {
        name_column.set_title("Common Name");
        names = &common_name;
    }
    name_column.add_attribute(name_renderer.property_markup(), *names);
    let_give_way(name_column, name_renderer, names_width);
    shade_text(name_column, name_renderer);
    view.append_column(name_column);
    // The whole names of a row, for when they are cut short.
    view.set_tooltip_column(names->index());
    if (survey.show_spanish_names) {
        Gtk::TreeViewColumn* spanish = new_text_column("Spanish Name", spanish_name, true, 160);
        auto* renderer = static_cast<Gtk::CellRendererText*>(spanish->get_first_cell());
        let_give_way(*spanish, *renderer, 160);
        shade_text(*spanish, *renderer);
        view.append_column(*spanish);
    }
    // As wide as its title, and as the longest category of the survey type.
    int seen = std::max(seen_width, header_width(view, seen_title));
    if (abundance_choices)
        for (const auto& choice : abundance_choices->choices)
            seen = std::max(seen, text_width(view, escape_markup(choice.label), 8));
    view.append_column(*new_text_column(seen_title, abundance_label, false, seen));
    if (!view.get_data(LIKED_WIDTH)) {
        view.set_data(LIKED_WIDTH, GINT_TO_POINTER(1));
        // Widths set while the tree is being laid out would wait for its next
        // layout: they are set just after.
        view.signal_size_allocate().connect(
            [&view](Gtk::Allocation&) {
                // Not after the tree has gone.
                Glib::signal_idle().connect_once(
                    sigc::track_obj([&view] { fit_columns(view); }, view),
                    Glib::PRIORITY_HIGH_IDLE);
            },
            true);
    }
}
