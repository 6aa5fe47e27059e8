#include "refdata/region-info.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

std::string printed;
RegionInfo& edge_regions() {
    static RegionInfo* info = [] {
        CaptureStdout out;
        auto* i = new RegionInfo(EDGE_DATA);
        printed = out.text();
        return i;
    }();
    return *info;
}
bool said(const std::string& text) {
    return printed.find(text) != std::string::npos;
}

TEST(RegionData, SubtypesSubregionsAndBadIds) {
    RegionInfo& info = edge_regions();
    ASSERT_TRUE(info.is_valid()) << printed;
    ASSERT_EQ(info.regions.size(), 7u); // largest usable id is 6
    for (int id : {0, 4, -4, 2000000})
        EXPECT_EQ(info.find_subtype(id), nullptr) << id;
    EXPECT_FALSE(info.find_subtype(2)->has_fish); // " 1" is not exactly "1"
    EXPECT_FALSE(info.find_subtype(6)->visible);  // "true" is not "1"
    EXPECT_TRUE(said("region-info.csv line 6: survey subtype id -4")) << printed;
    EXPECT_TRUE(said("region-info.csv line 7: survey subtype id 2000000"));
    // An id used by another location keeps the first location's survey type.
    EXPECT_TRUE(said("line 9: survey subtype id 5 of BBB/CEE is already used by AAA/ZED"));
    EXPECT_EQ(info.find_subtype(5)->subregioncode, "ZED");
    EXPECT_EQ(info.subtypes_by_subregion["CEE"], (std::vector<int>{2, 6}));

    // Code order (BEE, CEE, ZED), not name order; BEE has no visible subtype.
    EXPECT_EQ(info.subregion_names, (std::vector<Glib::ustring>{"Beta Reef", "Alpha North"}));
    EXPECT_TRUE(info.subtype_defs["BEE"].values.empty());
    EXPECT_EQ(info.hidden_subtypes["BEE"][3], "Old survey");
    // AAA serves two subregions and is loaded once.
    EXPECT_EQ(info.region_codes, (std::vector<Glib::ustring>{"AAA", "BBB"}));
}

TEST(RegionData, FamiliesSpeciesAndZones) {
    RegionInfo& info = edge_regions();
    RegionFishInfo& aaa = info.fish_info["AAA"];
    // A repeated family id is listed again and its later name wins.
    EXPECT_EQ(aaa.family_ids, (std::vector<Glib::ustring>{"F1", "F2", "F3", "F1"}));
    EXPECT_EQ(aaa.families["F1"].commonname, "Damselfishes, chromis");
    EXPECT_EQ(aaa.families["F9"].commonname, "Unnamed family (Undefined family F9)");
    EXPECT_TRUE(said("Region AAA species id 8 has no family!\n"));
    EXPECT_FALSE(said("species id 7")); // an invertebrate needs no family

    ASSERT_EQ(aaa.species.size(), 12u);
    for (int id : {5000000, -2, 4})
        EXPECT_EQ(aaa.find_species(id), nullptr) << id;
    EXPECT_EQ(aaa.geog_ids, (std::vector<int>{1, 1001, 10010001}));
    EXPECT_EQ(info.fish_info["BBB"].find_species(2)->spanishname, "Aguají");
}

TEST(RegionData, BrokenCatalogueMakesRegionInfoInvalid) {
    TempDir d;
    d.write("region-info.csv",
            "regioncode,subregioncode,regionname,subregionname,surveytypeid,surveytypename,"
            "hasabundance,hasfish,hasinverts,canhaveinverts,visible\n"
            "QQQ,Q1,Q,Q one,1,T,1,1,0,0,1\n");
    d.write("QQQ-family-info.csv", "familyid,scientificname,commonname\n");
    d.write("QQQ-species-info.csv", "speciesid,scientificname,commonname,familyid\n1,a,b,c\n");
    CaptureStdout out;
    EXPECT_FALSE(RegionInfo(d.path() + "/").is_valid());
    EXPECT_NE(out.text().find("missing heading \"invertebratetype\""), std::string::npos);
}

} // namespace
