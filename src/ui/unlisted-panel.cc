#include "ui/unlisted-panel.h"

#include "core/misc.h"
#include "core/palette.h"
#include "core/suggest.h"
#include "refdata/region-fish-info.h"
#include "ui/drop-down-box.h"
#include "ui/found-rows.h"
#include "ui/page-host.h"
#include "ui/species-rows.h"

#include <algorithm>
#include <cstdio>
#include <gdk/gdkkeysyms.h>
#include <glibmm/main.h>
#include <gtkmm/menu.h>
#include <gtk/gtk.h>

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
                                   PageHost* survey_window) {
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
    no_match.attach(no_found_species_heading, species_search);
    watch_stores();
    connect_tree(selected_species_tree, "selected_species");
    connect_tree(found_species_tree, "found_species");
    // Family rows say so in the ID column; species show their code.
    auto render_id = [this](Gtk::CellRendererText* renderer) {
        return [=](Gtk::CellRenderer*, const Gtk::TreeIter& iter) {
            const int id = (*iter)[window->species_columns.id];
            if (id < 0)
                renderer->property_markup() = Glib::ustring(family_style()) + "Family</span>";
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

void UnlistedPanel::watch_stores() {
    SpeciesStores& stores = window->species_stores;
    stores.watch(SpeciesStores::UNLISTED,
                 sigc::mem_fun(*this, &UnlistedPanel::check_visible_selected),
                 [this](const Glib::RefPtr<Gtk::TreeModelFilter>& filter) {
                     selected_filter = filter;
                     selected_species_tree->set_model(filter);
                 });
    take_new_rows();
    stores.signal_species_stores_rebuilt.connect(
        sigc::mem_fun(*this, &UnlistedPanel::take_new_rows));
}

void UnlistedPanel::take_new_rows() {
    // The search stays in force over the new rows, and over what the survey
    // type now offers.
    narrowable = false;
    run_search();
    refilter_added();
    folding.disconnect();
    folding = Glib::signal_idle().connect(sigc::mem_fun(*this, &UnlistedPanel::fold_ahead),
                                          Glib::PRIORITY_LOW);
}

bool UnlistedPanel::fold_ahead() {
    if (!window->survey_data.region_fish_info) return false;
    follow_rows();
    const std::vector<Gtk::TreeIter>& rows = window->species_stores.rows().species_rows;
    std::vector<std::string>& shown = species_texts[0]; // the common names
    const size_t end = std::min(rows.size(), shown.size() + 2000);
    for (size_t i = shown.size(); i < end; ++i)
        shown.push_back(fold_for_search(shown_name(*rows[i], 0)).raw());
    return shown.size() < rows.size();
}

bool UnlistedPanel::flags_current() const {
    return indexed && rows_generation == window->species_stores.generation();
}

void UnlistedPanel::follow_rows() {
    SpeciesStores& stores = window->species_stores;
    const SpeciesStores::Rows& r = stores.rows();
    if (flags_current()) return;
    for (auto& cache : species_texts)
        cache.clear();
    for (auto& cache : family_texts)
        cache.clear();
    found_rows.clear();
    narrowable = false;
    found_model.reset();
    if (found_species_tree) found_species_tree->unset_model();
    added_families.assign(r.family_rows.size(), 0);
    rows_generation = stores.generation();
    indexed = true;
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
    const Glib::ustring text = trim_ws(fold_for_search(species_search->get_text()));
    const SurveyData& survey = window->survey_data;
    if (!survey.region_fish_info) {
        found_species_box->hide();
        return RC_OK;
    }
    species_matched.assign(survey.region_fish_info->species.size(), 0);
    if (text.empty() || !survey.survey_subtype) {
        narrowable = false;
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
    follow_rows();
    const SpeciesStores::Rows& r = window->species_stores.rows();
    std::vector<char> species;
    match_rows(species, narrows_last(text) ? &found_rows : nullptr);
    narrowable = true;
    last_text = text;
    last_search_by = search_by;
    last_column = name_column();
    show_found(species);
    species_matched.assign(species_matched.size(), 0);
    for (size_t row : found_rows) {
        const int id = (*r.species_rows[row])[window->species_columns.id];
        if (id >= 0 && static_cast<size_t>(id) < species_matched.size()) species_matched[id] = 1;
    }
    refilter_found();
    no_match.offer(suggestions());
    return RC_OK;
}

bool UnlistedPanel::narrows_last(const Glib::ustring& text) const {
    // Letters typed at the end of a name search can only narrow what it found.
    return search_by != SEARCH_BY_FAMILY_NAME && search_by != SEARCH_BY_SPECIES_CODE &&
           search_by != SEARCH_BY_ALL && narrowable && search_by == last_search_by &&
           name_column() == last_column && text.raw().rfind(last_text.raw(), 0) == 0;
}

std::vector<Glib::ustring> UnlistedPanel::suggestions() {
    if (found_count != 0 || search_words.empty() || search_by == SEARCH_BY_SPECIES_CODE ||
        search_by == SEARCH_BY_ALL)
        return {};
    const bool by_family = search_by == SEARCH_BY_FAMILY_NAME;
    const int column = name_column();
    SpeciesStores& stores = window->species_stores;
    const SpeciesStores::Rows& r = stores.rows();
    const std::vector<Gtk::TreeIter>& rows = by_family ? r.family_rows : r.species_rows;
    const auto& all = texts(by_family ? family_texts : species_texts, rows, column);
    Glib::ustring query;
    for (const auto& word : search_words)
        query += (query.empty() ? "" : " ") + word;
    // Only what the survey type offers.
    const auto offered = [&](size_t i) {
        return by_family ? stores.offered_family_row(i) : stores.offered_species_row(i);
    };
    std::vector<Glib::ustring> names;
    for (size_t i : nearest_names(all, query.raw(), 5, 2, offered))
        names.push_back(shown_name(*rows[i], column));
    return names;
}

int UnlistedPanel::name_column() const {
    enum { COMMON, SCIENTIFIC, BOTH, SPANISH };
    const SurveyData& survey = window->survey_data;
    if (search_by == SEARCH_BY_FAMILY_NAME)
        return !survey.show_common_names       ? SCIENTIFIC
               : !survey.show_scientific_names ? COMMON
                                               : BOTH;
    return search_by == SEARCH_BY_SCIENTIFIC_NAME         ? SCIENTIFIC
           : search_by == SEARCH_BY_SPANISH_NAME          ? SPANISH
           : search_by == SEARCH_BY_COMMON_AND_SCIENTIFIC ? BOTH
                                                          : COMMON;
}

void UnlistedPanel::refilter() {
    refilter_added();
    refilter_found();
}

void UnlistedPanel::refilter_added() {
    if (!selected_filter) return;
    follow_rows();
    // A species row tells the filter itself when its abundance changes; its
    // family row is told here when the family comes or goes.
    SpeciesStores& stores = window->species_stores;
    const SpeciesStores::Rows& r = stores.rows();
    const auto& store = stores.unlisted_store;
    std::vector<char> families(r.family_rows.size(), 0);
    selected_count = 0;
    for (const auto& [id, abundance] : window->survey_data.abundances) {
        const int row = r.row_of(id);
        if (abundance == 0 || row < 0 || !stores.offered_species_row(static_cast<size_t>(row)))
            continue;
        if (!species_visible_selected(*r.species_rows[static_cast<size_t>(row)])) continue;
        families[static_cast<size_t>(r.family_of_row[static_cast<size_t>(row)])] = 1;
        ++selected_count;
    }
    for (size_t f = 0; f < families.size(); ++f)
        if (families[f] != added_families[f]) {
            added_families[f] = families[f];
            store->row_changed(store->get_path(r.family_rows[f]), r.family_rows[f]);
        }
    selected_species_tree->expand_all();
    selected_species_box->set_visible(selected_count > 0);
}

void UnlistedPanel::refilter_found() {
    // Abundances do not change what a search finds; the rows follow their
    // labels by themselves.
    found_count = 0;
    if (search_by != SEARCH_BY_ALL && !search_words.empty())
        found_count = static_cast<int>(found_rows.size());
    if (debug_level > 0) printf("search found %d\n", found_count);
    found_species_heading->set_visible(found_count != 0);
    no_found_species_heading->set_visible(found_count == 0);
}

const std::vector<std::string>& UnlistedPanel::texts(std::vector<std::string> (&cache)[4],
                                                     const std::vector<Gtk::TreeIter>& rows,
                                                     int column) {
    std::vector<std::string>& shown = cache[column];
    if (shown.size() > rows.size()) shown.clear();
    shown.reserve(rows.size());
    // Goes on from what fold_ahead left.
    for (size_t i = shown.size(); i < rows.size(); ++i)
        shown.push_back(fold_for_search(shown_name(*rows[i], column)).raw());
    return shown;
}

Glib::ustring UnlistedPanel::shown_name(const Gtk::TreeRow& row, int column) const {
    const SpeciesTreeColumns& c = window->species_columns;
    const Gtk::TreeModelColumn<Glib::ustring>* columns[] = {&c.common_name, &c.scientific_name,
                                                            &c.both_names, &c.spanish_name};
    // The name as the user reads it: never the tags or entities around it.
    const Glib::ustring markup = row[*columns[column]];
    char* text = nullptr;
    if (!pango_parse_markup(markup.c_str(), -1, 0, nullptr, &text, nullptr, nullptr)) return markup;
    Glib::ustring name(text);
    g_free(text);
    return name;
}

bool UnlistedPanel::words_occur_in(const std::string& text) const {
    // Byte search is enough: a valid UTF-8 word can only match whole characters.
    for (const auto& word : search_words)
        if (text.find(word.raw()) == std::string::npos) return false;
    return true;
}

void UnlistedPanel::match_rows(std::vector<char>& species, const std::vector<size_t>* among) {
    SpeciesStores& stores = window->species_stores;
    const SpeciesStores::Rows& r = stores.rows();
    const std::vector<Gtk::TreeIter>&family_rows = r.family_rows, &species_rows = r.species_rows;
    species.assign(species_rows.size(), 0);
    if (search_words.empty()) return;
    const SurveyData& survey = window->survey_data;
    enum { COMMON, SCIENTIFIC, BOTH, SPANISH };
    if (search_by == SEARCH_BY_FAMILY_NAME) {
        std::vector<char> families(family_rows.size(), 0);
        const auto& shown = texts(family_texts, family_rows, name_column());
        for (size_t f = 0; f < family_rows.size(); ++f)
            families[f] = stores.offered_family_row(f) &&
                          (words_occur_in(shown[f]) ||
                           (survey.show_spanish_names &&
                            words_occur_in(texts(family_texts, family_rows, SPANISH)[f])));
        for (size_t i = 0; i < species_rows.size(); ++i)
            species[i] = families[r.family_of_row[i]] && stores.offered_species_row(i);
        return;
    }
    const int code = parse_int_clamped(search_words[0].raw());
    const int column = name_column();
    const std::vector<std::string>* shown =
        search_by == SEARCH_BY_SPECIES_CODE || search_by == SEARCH_BY_ALL
            ? nullptr
            : &texts(species_texts, species_rows, column);
    if (among) {
        for (size_t i : *among)
            species[i] = i < species.size() && words_occur_in((*shown)[i]);
        return;
    }
    for (size_t i = 0; i < species_rows.size(); ++i) {
        if (!stores.offered_species_row(i)) continue;
        if (search_by == SEARCH_BY_ALL)
            species[i] = 1;
        else if (search_by == SEARCH_BY_SPECIES_CODE)
            species[i] = (*species_rows[i])[window->species_columns.id] == code;
        else
            species[i] = words_occur_in((*shown)[i]);
    }
}

void UnlistedPanel::show_found(const std::vector<char>& species) {
    std::vector<size_t> rows;
    for (size_t i = 0; i < species.size(); ++i)
        if (species[i]) rows.push_back(i);
    if (found_model && rows == found_rows) return;
    found_rows = std::move(rows);
    SpeciesStores& stores = window->species_stores;
    // A list of its own, made and taken down at the cost of the rows found.
    found_model = make_found_rows(stores.unlisted_store, stores.rows(), found_rows,
                                  window->species_columns.id.index());
    // A tree that a screen reader has looked at announces every cell it gains
    // to it, one at a time, at a cost well above the rows' own: a long result
    // goes into a tree of its own instead, which is announced once.
    Gtk::TreeView* fresh = found_rows.size() > fresh_tree_rows ? new_found_tree() : nullptr;
    Gtk::TreeView* tree = fresh ? fresh : found_species_tree;
    tree->set_model(found_model);
    tree->expand_all();
    if (fresh) take_found_tree(fresh);
}

Gtk::TreeView* UnlistedPanel::new_found_tree() {
    Gtk::TreeView* old = found_species_tree;
    // Without rows the old tree gives up its columns quietly; they move to the
    // new one.
    old->unset_model();
    old->remove_all_columns();
    auto* tree = Gtk::manage(new Gtk::TreeView());
    tree->set_can_focus(true);
    tree->set_headers_visible(old->get_headers_visible());
    tree->set_enable_search(false);
    tree->set_fixed_height_mode(true);
    connect_tree(tree, "found_species");
    fill_found_columns(*tree);
    return tree;
}

void UnlistedPanel::take_found_tree(Gtk::TreeView* tree) {
    Gtk::TreeView* old = found_species_tree;
    Gtk::Container* scroller = old->get_parent();
    const bool had_focus = old->is_focus();
    const Glib::ustring name = old->get_accessible()->get_name();
    found_species_tree = tree;
    // The old tree goes once the main loop is back, in case a handler of its
    // own is still running.
    g_object_ref(old->gobj());
    scroller->remove(*old);
    Glib::signal_idle().connect_once([gone = old->gobj()] { g_object_unref(gone); });
    scroller->add(*tree);
    tree->show();
    // Only now, with its rows in, is the tree's accessible made.
    AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(tree->gobj()));
    atk_object_set_name(accessible, name.c_str());
    atk_object_set_accessible_id(accessible, "found_species_tree");
    if (had_focus) tree->grab_focus();
}

bool UnlistedPanel::species_visible_selected(const Gtk::TreeRow& row) {
    const SpeciesTreeColumns& c = window->species_columns;
    return !row[c.in_view] && row[c.abundance] != 0;
}

bool UnlistedPanel::check_visible_selected(const Gtk::TreeIter& iter) {
    if ((*iter)[window->species_columns.id] >= 0) return species_visible_selected(*iter);
    // A family row: shown when refilter_added found one of its species.
    const int family = flags_current() ? window->species_stores.family_of(iter) : -1;
    return family >= 0 && static_cast<size_t>(family) < added_families.size() &&
           added_families[family];
}

void UnlistedPanel::update_columns() {
    window->sync_name_options();
    const SpeciesTreeColumns& c = window->species_columns;
    if (selected_species_tree) {
        c.fill_tree_columns(*selected_species_tree, selected_id_column, selected_name_column,
                            selected_name_renderer, window->survey_data, 260,
                            "Number seen (click to change)", 220);
        selected_species_tree->expand_all();
    }
    if (found_species_tree) {
        fill_found_columns(*found_species_tree);
        found_species_tree->expand_all();
    }
}

void UnlistedPanel::fill_found_columns(Gtk::TreeView& tree) {
    window->species_columns.fill_tree_columns(tree, found_id_column, found_name_column,
                                              found_name_renderer, window->survey_data, 260,
                                              "Number seen (click to change)", 220);
}

void UnlistedPanel::connect_tree(Gtk::TreeView* tree, const char* which) {
    SpeciesRows::connect(
        *tree, window->species_columns, which,
        [this, tree](const Gtk::TreePath& path, int id, int button) {
            if (window->survey_data.already_uploaded) return;
            window->popup_abundance_menu(*tree, path, button, id);
        },
        [this](int id, int digit) { window->choose_abundance_by_digit(id, digit); });
}

void UnlistedPanel::setup_for_survey_type() {
    if (unlisted_instructions)
        unlisted_instructions->set_markup(
            "Search for a species to add that was not found on the Listed Species page - "
            "<b>fish only, please</b>.");
    setup_for_subregion(window->survey_data.subregion);
    refilter_added();
}
