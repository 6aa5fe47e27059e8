#include "ui/catalogue-rows.h"

#include "core/errors.h"
#include "refdata/from-csv.h"

#include <algorithm>
#include <cstdio>

namespace {
using Family = RegionFishInfo::Family;

// The runs of species of one family in a list, each to have a family row.
std::vector<SpeciesRun> runs_of(const std::vector<SpeciesItem>& items) {
    std::vector<SpeciesRun> runs;
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
    return runs;
}
} // namespace

bool SpeciesItem::operator<(const SpeciesItem& other) const {
    if (*family_key != *other.family_key) return *family_key < *other.family_key;
    // Two families of one name stay apart rather than interleave.
    if (family != other.family) return family->familyid < other.family->familyid;
    return *species_key < *other.species_key;
}

const Family* find_family(const RegionFishInfo& catalogue, const std::string& family_id,
                          const std::string& file, int species_id) {
    auto found = catalogue.families.find(Glib::ustring(family_id));
    if (found != catalogue.families.end()) return &found->second;
    printf("Warning: %s: family id \"%s\" of species %d is not in %s-family-info.csv; "
           "species left out\n",
           file.c_str(), family_id.c_str(), species_id, catalogue.region.c_str());
    return nullptr;
}

int SpeciesRowIndex::row_of(int species_id) const {
    return species_id >= 0 && static_cast<size_t>(species_id) < row_of_species.size()
               ? row_of_species[static_cast<size_t>(species_id)]
               : -1;
}

void SpeciesRowIndex::add_species(int species_id, int family, bool is_invertebrate,
                                  bool is_in_view) {
    const int row = static_cast<int>(family_of_row.size());
    if (species_id >= 0 && species_id <= MAX_TABLE_ID) {
        if (static_cast<size_t>(species_id) >= row_of_species.size())
            row_of_species.resize(static_cast<size_t>(species_id) + 1, -1);
        row_of_species[static_cast<size_t>(species_id)] = row;
    }
    family_of_row.push_back(family);
    invertebrate.push_back(is_invertebrate);
    in_view.push_back(is_in_view);
    if (is_in_view) ++in_view_of_family[static_cast<size_t>(family)];
    if (!is_invertebrate)
        ++fish[static_cast<size_t>(family)];
    else if (is_in_view)
        ++inverts_in_view[static_cast<size_t>(family)];
}

CatalogueRows::CatalogueRows(const SpeciesTreeColumns& species_columns,
                             const RegionFishInfo& species_catalogue,
                             const std::set<int>& view_species, const Glib::ustring (&labels)[2])
    : catalogue(species_catalogue), view_marked(view_species), zero_labels{labels[0], labels[1]},
      store(Gtk::TreeStore::create(species_columns)), columns(species_columns),
      species_file(catalogue.region + "-species-info.csv") {}

CatalogueRows::Texts CatalogueRows::texts_of(const RegionFishInfo::Species& s) {
    return SpeciesTreeColumns::markup(s.speciesid, s.commonname, s.scientificname, s.spanishname,
                                      s.rarefishind);
}

bool CatalogueRows::make(gint64 deadline) {
    // A slice of rows between looks at the clock.
    while (phase != DONE) {
        for (int i = 0; i < 64 && phase != DONE; ++i)
            step();
        if (deadline && g_get_monotonic_time() >= deadline) break;
    }
    return done();
}

void CatalogueRows::step() {
    switch (phase) {
    case MARKUP:
        for (const auto& [id, family] : catalogue.families)
            family_texts[&family] =
                SpeciesTreeColumns::markup(-1, family.commonname, family.scientificname, "", 0);
        species_keys.resize(catalogue.species.size());
        phase = KEYS;
        next = 0;
        return;
    case KEYS:
        if (next < catalogue.species.size())
            key_species();
        else
            phase = SORT;
        return;
    case SORT:
        std::sort(items.begin(), items.end());
        runs = runs_of(items);
        rows.family_rows.resize(runs.size());
        rows.species_rows.resize(items.size());
        phase = FILL;
        run = runs.size() + 1;
        next = 0;
        return;
    case FILL:
        fill_row();
        return;
    case DONE:
        return;
    }
}

void CatalogueRows::key_species() {
    const RegionFishInfo::Species& species = catalogue.species[next];
    std::string& key = species_keys[next++];
    if (species.speciesid < 0) return;
    const Family* family =
        find_family(catalogue, species.familyid, species_file, species.speciesid);
    if (!family) return;
    auto family_key = family_keys.find(family);
    if (family_key == family_keys.end())
        family_key = family_keys.emplace(family, family->commonname.collate_key()).first;
    key = species.commonname.collate_key();
    items.push_back(
        {&species, family, view_marked.count(species.speciesid) > 0, &family_key->second, &key});
}

void CatalogueRows::fill_row() {
    // From the last row to the first, each in front: the store finds a row's
    // place by walking its level from the start.
    if (run <= runs.size() && next > runs[run - 1].first) {
        const SpeciesItem& item = items[--next];
        const RegionFishInfo::Species& species = *item.species;
        rows.species_rows[next] =
            columns.prepend(store, rows.family_rows[run - 1], species.speciesid, texts_of(species),
                            0, zero_labels[species.invertebratetype == 2 ? 1 : 0], item.in_view);
        return;
    }
    if (--run == 0) {
        index_rows();
        phase = DONE;
        return;
    }
    const SpeciesRun& r = runs[run - 1];
    rows.family_rows[run - 1] =
        columns.prepend(store, {}, -1, family_texts[items[r.first].family], -1, r.in_view);
    next = r.end;
}

void CatalogueRows::index_rows() {
    rows.fish.assign(runs.size(), 0);
    rows.inverts_in_view.assign(runs.size(), 0);
    rows.in_view_of_family.assign(runs.size(), 0);
    for (size_t r = 0; r < runs.size(); ++r) {
        rows.family_of_node[rows.family_rows[r].gobj()->user_data] = static_cast<int>(r);
        for (size_t i = runs[r].first; i < runs[r].end; ++i)
            rows.add_species(items[i].species->speciesid, static_cast<int>(r),
                             items[i].species->invertebratetype != 0, items[i].in_view);
    }
    // What only the making needed.
    std::vector<SpeciesItem>().swap(items);
    std::vector<std::string>().swap(species_keys);
    family_keys.clear();
    std::vector<SpeciesRun>().swap(runs);
}

void fill_species_store(const SpeciesTreeColumns& columns,
                        const Glib::RefPtr<Gtk::TreeStore>& store,
                        const std::vector<SpeciesItem>& items, const CatalogueRows& texts,
                        const std::map<int, int>& abundances) {
    const std::vector<SpeciesRun> runs = runs_of(items);
    for (size_t r = runs.size(); r-- > 0;) {
        const Family* family = items[runs[r].first].family;
        auto family_texts = texts.family_texts.find(family);
        const Gtk::TreeIter family_row =
            columns.prepend(store, {}, -1,
                            family_texts == texts.family_texts.end() ? SpeciesTreeColumns::Texts()
                                                                     : family_texts->second,
                            -1, runs[r].in_view);
        for (size_t i = runs[r].end; i-- > runs[r].first;) {
            const RegionFishInfo::Species& species = *items[i].species;
            auto seen = abundances.find(species.speciesid);
            columns.prepend(store, family_row, species.speciesid, texts.texts_of(species),
                            seen == abundances.end() ? 0 : seen->second, items[i].in_view);
        }
    }
}
