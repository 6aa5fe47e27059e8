#include "ui/species-stores.h"

#include "core/errors.h"
#include "refdata/from-csv.h"
#include "refdata/species-views.h"

#include <algorithm>
#include <cstdio>
#include <glibmm/main.h>

namespace {
using Family = RegionFishInfo::Family;

// A family id the catalogue does not know is a fault of the data set: the
// species is left out rather than shown under a family that isn't there.
const Family* find_family(const RegionFishInfo& catalogue, const std::string& family_id,
                          const std::string& file, int species_id) {
    auto found = catalogue.families.find(Glib::ustring(family_id));
    if (found != catalogue.families.end()) return &found->second;
    printf("Warning: %s: family id \"%s\" of species %d is not in %s-family-info.csv; "
           "species left out\n",
           file.c_str(), family_id.c_str(), species_id, catalogue.region.c_str());
    return nullptr;
}

bool shown_by_type(const SurveyData& survey, const RegionFishInfo::Species& species) {
    return species.invertebratetype == 0 ? survey.show_fish : survey.show_inverts;
}
} // namespace

bool SpeciesStores::Item::operator<(const Item& other) const {
    if (*family_key != *other.family_key) return *family_key < *other.family_key;
    // Two families of one name stay apart rather than interleave.
    if (family != other.family) return family->familyid < other.family->familyid;
    return *species_key < *other.species_key;
}

SpeciesStores::SpeciesStores(SpeciesTreeColumns& species_columns, const SurveyData& survey_data)
    : listed_store(Gtk::TreeStore::create(species_columns)),
      unlisted_store(Gtk::TreeStore::create(species_columns)), columns(species_columns),
      survey(survey_data) {}

