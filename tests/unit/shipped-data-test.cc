// The data set installed with the program loads cleanly and holds enough to
// exercise every feature of the program.
#include "app/my-app-core.h"
#include "core/misc.h"
#include "refdata/abundance-choices.h"
#include "refdata/data-defs.h"
#include "refdata/data-file-info.h"
#include "refdata/data-params.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "refdata/species-views.h"
#include "temp-dir.h"

#include <gtest/gtest.h>
#include <set>

namespace {

class ShippedData : public ::testing::Test {
protected:
    static MyAppCore* app;
    static std::string printed;
    static RetCode rc;
    static void SetUpTestSuite() {
        app = new MyAppCore();
        CaptureStdout out;
        rc = app->load_data_set(std::string(TAVRO_SOURCE_DIR) + "/data-files/");
        printed = out.text();
    }
    static void TearDownTestSuite() { delete app; }
    RegionInfo& regions() { return *app->region_info; }
};
MyAppCore* ShippedData::app;
std::string ShippedData::printed;
RetCode ShippedData::rc;

TEST_F(ShippedData, LoadsWithoutAnyWarning) {
    ASSERT_EQ(rc, RC_OK) << printed;
    EXPECT_EQ(printed, "");
    EXPECT_FALSE(app->data_file_info->timestamp.empty());
    EXPECT_FALSE(app->data_file_info->updated.empty());
}

TEST_F(ShippedData, RegionsCataloguesAndInvertebrates) {
    ASSERT_EQ(rc, RC_OK);
    ASSERT_GE(regions().region_codes.size(), 4u);
    size_t largest = 0;
    bool spanish_with_rarity = false, inverts_in_views = false;
    std::set<int> invert_types;
    for (const auto& code : regions().region_codes) {
        const RegionFishInfo& fish = regions().fish_info.at(code);
        size_t count = 0;
        for (const auto& s : fish.species) {
            if (s.speciesid == -1) continue;
            ++count;
            EXPECT_FALSE(s.scientificname.empty()) << code << " " << s.speciesid;
            EXPECT_FALSE(s.commonname.empty()) << code << " " << s.speciesid;
            if (s.invertebratetype != 0) invert_types.insert(s.invertebratetype);
        }
        EXPECT_EQ(fish.species[0].speciesid, -1) << "species ids start at 1 in " << code;
        EXPECT_GE(count, 120u) << code;
        largest = std::max(largest, count);
        if (fish.has_spanish_names && fish.max_rarefishind >= 2) {
            std::set<int> rarities;
            for (const auto& s : fish.species)
                if (s.speciesid != -1) rarities.insert(s.rarefishind);
            spanish_with_rarity = rarities.count(1) && rarities.count(2);
        }
    }
    EXPECT_GE(largest, 300u);
    EXPECT_TRUE(spanish_with_rarity);
    EXPECT_TRUE(invert_types.count(1) && invert_types.count(2));

    // Invertebrates appear in the views of their region.
    for (size_t v = 0; v < app->species_views->view_entries.size(); ++v) {
        const std::string& sub = app->species_views->view_subregions.size() > v
                                     ? app->species_views->view_subregions[v]
                                     : std::string();
        if (sub.empty()) continue;
        const RegionFishInfo& fish =
            regions().fish_info.at(regions().region_code_by_subregion.at(sub));
        for (const auto& e : app->species_views->entries(static_cast<int>(v))) {
            const auto* s = fish.find_species(e.speciesid);
            ASSERT_NE(s, nullptr) << "view " << v << " species " << e.speciesid;
            EXPECT_EQ(s->familyid, e.familyid) << "view " << v << " species " << e.speciesid;
            if (s->invertebratetype != 0) inverts_in_views = true;
        }
    }
    EXPECT_TRUE(inverts_in_views);
}

TEST_F(ShippedData, ZonesFormAThreeLevelHierarchy) {
    ASSERT_EQ(rc, RC_OK);
    for (const auto& code : regions().region_codes) {
        const RegionFishInfo& fish = regions().fish_info.at(code);
        int sites = 0;
        for (int id : fish.geog_ids) {
            std::string s = std::to_string(id);
            ASSERT_TRUE(s.size() == 1 || s.size() == 4 || s.size() == 8) << code << " " << id;
            if (s.size() > 1) {
                EXPECT_TRUE(fish.geogs.count(atoi(s.substr(0, 1).c_str()))) << id;
            }
            if (s.size() == 8) {
                EXPECT_TRUE(fish.geogs.count(atoi(s.substr(0, 4).c_str()))) << id;
                ++sites;
            }
        }
        EXPECT_GE(sites, 40) << code;
    }
    // "PAC": sites of "PNW" never start with 4, those of its other subregions always.
    ASSERT_EQ(regions().region_code_by_subregion["PNW"], "PAC");
    ASSERT_EQ(regions().region_code_by_subregion["CAL"], "PAC");
    int pnw = 0, other = 0;
    for (int id : regions().fish_info.at("PAC").geog_ids)
        (std::to_string(id)[0] == '4' ? other : pnw)++;
    EXPECT_GT(pnw, 0);
    EXPECT_GT(other, 0);
}

TEST_F(ShippedData, SurveyTypesAbundanceViewsAndHabitats) {
    ASSERT_EQ(rc, RC_OK);
    std::set<int> ids;
    int all_rows = 0;
    bool species_only = false, with_inverts = false, hidden = false;
    for (const auto& entry : regions().subtypes_by_subregion) {
        for (int id : entry.second) {
            ++all_rows;
            ids.insert(id);
            const Region* r = regions().find_subtype(id);
            ASSERT_NE(r, nullptr);
            EXPECT_NE(id, AbundanceChoices::INVERTEBRATE_SUBTYPE);
            species_only |= !r->has_abundance;
            with_inverts |= r->has_inverts;
            hidden |= !r->visible;
            EXPECT_GE(app->abundance_choices->choices_for(id).size(), 2u) << id;
            for (const auto& c : app->abundance_choices->choices_for(id))
                EXPECT_NE(c.label, "Oops") << id;
        }
        // Every subregion offers at least one view, exactly one of them default.
        const SubregionInfo& sub = regions().subregion_info[entry.first];
        EXPECT_FALSE(sub.view_ids.empty()) << entry.first;
        EXPECT_NE(sub.default_view, -1) << entry.first;
    }
    EXPECT_EQ(static_cast<int>(ids.size()), all_rows) << "survey type ids must be unique";
    EXPECT_TRUE(species_only && with_inverts && hidden);
    EXPECT_GE(app->abundance_choices->choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE).size(),
              2u);
    bool two_views = false;
    for (const auto& s : regions().subregion_info)
        two_views |= s.second.view_ids.size() >= 2;
    EXPECT_TRUE(two_views);

