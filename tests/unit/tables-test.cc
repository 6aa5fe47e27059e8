// The reference tables: habitats, abundance lists, species views and code tables.
#include "refdata/abundance-choices.h"
#include "refdata/data-defs.h"
#include "refdata/data-params.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "refdata/species-view-info.h"
#include "refdata/species-views.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

TEST(Habitats, CodesGapsAndUndefinedIds) {
    CaptureStdout out;
    HabitatInfo h(EDGE_DATA);
    std::string text = out.text();
    ASSERT_TRUE(h.is_valid());
    EXPECT_EQ(h.habitat_defs["AAA"].values, (std::vector<int>{1, 2, 4}));
    // Id 13 is not in habitat.csv: a readable label, and a warning.
    EXPECT_EQ(h.habitat_defs["BBB"].labels, (std::vector<Glib::ustring>{"Habitat 13"}));
    EXPECT_NE(text.find("habitat id 13"), std::string::npos) << text;
    // A negative code and a huge id are skipped, never used as an index.
    EXPECT_NE(text.find("habitatregion.csv line 6: habitat code -1"), std::string::npos);
    EXPECT_NE(text.find("habitatregion.csv line 7: habitat id 99999999"), std::string::npos);
}

TEST(Abundance, FillersInvertebratesAndStrayCodes) {
    CaptureStdout out;
    AbundanceChoices a(EDGE_DATA);
    ASSERT_TRUE(a.is_valid());
    std::vector<std::string> labels;
    for (const auto& c : a.choices_for(1))
        labels.push_back(c.label.raw());
    // Code 3 is missing; a stray code of 32767 pads nothing.
    EXPECT_EQ(labels, (std::vector<std::string>{"None", "Single", "Few", "Oops", "Abundant"}));
    EXPECT_NE(out.text().find("abundance-choices.csv line 9: abundance code 32767 is out of range"),
              std::string::npos)
        << out.text();
    EXPECT_EQ(a.choices_for(1)[4].responseid, 104);
    const auto& inv = a.choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE);
    ASSERT_EQ(inv.size(), 3u); // the row with code 9 is left out
    EXPECT_EQ(inv[1].label, "Present");
    for (int none : {2, 1000, -1})
        EXPECT_TRUE(a.choices_for(none).empty()) << none;
}

TEST(Views, DefinitionsDefaultsAndEntries) {
    CaptureStdout out;
    RegionInfo regions(EDGE_DATA);
    SpeciesViewInfo info(EDGE_DATA, &regions);
    SpeciesViews views(EDGE_DATA);
    ASSERT_TRUE(info.is_valid() && views.is_valid());
    const SubregionInfo& zed = regions.subregion_info["ZED"];
    EXPECT_EQ(zed.view_ids, (std::vector<int>{1, 4}));
    EXPECT_EQ(zed.default_view, 1);
    // The negative-id row was skipped, not used as the default.
    EXPECT_EQ(regions.subregion_info["CEE"].default_view, -1);
    EXPECT_EQ(regions.subregion_info["CEE"].view_ids, (std::vector<int>{2, 6}));

    EXPECT_EQ(views.entries(1).size(), 3u); // a species listed twice stands twice...
    EXPECT_EQ(views.species_of(1), (std::set<int>{3, 10})); // ...and once in the set
}

TEST(DataDefs, GroupsReplaceAndZeroRows) {
    TempDir d;
    d.write("data-definitions.csv", "group,value,label\nA,1,one\nA,2,two\nB,0,\n"
                                    "A,5,five\nA,0,zero\nA,0,\nC,x,not a number\n");
    d.write("data-parameters.csv", "value,parameter\n10,temp_min_f\nabc,odd\n5,temp_min_f\n");
    DataDefs defs(d.path() + "/");
    DataParams p(d.path() + "/");
    ASSERT_TRUE(defs.is_valid() && p.is_valid());
    // The second block of A replaces the first; a group of one dropped row is empty.
    EXPECT_EQ(defs.defs["A"].values, (std::vector<int>{5, 0}));
    EXPECT_EQ(defs.defs["A"].labels, (std::vector<Glib::ustring>{"five", "zero"}));
    EXPECT_TRUE(defs.defs["B"].values.empty());
    EXPECT_EQ(defs.defs["C"].values, (std::vector<int>{0}));
    EXPECT_EQ(p.params["temp_min_f"], 5);
    EXPECT_EQ(p.params["odd"], 0);
}

} // namespace
