#include "refdata/data-defs.h"
#include "refdata/data-file-info.h"
#include "refdata/data-params.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

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

TEST(DataFileInfo, KeysValuesAndValidity) {
    TempDir d;
    d.write("data-file-info.txt",
            "\nversion=1\ntimestamp=2026-11-20 10:00=00\nupdated=Nov 20\nsomething=else\n");
    CaptureStdout out;
    DataFileInfo info(d.path() + "/");
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.timestamp, "2026-11-20 10:00=00"); // split at the first "="
    EXPECT_EQ(out.text(), "Ignoring unknown data-file-info key \"something\" (= \"else\")\n");
    d.write("data-file-info.txt", "timestamp=1\n");
    EXPECT_FALSE(DataFileInfo(d.path() + "/").valid);
    EXPECT_FALSE(DataFileInfo(d.path() + "/nowhere/").valid);
}

TEST(DataFileInfoDeathTest, LineWithoutEqualsIsFatalUnlessSurvivable) {
    TempDir d;
    d.write("data-file-info.txt", "timestamp=1\ngarbage\nupdated=2\n");
    EXPECT_EXIT(DataFileInfo(d.path() + "/"), ::testing::ExitedWithCode(1),
                "FATAL ERROR: Data file metadata is corrupted!");
    CaptureStdout out;
    DataFileInfo info(d.path() + "/", false);
    EXPECT_FALSE(info.valid);
    EXPECT_TRUE(info.corrupted);
}

} // namespace