    bool ampersand = false;
    for (const auto& code : regions().region_codes) {
        auto it = app->habitat_info->habitat_defs.find(code);
        ASSERT_NE(it, app->habitat_info->habitat_defs.end()) << code;
        EXPECT_FALSE(it->second.values.empty());
        for (int id : app->habitat_info->habitats_by_region.at(code)) {
            if (id < 0) continue;
            EXPECT_FALSE(app->habitat_info->description(id).empty()) << id;
            ampersand |= app->habitat_info->habitat_names[id].find('&') != Glib::ustring::npos;
        }
    }
    EXPECT_TRUE(ampersand);
}

TEST_F(ShippedData, CodeTablesAndLimits) {
    ASSERT_EQ(rc, RC_OK);
    auto& defs = app->data_defs->defs;
    for (const char* g : {"visibility", "depth", "current", "divestart"})
        EXPECT_GE(defs[g].values.size(), 2u) << g;
    const auto& depth = defs["depth"];
    bool snorkel = false, blank = false;
    for (size_t i = 0; i < depth.labels.size(); ++i) {
        snorkel |= depth.labels[i] == MAGIC_SNORKEL_DEPTH;
        blank |= depth.labels[i].empty() && depth.values[i] != 0;
    }
    EXPECT_TRUE(snorkel);
    EXPECT_TRUE(blank);
    // Hours as ids, so that moving the first six to the end starts in the morning.
    const auto& hours = defs["divestart"].values;
    ASSERT_GE(hours.size(), 7u);
    EXPECT_EQ(hours[0], 0);
    EXPECT_EQ(hours[6], 6);
    for (const char* p : {"temp_min_f", "temp_max_f", "temp_min_c", "temp_max_c",
                          "bottom_time_confirm_under", "bottom_time_confirm_over"})
        EXPECT_EQ(app->data_params->params.count(p), 1u) << p;
    EXPECT_LT(app->data_params->params["temp_min_f"], app->data_params->params["temp_max_f"]);
    EXPECT_LT(app->data_params->params["bottom_time_confirm_under"],
              app->data_params->params["bottom_time_confirm_over"]);
}

} // namespace
