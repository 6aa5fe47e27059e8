// The data set installed with the program loads cleanly, and its tables fit
// together the way the pages rely on.
#include "app/my-app-core.h"
#include "core/misc.h"
#include "refdata/abundance-choices.h"
#include "refdata/data-defs.h"
#include "refdata/data-params.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "refdata/species-views.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

TEST(ShippedData, LoadsSilentlyAndFitsTogether) {
    MyAppCore app;
    CaptureStdout out;
    ASSERT_EQ(app.load_data_set(std::string(TAVRO_SOURCE_DIR) + "/data-files/"), RC_OK);
    // Any warning of a reader means a broken row.
    EXPECT_EQ(out.text(), "");
    RegionInfo& regions = *app.region_info;

    for (const auto& code : regions.region_codes) {
        const RegionFishInfo& fish = regions.fish_info.at(code);
        for (const auto& s : fish.species)
            EXPECT_TRUE(s.speciesid == -1 || !(s.scientificname.empty() || s.commonname.empty()))
                << code << " " << s.speciesid;
        // Zones: 1-digit areas, 4-digit zones, 8-digit sites, each under its parent.
        // Every faulty zone is reported, one line each.
        for (int id : fish.geog_ids) {
            const std::string s = std::to_string(id);
            if (!(s.size() == 1 || s.size() == 4 || s.size() == 8)) {
                ADD_FAILURE() << code << " zone " << id << ": not 1, 4 or 8 digits";
            } else if (s.size() > 1) {
                const std::string parent = s.substr(0, s.size() == 8 ? 4 : 1);
                EXPECT_TRUE(fish.geogs.count(std::stoi(parent)))
                    << code << " zone " << id << ": no parent " << parent;
            }
        }
        EXPECT_FALSE(app.habitat_info->habitat_defs.at(code).values.empty()) << code;
    }

    // Every view entry is a species of its subregion's region, under its own family.
    const SpeciesViews& views = *app.species_views;
    for (size_t v = 0; v < views.view_subregions.size(); ++v) {
        const std::string& sub = views.view_subregions[v];
        if (sub.empty()) continue;
        const RegionFishInfo& fish = regions.fish_info.at(regions.region_code_by_subregion.at(sub));
        for (const auto& e : views.entries(static_cast<int>(v))) {
            const auto* s = fish.find_species(e.speciesid);
            EXPECT_TRUE(s && s->familyid == e.familyid)
                << "view " << v << " species " << e.speciesid;
        }
    }

    // Every survey type has an abundance list without gaps; every subregion a default view.
    for (const auto& entry : regions.subtypes_by_subregion) {
        for (int id : entry.second) {
            const auto& choices = app.abundance_choices->choices_for(id);
            EXPECT_GE(choices.size(), 2u) << id;
            for (const auto& c : choices)
                EXPECT_NE(c.label, "Oops") << id;
        }
        EXPECT_NE(regions.subregion_info[entry.first].default_view, -1) << entry.first;
    }

    // The depth list has "Snorkel"; the dive start list uses hours as ids.
    const auto& defs = app.data_defs->defs;
    const auto& depth = defs.at("depth").labels;
    EXPECT_NE(std::find(depth.begin(), depth.end(), MAGIC_SNORKEL_DEPTH), depth.end());
    ASSERT_GE(defs.at("divestart").values.size(), 7u);
    EXPECT_EQ(defs.at("divestart").values[6], 6);
    auto& params = app.data_params->params;
    EXPECT_LT(params["temp_min_f"], params["temp_max_f"]);
    EXPECT_LT(params["temp_min_c"], params["temp_max_c"]);
    EXPECT_LT(params["bottom_time_confirm_under"], params["bottom_time_confirm_over"]);
}

} // namespace
