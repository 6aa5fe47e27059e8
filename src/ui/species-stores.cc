#include "ui/species-stores.h"

#include "app/my-app-core.h"
#include "core/errors.h"
#include "refdata/abundance-choices.h"
#include "refdata/species-views.h"

#include <cstdio>
#include <glibmm/main.h>

namespace {
bool shown_by_type(const SurveyData& survey, const RegionFishInfo::Species& species) {
    return species.invertebratetype == 0 ? survey.show_fish : survey.show_inverts;
}
} // namespace

SpeciesStores::SpeciesStores(SpeciesTreeColumns& species_columns, const SurveyData& survey_data)
    : listed_store(Gtk::TreeStore::create(species_columns)),
      unlisted_store(Gtk::TreeStore::create(species_columns)), columns(species_columns),
      survey(survey_data) {}

SpeciesStores::~SpeciesStores() {
    making_idle.disconnect();
}

void SpeciesStores::rebuild() {
    const Inputs inputs{survey.region_fish_info, survey.survey_subtype != nullptr,
                        survey.show_fish,        survey.show_inverts,
                        survey.species_views,    survey.species_view};
    if (filled && inputs == filled_from) {
        show_abundances();
        return;
    }
    filled = true;
    filled_from = inputs;
    static const std::vector<SpeciesViewEntry> no_rows;
    static const std::set<int> no_species;
    const RegionFishInfo* catalogue = survey.region_fish_info;
    const SpeciesViews* views = survey.species_views;
    const int view = survey.species_view;
    const std::set<int>& view_set = views ? views->species_of(view) : no_species;
    // The old filters, and a replaced store, are freed at the next idle moment
    // of the main loop: freeing thousands of rows need not hold up the answer.
    std::vector<Glib::RefPtr<Glib::Object>> old;
    for (const Watch& w : watches)
        old.push_back(w.filter);
    old.push_back(unlisted_store);
    old.push_back(listed_store);
    // The unlisted rows stay while the catalogue does, typed or not.
    if (catalogue != unlisted_catalogue) start_making(catalogue, view_set);
    if (inputs.typed && making && !unlisted_filled) finish_making();
    if (unlisted_filled) mark_view(view_set);
    auto listed = Gtk::TreeStore::create(columns);
    if (inputs.typed && making)
        fill_species_store(columns, listed,
                           view_species_list(*catalogue, views ? views->entries(view) : no_rows),
                           *making, survey.abundances);
    listed_store = listed;
    relabel_unlisted();
    print_offered();
    Glib::signal_idle().connect_once([old] {});
    for (size_t i = 0; i < watches.size(); ++i)
        renew(static_cast<int>(i));
    signal_species_stores_rebuilt.emit();
}

void SpeciesStores::start_making(const RegionFishInfo* catalogue, const std::set<int>& view_set) {
    making_idle.disconnect();
    unlisted_catalogue = catalogue;
    unlisted_filled = false;
    making = nullptr;
    unlisted_store = Gtk::TreeStore::create(columns);
    rows_replaced();
    if (!catalogue) return;
    std::unique_ptr<CatalogueRows>& rows_of_catalogue = made[catalogue];
    if (!rows_of_catalogue) {
        const Glib::ustring labels[2] = {likely_zero_label(false), likely_zero_label(true)};
        rows_of_catalogue = std::make_unique<CatalogueRows>(columns, *catalogue, view_set, labels);
    }
    making = rows_of_catalogue.get();
    if (making->done()) {
        take_made_rows();
        return;
    }
    // Below redrawing, a slice of a few milliseconds at a time.
    making_idle = Glib::signal_idle().connect(
        [this] {
            if (!making->make(g_get_monotonic_time() + 8000)) return true;
            take_made_rows();
            print_offered();
            for (size_t i = 0; i < watches.size(); ++i)
                renew(static_cast<int>(i));
            signal_species_stores_rebuilt.emit();
            return false;
        },
        Glib::PRIORITY_DEFAULT_IDLE);
}

void SpeciesStores::finish_making() {
    making->make(0);
    take_made_rows();
}

void SpeciesStores::take_made_rows() {
    making_idle.disconnect();
    unlisted_store = making->store;
    index_stale = false;
    ++rows_generation;
    unlisted_filled = true;
    static const std::set<int> no_species;
    if (survey.region_fish_info == unlisted_catalogue)
        mark_view(survey.species_views ? survey.species_views->species_of(survey.species_view)
                                       : no_species);
    relabel_unlisted();
}

Glib::ustring SpeciesStores::likely_zero_label(bool invertebrate_list) const {
    const AbundanceChoices* lists = columns.app ? columns.app->abundance_choices : nullptr;
    if (invertebrate_list || columns.abundance_choices || !lists)
        return columns.zero_label(invertebrate_list);
    for (const auto& list : lists->subtype_choices)
        if (!list.choices.empty()) return list.choices[0].label;
    return columns.zero_label(false);
}

