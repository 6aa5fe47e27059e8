// The shipped data set as a whole, against the record kept in docs/. Each fault
// is reported on a line of its own. Zones and view rows: shipped-data-test.cc.
#include "app/my-app-core.h"
#include "core/misc.h"
#include "refdata/region-info.h"
#include "refdata/species-views.h"
#include "temp-dir.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>

namespace {

const std::string SOURCE = TAVRO_SOURCE_DIR;
using Row = std::vector<std::string>;

// A CSV file of docs/, split the way the data files are.
struct DocTable : FromCSV {
    std::vector<Row> rows;
    explicit DocTable(const std::string& path) { valid = read_file(path) == RC_OK; }
    RetCode process_headings(const std::vector<Glib::ustring>& h) override {
        headings = h;
        for (unsigned int i = 0; i < h.size(); ++i)
            columns[h[i]] = i;
        return RC_OK;
    }
    RetCode process_line(const std::vector<Glib::ustring>& fields) override {
        if (!fields.empty()) rows.emplace_back(fields.begin(), fields.end());
        return RC_OK;
    }
};

// Cells of the rows of every Markdown table whose heading line is exactly header.
std::vector<Row> markdown_rows(const std::string& text, const std::string& header) {
    std::vector<Row> rows;
    std::istringstream in(text);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        inside = line == header || (inside && !line.empty() && line[0] == '|');
        if (!inside || line == header || line.compare(0, 4, "|---") == 0) continue;
        Row cells;
        std::istringstream cells_in(line.substr(1));
        for (std::string cell; std::getline(cells_in, cell, '|');)
            cells.push_back(trim_ws(cell));
        rows.push_back(cells);
    }
    return rows;
}

struct DataSetCheck : testing::Test {
    static MyAppCore& app() {
        static MyAppCore* loaded = [] {
            auto* a = new MyAppCore;
            CaptureStdout quiet; // shipped-data-test.cc tells about reader warnings
            EXPECT_EQ(a->load_data_set(SOURCE + "/data-files/"), RC_OK);
            return a;
        }();
        return *loaded;
    }
    static const std::map<Glib::ustring, RegionFishInfo, ByteLess>& catalogues() {
        return app().region_info->fish_info;
    }
    static const RegionFishInfo::Species* species(const std::string& code, int id) {
        const auto cat = catalogues().find(code);
        return cat == catalogues().end() ? nullptr : cat->second.find_species(id);
    }
    static std::vector<Row> sources(const std::string& header) {
        return markdown_rows(read_text_file(SOURCE + "/docs/data-sources.md"), header);
    }
};

TEST_F(DataSetCheck, NamesAreUniqueWithinACatalogue) {
    for (const auto& [code, fish] : catalogues()) {
        std::map<Glib::ustring, int, ByteLess> scientific, spanish;
        for (const auto& s : fish.species) {
            if (s.speciesid == -1) continue;
            auto sci = scientific.emplace(fold_for_search(trim_ws(s.scientificname)), s.speciesid);
            EXPECT_TRUE(sci.second)
                << code.raw() << " " << s.speciesid << " " << s.scientificname.raw()
                << ": scientific name of " << sci.first->second;
            if (trim_ws(s.spanishname).empty()) continue;
            auto spa = spanish.emplace(fold_for_search(trim_ws(s.spanishname)), s.speciesid);
            EXPECT_TRUE(spa.second)
                << code.raw() << " " << s.speciesid << " " << s.spanishname.raw()
                << ": Spanish name of " << spa.first->second;
        }
    }
}

