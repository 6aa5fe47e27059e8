#include "refdata/data-defs.h"
#include "refdata/data-file-info.h"
#include "refdata/data-params.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

TEST(DataDefs, GroupsReplaceAndZeroRows) {
    TempDir d;
    d.write("data-definitions.csv", "group,value,label\n"
                                    "A,1,one\nA,2,two\n"
                                    "B,0,\n"
                                    "A,5,five\nA,0,zero\nA,0,\n"
                                    "C,x,not a number\n");
    DataDefs defs(d.path() + "/");
    ASSERT_TRUE(defs.is_valid());
    // The second block of A replaces the first.
    EXPECT_EQ(defs.defs["A"].values, (std::vector<int>{5, 0}));
    EXPECT_EQ(defs.defs["A"].labels, (std::vector<Glib::ustring>{"five", "zero"}));
    // A group made only of a dropped row still exists, empty.
    ASSERT_EQ(defs.defs.count("B"), 1u);
    EXPECT_TRUE(defs.defs["B"].values.empty());
    // The last group is stored at the end of the file.
    EXPECT_EQ(defs.defs["C"].values, (std::vector<int>{0}));
    EXPECT_EQ(defs.defs.size(), 3u);
}

TEST(DataDefs, MissingFileOrHeadingIsInvalid) {
    TempDir d;
    CaptureStdout out;
    DataDefs none(d.path() + "/");
    EXPECT_FALSE(none.is_valid());
    d.write("data-parameters.csv", "parameter,val\nx,1\n");
    DataParams params(d.path() + "/");
    EXPECT_FALSE(params.is_valid());
    EXPECT_NE(out.text().find("missing heading \"value\""), std::string::npos);
}

TEST(DataParams, ValuesLastWinsAndNonNumbersAreZero) {
    TempDir d;
    d.write("data-parameters.csv", "value,parameter\n10,temp_min_f\nabc,odd\n"
                                   "5,temp_min_f\n-3,temp_min_c\n");
    DataParams p(d.path() + "/");
    ASSERT_TRUE(p.is_valid());
    EXPECT_EQ(p.params["temp_min_f"], 5);
    EXPECT_EQ(p.params["odd"], 0);
    EXPECT_EQ(p.params["temp_min_c"], -3);
    EXPECT_EQ(p.params["never_defined"], 0);
}

TEST(DataFileInfo, KeysValuesAndValidity) {
    TempDir d;
    d.write("data-file-info.txt",
            "\nversion=1\ntimestamp=2026-11-20 10:00=00\nupdated=Nov 20\nsomething=else\n");
    CaptureStdout out;
    DataFileInfo info(d.path() + "/");
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.timestamp, "2026-11-20 10:00=00");  // split at the first "="
    EXPECT_EQ(info.updated, "Nov 20");
    EXPECT_EQ(out.text(), "Ignoring unknown data-file-info key \"something\" (= \"else\")\n");

    d.write("data-file-info.txt", "timestamp=1\r\nupdated=2\r\n");
    DataFileInfo crlf(d.path() + "/");
    EXPECT_EQ(crlf.timestamp, "1\r");

    d.write("data-file-info.txt", "timestamp=1\n");
    EXPECT_FALSE(DataFileInfo(d.path() + "/").valid);
    EXPECT_FALSE(DataFileInfo(d.path() + "/nowhere/").valid);
}

TEST(DataFileInfo, UnknownVersionIsReportedButUsed) {
    TempDir d;
    d.write("data-file-info.txt", "version=2\ntimestamp=t\nupdated=u\n");
    testing::internal::CaptureStderr();
    DataFileInfo info(d.path() + "/");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(info.valid);
    EXPECT_NE(err.find("Can't handle data file metadata version 2 - please download a newer "
                       "version of this program!"),
              std::string::npos);
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