void SpeciesStores::print_offered() {
    const RegionFishInfo* catalogue = survey.region_fish_info;
    if (debug_level < 30 || !catalogue) return;
    const Rows& r = rows();
    auto family_name = [&](size_t row) {
        return Glib::ustring(
            (*r.family_rows[static_cast<size_t>(r.family_of_row[row])])[columns.common_name]);
    };
    if (debug_level >= 40)
        for (const RegionFishInfo::Species& species : catalogue->species) {
            const int row = r.row_of(species.speciesid);
            if (row >= 0 && offered_species_row(static_cast<size_t>(row)))
                printf("unlisted: %d %s (family %s)\n", species.speciesid,
                       species.commonname.c_str(), family_name(static_cast<size_t>(row)).c_str());
        }
    printf("post-sort, unlisted species_list has:\n");
    for (size_t row = 0; row < r.species_rows.size(); ++row) {
        if (!offered_species_row(row)) continue;
        const int id = (*r.species_rows[row])[columns.id];
        const RegionFishInfo::Species* species = catalogue->find_species(id);
        printf("    %d %s (family %s)\n", id, species ? species->commonname.c_str() : "",
               family_name(row).c_str());
    }
}

int SpeciesStores::watch(Which which, Visible visible, NewModel on_new_model) {
    if (which == UNLISTED) {
        Visible page = std::move(visible);
        visible = [this, page](const Gtk::TreeModel::const_iterator& iter) {
            return offered(iter) && page(iter);
        };
    }
    watches.push_back({which, std::move(visible), std::move(on_new_model), {}});
    renew(static_cast<int>(watches.size()) - 1);
    return static_cast<int>(watches.size()) - 1;
}

void SpeciesStores::renew(int watch_id) {
    Watch& w = watches.at(static_cast<size_t>(watch_id));
    w.filter = Gtk::TreeModelFilter::create(w.which == LISTED ? listed_store : unlisted_store);
    w.filter->set_visible_func(w.visible);
    w.on_new_model(w.filter);
}

void SpeciesStores::rows_replaced() {
    index_stale = true;
    ++rows_generation;
}

const SpeciesStores::Rows& SpeciesStores::rows() {
    Rows& index = unlisted_filled ? making->rows : own_rows;
    if (!index_stale) return index;
    index_stale = false;
    index = Rows();
    const RegionFishInfo* catalogue = survey.region_fish_info;
    for (const auto& family : unlisted_store->children()) {
        const int f = static_cast<int>(index.family_rows.size());
        index.family_rows.push_back(family);
        index.family_of_node[family.gobj()->user_data] = f;
        index.fish.push_back(0);
        index.inverts_in_view.push_back(0);
        index.in_view_of_family.push_back(0);
        for (const auto& species : family.children()) {
            const int id = species[columns.id];
            const RegionFishInfo::Species* known =
                catalogue ? catalogue->find_species(id) : nullptr;
            index.species_rows.push_back(species);
            index.add_species(id, f, known && known->invertebratetype != 0,
                              species[columns.in_view]);
        }
    }
    return index;
}

void SpeciesStores::mark_view(const std::set<int>& view_set) {
    if (!unlisted_filled || view_set == making->view_marked) return;
    rows();
    Rows& index = making->rows;
    std::set<int>& view_marked = making->view_marked;
    auto mark = [&index, this](int id, bool in_view) {
        const int row = index.row_of(id);
        if (row < 0) return;
        const size_t r = static_cast<size_t>(row);
        const size_t f = static_cast<size_t>(index.family_of_row[r]);
        if (in_view == static_cast<bool>(index.in_view[r])) return;
        index.in_view[r] = in_view;
        if (index.invertebrate[r]) index.inverts_in_view[f] += in_view ? 1 : -1;
        const int before = index.in_view_of_family[f];
        index.in_view_of_family[f] += in_view ? 1 : -1;
        (*index.species_rows[r])[columns.in_view] = in_view;
        // A family row is in the view when one of its species is.
        if ((before > 0) != (index.in_view_of_family[f] > 0))
            (*index.family_rows[f])[columns.in_view] = in_view;
    };
    for (int id : view_marked)
        if (!view_set.count(id)) mark(id, false);
    for (int id : view_set)
        if (!view_marked.count(id)) mark(id, true);
    view_marked = view_set;
}

bool SpeciesStores::offered_species_row(size_t row) {
    const Rows& r = rows();
    if (!survey.survey_subtype || row >= r.species_rows.size()) return false;
    return r.invertebrate[row] ? survey.show_inverts && r.in_view[row] : survey.show_fish;
}