void SpeciesStores::print_list(const char* title, const std::vector<Item>& list) {
    printf("%s\n", title);
    for (const Item& item : list)
        printf("    %d %s (family %s)\n", item.species->speciesid, item.species->commonname.c_str(),
               item.family->commonname.c_str());
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
    // The unlisted rows stay while the catalogue does, typed or not.
    if (catalogue != unlisted_catalogue || (catalogue && inputs.typed && !unlisted_filled)) {
        old.push_back(unlisted_store);
        // Filled while no tree shows it: a shown store makes its tree react to
        // every row inserted.
        auto unlisted = Gtk::TreeStore::create(columns);
        unlisted_catalogue = catalogue;
        unlisted_filled = catalogue && inputs.typed;
        rows_replaced();
        if (unlisted_filled) {
            mark_up(*catalogue);
            fill(unlisted, all_species_list(*catalogue, view_set), *catalogue, &index);
            index_stale = false;
        }
        unlisted_store = unlisted;
        marked.clear();
        for (const auto& [id, abundance] : survey.abundances)
            if (abundance != 0) marked.insert(id);
        zero_labels[0] = columns.zero_label(false);
        zero_labels[1] = columns.zero_label(true);
    } else if (unlisted_filled) {
        mark_view(view_set);
    }
    auto listed = Gtk::TreeStore::create(columns);
    if (inputs.typed && catalogue) {
        mark_up(*catalogue);
        fill(listed, view_species_list(*catalogue, views ? views->entries(view) : no_rows),
             *catalogue, nullptr);
    }
    old.push_back(listed_store);
    listed_store = listed;
    relabel_unlisted();
    print_offered();
    Glib::signal_idle().connect_once([old] {});
    for (size_t i = 0; i < watches.size(); ++i)
        renew(static_cast<int>(i));
    signal_species_stores_rebuilt.emit();
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

int SpeciesStores::Rows::row_of(int species_id) const {
    return species_id >= 0 && static_cast<size_t>(species_id) < row_of_species.size()
               ? row_of_species[static_cast<size_t>(species_id)]
               : -1;
}

void SpeciesStores::rows_replaced() {
    index_stale = true;
    ++rows_generation;
}

const SpeciesStores::Rows& SpeciesStores::rows() {
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
        for (const auto& species : family.children()) {
            const int id = species[columns.id];
            const int row = static_cast<int>(index.species_rows.size());
            if (id >= 0 && id <= MAX_TABLE_ID) {
                if (static_cast<size_t>(id) >= index.row_of_species.size())
                    index.row_of_species.resize(static_cast<size_t>(id) + 1, -1);
                index.row_of_species[static_cast<size_t>(id)] = row;
            }
            const RegionFishInfo::Species* known =
                catalogue ? catalogue->find_species(id) : nullptr;
            const bool invertebrate = known && known->invertebratetype != 0;
            const bool in_view = species[columns.in_view];
            index.species_rows.push_back(species);
            index.family_of_row.push_back(f);
            index.invertebrate.push_back(invertebrate);
            index.in_view.push_back(in_view);
            (invertebrate ? index.inverts_in_view[f] : index.fish[f]) +=
                invertebrate && !in_view ? 0 : 1;
        }
    }
    return index;
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

void SpeciesStores::mark_view(const std::set<int>& view_set) {
    rows();
    std::vector<char> touched(index.family_rows.size(), 0);
    for (size_t row = 0; row < index.species_rows.size(); ++row) {
        const int id = (*index.species_rows[row])[columns.id];
        const bool in_view = view_set.count(id) > 0;
        if (in_view == static_cast<bool>(index.in_view[row])) continue;
        index.in_view[row] = in_view;
        const size_t f = static_cast<size_t>(index.family_of_row[row]);
        if (index.invertebrate[row]) index.inverts_in_view[f] += in_view ? 1 : -1;
        touched[f] = 1;
        (*index.species_rows[row])[columns.in_view] = in_view;
    }
    // A family row is in the view when one of its species is.
    for (size_t row = 0, f = 0; f < touched.size(); ++f) {
        bool any = false;
        for (; row < index.species_rows.size() && index.family_of_row[row] == int(f); ++row)
            any = any || index.in_view[row];
        if (touched[f]) (*index.family_rows[f])[columns.in_view] = any;
    }
}

void SpeciesStores::set_row_abundance(const Gtk::TreeRow& row, int species_id) {
    // Looked up, not indexed: the survey must not gain an entry per row.
    auto seen = survey.abundances.find(species_id);
    const int abundance = seen == survey.abundances.end() ? 0 : seen->second;
    columns.set_abundance(row, abundance);
    if (abundance != 0)
        marked.insert(species_id);
    else
        marked.erase(species_id);
}

void SpeciesStores::relabel_unlisted() {
    const Glib::ustring now[2] = {columns.zero_label(false), columns.zero_label(true)};
    const Rows& r = rows();
    if (now[0] != zero_labels[0] || now[1] != zero_labels[1]) {
        zero_labels[0] = now[0];
        zero_labels[1] = now[1];
        for (const Gtk::TreeIter& row : r.species_rows)
            set_row_abundance(*row, (*row)[columns.id]);
        return;
    }
    // Only rows that show something other than 0, or are to.
    std::set<int> ids = marked;
    for (const auto& [id, abundance] : survey.abundances)
        ids.insert(id);
    for (int id : ids) {
        const int row = r.row_of(id);
        if (row >= 0) set_row_abundance(*r.species_rows[static_cast<size_t>(row)], id);
    }
}

void SpeciesStores::set_abundance(int species_id, int abundance) {
    listed_store->foreach_iter([&](const Gtk::TreeIter& iter) {
        if ((*iter)[columns.id] == species_id) columns.set_abundance(*iter, abundance);
        return false;
    });
    const int row = rows().row_of(species_id);
    if (row < 0) return;
    columns.set_abundance(*index.species_rows[static_cast<size_t>(row)], abundance);
    if (abundance != 0)
        marked.insert(species_id);
    else
        marked.erase(species_id);
}

void SpeciesStores::show_abundances() {
    listed_store->foreach_iter([this](const Gtk::TreeIter& iter) {
        const int id = (*iter)[columns.id];
        if (id >= 0) set_row_abundance(*iter, id);
        return false;
    });
    relabel_unlisted();
}

std::vector<SpeciesStores::Item>
SpeciesStores::all_species_list(const RegionFishInfo& catalogue,
                                const std::set<int>& view_set) const {
    const std::string species_file = catalogue.region + "-species-info.csv";
    // Collation keys only for the sort: they are not kept.
    std::vector<std::string> species_keys(catalogue.species.size());
    std::map<const Family*, std::string> family_keys;
    std::vector<Item> list;
    for (const RegionFishInfo::Species& species : catalogue.species) {
        if (species.speciesid < 0) continue;
        const Family* family =
            find_family(catalogue, species.familyid, species_file, species.speciesid);
        if (!family) continue;
        auto key = family_keys.find(family);
        if (key == family_keys.end())
            key = family_keys.emplace(family, family->commonname.collate_key()).first;
        std::string& species_key =
            species_keys[static_cast<size_t>(&species - catalogue.species.data())];
        species_key = species.commonname.collate_key();
        list.push_back(
            {&species, family, view_set.count(species.speciesid) > 0, &key->second, &species_key});
    }
    std::sort(list.begin(), list.end());
    return list;
}

std::vector<SpeciesStores::Item>
SpeciesStores::view_species_list(const RegionFishInfo& catalogue,
                                 const std::vector<SpeciesViewEntry>& rows) const {
    std::vector<Item> list;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SpeciesViewEntry& row = rows[i];
        const RegionFishInfo::Species* species = catalogue.find_species(row.speciesid);
        if (debug_level >= 3)
            printf("%u: %d (%s) %s\n", unsigned(i), row.speciesid,
                   species ? species->commonname.c_str() : "", row.familyid.c_str());
        if (!species || !shown_by_type(survey, *species)) continue;
        // The view's family, which may differ from the species' own.
        const Family* family =
            find_family(catalogue, row.familyid, "species-views.csv", row.speciesid);
        if (family) list.push_back({species, family, true, nullptr, nullptr});
    }
    if (debug_level >= 30) print_list("listed species_list has:", list);
    return list;
}

