#include "ui/species-stores.h"

#include "core/errors.h"
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
    // Fresh stores, filled while no tree shows them: a shown store makes its
    // tree react to every row inserted.
    auto listed = Gtk::TreeStore::create(columns);
    auto unlisted = Gtk::TreeStore::create(columns);
    const RegionFishInfo* catalogue = survey.region_fish_info;
    if (survey.survey_subtype && catalogue) {
        static const std::vector<SpeciesViewEntry> no_rows;
        static const std::set<int> no_species;
        const SpeciesViews* views = survey.species_views;
        const int view = survey.species_view;
        mark_up(*catalogue);
        fill(unlisted, all_species_list(*catalogue, views ? views->species_of(view) : no_species),
             *catalogue);
        fill(listed, view_species_list(*catalogue, views ? views->entries(view) : no_rows),
             *catalogue);
    }
    listed_store = listed;
    unlisted_store = unlisted;
    // The old filters hold the last references to the old stores: freeing
    // thousands of rows waits for the next idle moment of the main loop, so
    // that the rebuild itself answers sooner.
    std::vector<Glib::RefPtr<Gtk::TreeModelFilter>> old;
    for (const Watch& w : watches)
        old.push_back(w.filter);
    Glib::signal_idle().connect_once([old] {});
    for (size_t i = 0; i < watches.size(); ++i)
        renew(static_cast<int>(i));
    signal_species_stores_rebuilt.emit();
}

int SpeciesStores::watch(Which which, Visible visible, NewModel on_new_model) {
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

void SpeciesStores::set_abundance(int species_id, int abundance) {
    auto visit = [&](const Gtk::TreeIter& iter) {
        if ((*iter)[columns.id] == species_id) columns.set_abundance(*iter, abundance);
        return false;
    };
    listed_store->foreach_iter(visit);
    unlisted_store->foreach_iter(visit);
}

void SpeciesStores::show_abundances() {
    auto visit = [this](const Gtk::TreeIter& iter) {
        const int id = (*iter)[columns.id];
        // Looked up, not indexed: the survey must not gain an entry per row.
        auto seen = survey.abundances.find(id);
        if (id >= 0)
            columns.set_abundance(*iter, seen == survey.abundances.end() ? 0 : seen->second);
        return false;
    };
    listed_store->foreach_iter(visit);
    unlisted_store->foreach_iter(visit);
}

std::vector<SpeciesStores::Item> SpeciesStores::all_species_list(const RegionFishInfo& catalogue,
                                                                 const std::set<int>& view_set) {
    const std::string species_file = catalogue.region + "-species-info.csv";
    if (keyed_catalogue != &catalogue) {
        keyed_catalogue = &catalogue;
        family_keys.clear();
        species_keys.clear();
        for (const RegionFishInfo::Species& species : catalogue.species)
            species_keys.push_back(species.speciesid < 0 ? "" : species.commonname.collate_key());
    }
    std::vector<Item> list;
    for (const RegionFishInfo::Species& species : catalogue.species) {
        if (species.speciesid < 0) continue;
        bool in_view = view_set.count(species.speciesid) > 0;
        // Invertebrates are offered only through the view.
        if (!shown_by_type(survey, species) || (species.invertebratetype != 0 && !in_view))
            continue;
        const Family* family =
            find_family(catalogue, species.familyid, species_file, species.speciesid);
        if (!family) continue;
        if (debug_level >= 40)
            printf("unlisted: %d %s (family %s)\n", species.speciesid, species.commonname.c_str(),
                   family->commonname.c_str());
        auto key = family_keys.find(family);
        if (key == family_keys.end())
            key = family_keys.emplace(family, family->commonname.collate_key()).first;
        list.push_back({&species, family, in_view, &key->second,
                        &species_keys[static_cast<size_t>(&species - catalogue.species.data())]});
    }
    std::sort(list.begin(), list.end());
    if (debug_level >= 30) print_list("post-sort, unlisted species_list has:", list);
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
                         const RegionFishInfo& catalogue) {
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
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        const Family& family = *items[run->first].family;
        Gtk::TreeRow family_row = *store->prepend();
        columns.set(family_row, -1, family_texts[&family], -1, run->in_view);
        for (size_t i = run->end; i-- > run->first;) {
            const RegionFishInfo::Species& species = *items[i].species;
            auto seen = abundances.find(species.speciesid);
            columns.set(*store->prepend(family_row.children()), species.speciesid,
                        species_texts[static_cast<size_t>(&species - catalogue.species.data())],
                        seen == abundances.end() ? 0 : seen->second, items[i].in_view);
        }
    }
}
