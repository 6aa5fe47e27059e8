#include "refdata/region-info.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

const std::string EDGE = std::string(TAVRO_FIXTURES) + "/edge/";

class RegionDataTest : public ::testing::Test {
protected:
    static std::string output;
    static RegionInfo* info;
    static void SetUpTestSuite() {
        CaptureStdout out;
        info = new RegionInfo(EDGE);
        output = out.text();
    }
    static void TearDownTestSuite() { delete info; }
};
std::string RegionDataTest::output;
RegionInfo* RegionDataTest::info;

TEST_F(RegionDataTest, SubtypeSlotsFlagsAndBadIds) {
    ASSERT_TRUE(info->is_valid()) << output;
    ASSERT_EQ(info->regions.size(), 7u);  // largest usable id is 6
    for (int unused : {0, 4}) {
        EXPECT_EQ(info->regions[unused].surveytypeid, -1);
        EXPECT_EQ(info->find_subtype(unused), nullptr);
    }
    EXPECT_EQ(info->find_subtype(-4), nullptr);
    EXPECT_EQ(info->find_subtype(2000000), nullptr);
    const Region* r2 = info->find_subtype(2);
    ASSERT_NE(r2, nullptr);
    EXPECT_FALSE(r2->has_fish);  // " 1" is not exactly "1"
    EXPECT_TRUE(r2->has_inverts);
    EXPECT_FALSE(info->find_subtype(6)->visible);  // "true" is not "1"
    // Ids that can't index a table are skipped with a warning naming file and line.
    EXPECT_NE(output.find("region-info.csv line 6: survey subtype id -4"), std::string::npos)
        << output;
    EXPECT_NE(output.find("region-info.csv line 7: survey subtype id 2000000"), std::string::npos);
    EXPECT_EQ(info->subtypes_by_subregion["CEE"], (std::vector<int>{2, 6}));
}

TEST_F(RegionDataTest, SubregionsListsAndHiddenSubtypes) {
    // Code order (BEE, CEE, ZED), not name order; BEE has no visible subtype.
    EXPECT_EQ(info->subregion_names, (std::vector<Glib::ustring>{"Beta Reef", "Alpha North"}));
    EXPECT_EQ(info->subregion_name_values, (std::vector<int>{0, 0}));
    EXPECT_EQ(info->subtype_defs["ZED"].values, (std::vector<int>{1, 5}));
    EXPECT_EQ(info->subtype_defs["ZED"].labels,
              (std::vector<Glib::ustring>{"Fish abundance", "Species only"}));
    ASSERT_EQ(info->subtype_defs.count("BEE"), 1u);
    EXPECT_TRUE(info->subtype_defs["BEE"].values.empty());
    EXPECT_EQ(info->hidden_subtypes["BEE"][3], "Old survey");
    EXPECT_EQ(info->hidden_subtypes["CEE"][6], "Retired");
    EXPECT_EQ(info->subregion_code_by_name["Zulu Bay"], "BEE");
    EXPECT_EQ(info->region_code_by_subregion["BEE"], "AAA");
    // AAA serves two subregions and is loaded once, in the order first needed.
    EXPECT_EQ(info->region_codes, (std::vector<Glib::ustring>{"AAA", "BBB"}));
    EXPECT_TRUE(info->fish_info["AAA"].loaded);
}

TEST_F(RegionDataTest, FamiliesAndGeneratedNames) {
    RegionFishInfo& aaa = info->fish_info["AAA"];
    EXPECT_EQ(aaa.family_ids, (std::vector<Glib::ustring>{"F1", "F2", "F3", "F1"}));
    EXPECT_EQ(aaa.families["F1"].commonname, "Damselfishes, chromis");
    EXPECT_EQ(aaa.families["F3"].commonname, "Unnamed family F3");
    // F2 had only a scientific name; its first species named it.
    EXPECT_EQ(aaa.families["F2"].commonname, "Unnamed family (F2)");
    EXPECT_EQ(aaa.families["(empty)"].familyid, "Undefined family (empty)");
    EXPECT_EQ(aaa.families["(empty)"].commonname, "Unnamed family (Undefined family (empty))");
    EXPECT_EQ(aaa.families["F9"].familyid, "Undefined family F9");
    EXPECT_EQ(aaa.families["F9"].commonname, "Unnamed family (Undefined family F9)");
    EXPECT_NE(output.find("Warning: AAA family F3 has no name!\n"), std::string::npos);
    EXPECT_NE(output.find("Region AAA family id F2 has no name!\n"), std::string::npos);
    EXPECT_NE(output.find("Region AAA species id 8 has no family!\n"), std::string::npos);
    EXPECT_NE(output.find("Region AAA family id F9 is not defined!\n"), std::string::npos);
    // The lobster (an invertebrate) came first and got "(empty)" silently.
    EXPECT_EQ(output.find("species id 7"), std::string::npos);
}

TEST_F(RegionDataTest, SpeciesSlotsSpanishNamesRarityAndZones) {
    RegionFishInfo& aaa = info->fish_info["AAA"];
    ASSERT_EQ(aaa.species.size(), 12u);
    int used = 0;
    for (const auto& s : aaa.species)
        used += s.speciesid != -1;
    EXPECT_EQ(used, 5);
    EXPECT_EQ(aaa.find_species(7)->familyid, "(empty)");
    EXPECT_EQ(aaa.find_species(7)->invertebratetype, 1);
    EXPECT_EQ(aaa.find_species(5000000), nullptr);
    EXPECT_EQ(aaa.find_species(-2), nullptr);
    EXPECT_FALSE(aaa.has_spanish_names);
    EXPECT_EQ(aaa.find_species(3)->spanishname, "");
    EXPECT_EQ(aaa.max_rarefishind, 0);
    EXPECT_EQ(aaa.geogs[10010001], "Site \"X\"");
    EXPECT_EQ(aaa.geog_ids, (std::vector<int>{1, 1001, 10010001}));

    RegionFishInfo& bbb = info->fish_info["BBB"];
    EXPECT_TRUE(bbb.has_spanish_names);
    EXPECT_EQ(bbb.find_species(2)->spanishname, "Aguají");
    EXPECT_EQ(bbb.max_rarefishind, 2);
}

TEST(RegionDataFailures, MissingCatalogueMakesRegionInfoInvalid) {
    TempDir d;
    d.write("region-info.csv",
            "regioncode,subregioncode,regionname,subregionname,surveytypeid,surveytypename,"
            "hasabundance,hasfish,hasinverts,canhaveinverts,visible\n"
            "QQQ,Q1,Q,Q one,1,T,1,1,0,0,1\n");
    d.write("QQQ-family-info.csv", "familyid,scientificname,commonname\n");
    d.write("QQQ-species-info.csv", "speciesid,scientificname,commonname,familyid\n1,a,b,c\n");
    CaptureStdout out;
    RegionInfo info(d.path() + "/");
    EXPECT_FALSE(info.is_valid());
    EXPECT_NE(out.text().find("missing heading \"invertebratetype\""), std::string::npos);
    EXPECT_FALSE(info.fish_info["QQQ"].loaded);
}

} // namespace