bool SpeciesStores::offered_family_row(size_t family) {
    const Rows& r = rows();
    if (!survey.survey_subtype || family >= r.family_rows.size()) return false;
    return (survey.show_fish && r.fish[family] > 0) ||
           (survey.show_inverts && r.inverts_in_view[family] > 0);
}

int SpeciesStores::family_of(const Gtk::TreeModel::const_iterator& iter) {
    const Rows& r = rows();
    auto found = r.family_of_node.find(iter.gobj()->user_data);
    return found == r.family_of_node.end() ? -1 : found->second;
}

bool SpeciesStores::offered(const Gtk::TreeModel::const_iterator& iter) {
    const int id = (*iter)[columns.id];
    if (id >= 0) {
        const int row = rows().row_of(id);
        return row >= 0 && offered_species_row(static_cast<size_t>(row));
    }
    const int family = family_of(iter);
    return family >= 0 && offered_family_row(static_cast<size_t>(family));
}

void SpeciesStores::set_row_abundance(const Gtk::TreeRow& row, int species_id) {
    // Looked up, not indexed: the survey must not gain an entry per row.
    auto seen = survey.abundances.find(species_id);
    columns.set_abundance(row, seen == survey.abundances.end() ? 0 : seen->second);
}

void SpeciesStores::set_unlisted_abundance(size_t row, int species_id, int abundance) {
    columns.set_abundance(*making->rows.species_rows[row], abundance);
    if (abundance != 0)
        making->abundance_marked.insert(species_id);
    else
        making->abundance_marked.erase(species_id);
}

void SpeciesStores::relabel_unlisted() {
    // Rows the survey type does not offer are not seen: they are labelled
    // once one does.
    if (!unlisted_filled || !survey.survey_subtype) return;
    const Rows& r = rows();
    auto abundance_of = [this](int id) {
        auto seen = survey.abundances.find(id);
        return seen == survey.abundances.end() ? 0 : seen->second;
    };
    const Glib::ustring now[2] = {columns.zero_label(false), columns.zero_label(true)};
    Glib::ustring(&labels)[2] = making->zero_labels;
    if (now[0] != labels[0] || now[1] != labels[1]) {
        labels[0] = now[0];
        labels[1] = now[1];
        for (size_t row = 0; row < r.species_rows.size(); ++row) {
            const int id = (*r.species_rows[row])[columns.id];
            set_unlisted_abundance(row, id, abundance_of(id));
        }
        return;
    }
    // Only rows that show something other than 0, or are to.
    std::set<int> ids = making->abundance_marked;
    for (const auto& [id, abundance] : survey.abundances)
        ids.insert(id);
    for (int id : ids) {
        const int row = r.row_of(id);
        if (row >= 0) set_unlisted_abundance(static_cast<size_t>(row), id, abundance_of(id));
    }
}

void SpeciesStores::set_abundance(int species_id, int abundance) {
    listed_store->foreach_iter([&](const Gtk::TreeIter& iter) {
        if ((*iter)[columns.id] == species_id) columns.set_abundance(*iter, abundance);
        return false;
    });
    const int row = unlisted_filled ? rows().row_of(species_id) : -1;
    if (row >= 0) set_unlisted_abundance(static_cast<size_t>(row), species_id, abundance);
}

void SpeciesStores::show_abundances() {
    listed_store->foreach_iter([this](const Gtk::TreeIter& iter) {
        const int id = (*iter)[columns.id];
        if (id >= 0) set_row_abundance(*iter, id);
        return false;
    });
    relabel_unlisted();
}

std::vector<SpeciesItem>
SpeciesStores::view_species_list(const RegionFishInfo& catalogue,
                                 const std::vector<SpeciesViewEntry>& rows) const {
    std::vector<SpeciesItem> list;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SpeciesViewEntry& row = rows[i];
        const RegionFishInfo::Species* species = catalogue.find_species(row.speciesid);
        if (debug_level >= 3)
            printf("%u: %d (%s) %s\n", unsigned(i), row.speciesid,
                   species ? species->commonname.c_str() : "", row.familyid.c_str());
        if (!species || !shown_by_type(survey, *species)) continue;
        // The view's family, which may differ from the species' own.
        const RegionFishInfo::Family* family =
            find_family(catalogue, row.familyid, "species-views.csv", row.speciesid);
        if (family) list.push_back({species, family, true, nullptr, nullptr});
    }
    if (debug_level >= 30) {
        printf("listed species_list has:\n");
        for (const SpeciesItem& item : list)
            printf("    %d %s (family %s)\n", item.species->speciesid,
                   item.species->commonname.c_str(), item.family->commonname.c_str());
    }
    return list;
}