void SpeciesStores::mark_up(const RegionFishInfo& catalogue) {
    if (marked_up_catalogue == &catalogue) return;
    marked_up_catalogue = &catalogue;
    species_texts.clear();
    family_texts.clear();
    species_texts.reserve(catalogue.species.size());
    for (const RegionFishInfo::Species& s : catalogue.species)
        species_texts.push_back(s.speciesid < 0 ? SpeciesTreeColumns::Texts()
                                                : SpeciesTreeColumns::markup(
                                                      s.speciesid, s.commonname, s.scientificname,
                                                      s.spanishname, s.rarefishind));
    for (const auto& [id, family] : catalogue.families)
        family_texts[&family] =
            SpeciesTreeColumns::markup(-1, family.commonname, family.scientificname, "", 0);
}

void SpeciesStores::fill(const Glib::RefPtr<Gtk::TreeStore>& store, const std::vector<Item>& items,
                         const RegionFishInfo& catalogue, Rows* into) {
    // A family row heads each run of species of one family.
    struct Run {
        size_t first, end;
        bool in_view;
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < items.size(); ++i) {
        const RegionFishInfo::Species& species = *items[i].species;
        const Family& family = *items[i].family;
        if (debug_level >= 3)
            printf("%d (%s) %s\n", species.speciesid, species.commonname.c_str(),
                   family.familyid.c_str());
        if (runs.empty() || items[runs.back().first].family != &family) {
            if (debug_level >= 3)
                printf("New family node: %s = %s (%s)\n", family.familyid.c_str(),
                       family.commonname.c_str(), family.scientificname.c_str());
            runs.push_back({i, i, false});
        }
        runs.back().end = i + 1;
        runs.back().in_view = runs.back().in_view || items[i].in_view;
        if (debug_level >= 25)
            printf("Added %d %s\n", species.speciesid, species.commonname.c_str());
    }
    // From the last row to the first, each in front: the store finds a row's
    // place by walking its level from the start on every insert and change,
    // so only rows in front come cheap.
    const std::map<int, int>& abundances = survey.abundances;
    std::vector<Gtk::TreeIter> family_rows(runs.size()), species_rows(items.size());
    for (size_t r = runs.size(); r-- > 0;) {
        const Run& run = runs[r];
        const Family& family = *items[run.first].family;
        family_rows[r] = columns.prepend(store, {}, -1, family_texts[&family], -1, run.in_view);
        for (size_t i = run.end; i-- > run.first;) {
            const RegionFishInfo::Species& species = *items[i].species;
            auto seen = abundances.find(species.speciesid);
            species_rows[i] = columns.prepend(
                store, family_rows[r], species.speciesid,
                species_texts[static_cast<size_t>(&species - catalogue.species.data())],
                seen == abundances.end() ? 0 : seen->second, items[i].in_view);
        }
    }
    if (!into) return;
    // The index, as rows() would read it back from the store.
    Rows& rows = *into;
    rows = Rows();
    rows.family_rows = std::move(family_rows);
    rows.species_rows = std::move(species_rows);
    rows.fish.assign(runs.size(), 0);
    rows.inverts_in_view.assign(runs.size(), 0);
    for (size_t r = 0; r < runs.size(); ++r) {
        rows.family_of_node[rows.family_rows[r].gobj()->user_data] = static_cast<int>(r);
        for (size_t i = runs[r].first; i < runs[r].end; ++i) {
            const RegionFishInfo::Species& species = *items[i].species;
            const bool invertebrate = species.invertebratetype != 0;
            if (static_cast<size_t>(species.speciesid) >= rows.row_of_species.size())
                rows.row_of_species.resize(static_cast<size_t>(species.speciesid) + 1, -1);
            rows.row_of_species[static_cast<size_t>(species.speciesid)] = static_cast<int>(i);
            rows.family_of_row.push_back(static_cast<int>(r));
            rows.invertebrate.push_back(invertebrate);
            rows.in_view.push_back(items[i].in_view);
            if (!invertebrate)
                ++rows.fish[r];
            else if (items[i].in_view)
                ++rows.inverts_in_view[r];
        }
    }
}
