#include "refdata/abundance-choices.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "refdata/species-view-info.h"
#include "refdata/species-views.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

const std::string EDGE = std::string(TAVRO_FIXTURES) + "/edge/";

TEST(Habitats, CodesGapsAndUndefinedIds) {
    CaptureStdout out;
    HabitatInfo h(EDGE);
    std::string text = out.text();
    ASSERT_TRUE(h.is_valid());
    EXPECT_EQ(h.habitats_by_region["AAA"], (std::vector<int>{-1, 10, 11, -1, 12}));
    EXPECT_EQ(h.habitat_defs["AAA"].values, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(h.habitat_defs["AAA"].labels,
              (std::vector<Glib::ustring>{"Sand & rubble", "Coral reef", "Seagrass"}));
    // Id 13 is not in habitat.csv: a readable label, and a warning.
    EXPECT_EQ(h.habitat_defs["BBB"].labels, (std::vector<Glib::ustring>{"Habitat 13"}));
    EXPECT_NE(text.find("habitat id 13"), std::string::npos) << text;
    // A negative code and a huge id are skipped, never used as an index.
    EXPECT_NE(text.find("habitatregion.csv line 6: habitat code -1"), std::string::npos);
    EXPECT_NE(text.find("habitatregion.csv line 7: habitat id 99999999"), std::string::npos);
    EXPECT_EQ(h.description(12), "Turtle grass beds");
    EXPECT_EQ(h.description(13), "");
    EXPECT_EQ(h.description(-1), "");
}

TEST(Habitats, BrokenRegionFileSkipsHabitatFile) {
    TempDir d;
    d.write("habitatregion.csv", "regioncode,habitat\nAAA,1\n");
    d.write("habitat.csv", "habitatid,habitatname,habitatdescr\n1,a,b\n");
    CaptureStdout out;
    HabitatInfo h(d.path() + "/");
    EXPECT_FALSE(h.is_valid());
    EXPECT_TRUE(h.habitat_names.empty());
}

TEST(Abundance, FillersNoneAndTheInvertebrateList) {
    AbundanceChoices a(EDGE);
    ASSERT_TRUE(a.is_valid());
    const auto& c1 = a.choices_for(1);
    ASSERT_EQ(c1.size(), 5u);
    std::vector<std::string> labels;
    for (const auto& c : c1)
        labels.push_back(c.label.raw());
    EXPECT_EQ(labels, (std::vector<std::string>{"None", "Single", "Few", "Oops", "Abundant"}));
    EXPECT_EQ(c1[0].responseid, -1);
    EXPECT_EQ(c1[4].abun, 4);
    EXPECT_EQ(c1[4].responseid, 104);
    const auto& inv = a.choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE);
    ASSERT_EQ(inv.size(), 3u);  // the row with code 9 is left out
    EXPECT_EQ(inv[1].label, "Present");
    EXPECT_EQ(inv[1].responseid, 901);
    EXPECT_TRUE(a.choices_for(2).empty());
    EXPECT_TRUE(a.choices_for(1000).empty());
    EXPECT_TRUE(a.choices_for(-1).empty());
}

TEST(Abundance, CodeAlreadyCoveredIsAppended) {
    TempDir d;
    d.write("abundance-choices.csv", "responseid,survey_subtype_id,label,abun\n"
                                     "1,3,A,2\n2,3,B,1\n3,-3,neg,1\n");
    CaptureStdout out;
    AbundanceChoices a(d.path() + "/");
    const auto& c = a.choices_for(3);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[1].label, "Oops");
    EXPECT_EQ(c[2].label, "A");
    EXPECT_EQ(c[3].label, "B");
    EXPECT_NE(out.text().find("survey subtype id -3"), std::string::npos);
}

TEST(Views, DefinitionsDefaultsAndEntries) {
    CaptureStdout out;
    RegionInfo regions(EDGE);
    SpeciesViewInfo info(EDGE, &regions);
    SpeciesViews views(EDGE);
    ASSERT_TRUE(info.is_valid());
    ASSERT_TRUE(views.is_valid());
    const SubregionInfo& zed = regions.subregion_info["ZED"];
    EXPECT_EQ(zed.view_ids, (std::vector<int>{1, 4}));
    EXPECT_EQ(zed.view_names, (std::vector<Glib::ustring>{"Common fish", "All fish"}));
    EXPECT_EQ(zed.default_view, 1);
    // No default marked (the negative-id row was skipped, not used as default).
    EXPECT_EQ(regions.subregion_info["CEE"].default_view, -1);
    EXPECT_EQ(regions.subregion_info["CEE"].view_ids, (std::vector<int>{2}));
    EXPECT_EQ(regions.subregion_info.count("BEE"), 0u);
    EXPECT_EQ(info.view_subregions, (std::vector<std::string>{"", "ZED", "CEE", "", "ZED"}));

    EXPECT_EQ(views.entries(1).size(), 3u);  // a species listed twice stands twice...
    EXPECT_EQ(views.species_of(1), (std::set<int>{3, 10}));  // ...and once in the set
    EXPECT_EQ(views.entries(2)[1].familyid, "");
    EXPECT_TRUE(views.entries(3).empty());
    EXPECT_TRUE(views.entries(77).empty());
    EXPECT_TRUE(views.species_of(-1).empty());
}

} // namespace