TEST_F(DataSetCheck, EverySpeciesIsInAViewOrKeptForOldSurveys) {
    const SpeciesViews& views = *app().species_views;
    std::map<std::string, std::set<int>> in_view; // by catalogue
    for (size_t v = 0; v < views.view_subregions.size(); ++v) {
        const auto region =
            app().region_info->region_code_by_subregion.find(views.view_subregions[v]);
        if (region == app().region_info->region_code_by_subregion.end()) continue;
        for (const auto& e : views.entries(static_cast<int>(v)))
            in_view[region->second.raw()].insert(e.speciesid);
    }
    std::set<std::pair<std::string, int>> kept;
    for (const Row& r : sources("| catalogue | id | scientific name | why |")) {
        ASSERT_GE(r.size(), 3u);
        const int id = parse_int_clamped(r[1]);
        kept.emplace(r[0], id);
        EXPECT_TRUE(species(r[0], id))
            << "kept for old surveys, but not in the catalogue: " << r[0] << " " << r[1];
        EXPECT_FALSE(in_view[r[0]].count(id))
            << "kept for old surveys, but in a view: " << r[0] << " " << r[1];
    }
    for (const auto& [code, fish] : catalogues())
        for (const auto& s : fish.species)
            EXPECT_TRUE(s.speciesid == -1 || in_view[code.raw()].count(s.speciesid) ||
                        kept.count({code.raw(), s.speciesid}))
                << code.raw() << " " << s.speciesid << " " << s.scientificname.raw()
                << ": in no view and not kept for old surveys";
}

TEST_F(DataSetCheck, EveryFamilyNamedIsInTheFamilyFile) {
    for (const auto& [code, fish] : catalogues()) {
        const std::set<Glib::ustring, ByteLess> ids(fish.family_ids.begin(), fish.family_ids.end());
        for (const auto& s : fish.species) {
            if (s.speciesid == -1) continue;
            // An invertebrate may name no family; the reader marks that "(empty)".
            if (s.invertebratetype != 0 && s.familyid == "(empty)") continue;
            EXPECT_TRUE(ids.count(s.familyid))
                << code.raw() << " " << s.speciesid << " " << s.scientificname.raw() << ": family "
                << s.familyid << " is not in " << code.raw() << "-family-info.csv";
        }
    }
}

TEST_F(DataSetCheck, ShippedIdsStillNameTheirSpecies) {
    std::map<std::pair<std::string, int>, Row> renamed;
    for (const Row& r : sources("| catalogue | id | shipped name | current name | reference |")) {
        ASSERT_GE(r.size(), 4u);
        renamed[{r[0], parse_int_clamped(r[1])}] = r;
    }
    DocTable shipped(SOURCE + "/docs/shipped-species.csv");
    ASSERT_TRUE(shipped.is_valid());
    ASSERT_EQ(shipped.headings,
              (std::vector<Glib::ustring>{"catalogue", "speciesid", "scientificname"}));
    ASSERT_FALSE(shipped.rows.empty());
    for (const Row& r : shipped.rows) {
        const int id = parse_int_clamped(r[1]);
        const auto* s = species(r[0], id);
        if (!s) {
            ADD_FAILURE() << r[0] << " " << r[1] << " " << r[2]
                          << ": shipped id no longer in the catalogue";
            continue;
        }
        if (s->scientificname.raw() == r[2]) continue;
        const auto rename = renamed.find({r[0], id});
        EXPECT_TRUE(rename != renamed.end() && rename->second[2] == r[2] &&
                    rename->second[3] == s->scientificname.raw())
            << r[0] << " " << r[1] << ": shipped as " << r[2] << ", now " << s->scientificname.raw()
            << ", and no rename records it";
    }
}

TEST_F(DataSetCheck, CheckRecordHasOneRowPerSpecies) {
    DocTable check(SOURCE + "/docs/data-check.csv");
    ASSERT_TRUE(check.is_valid());
    ASSERT_EQ(check.headings,
              (std::vector<Glib::ustring>{"catalogue", "speciesid", "scientificname_shipped",
                                          "reference", "date_read", "verdict", "change"}));
    std::map<std::pair<std::string, int>, int> rows;
    for (const Row& r : check.rows) {
        const int id = parse_int_clamped(r[1]);
        EXPECT_TRUE(species(r[0], id)) << "data-check.csv row for " << r[0] << " " << r[1]
                                       << ", which is not in the catalogue";
        EXPECT_EQ(++rows[std::make_pair(r[0], id)], 1)
            << "data-check.csv has more than one row for " << r[0] << " " << r[1];
    }
    for (const auto& [code, fish] : catalogues())
        for (const auto& s : fish.species)
            EXPECT_TRUE(s.speciesid == -1 || rows.count({code.raw(), s.speciesid}))
                << "data-check.csv has no row for " << code.raw() << " " << s.speciesid << " "
                << s.scientificname.raw();
}

} // namespace
