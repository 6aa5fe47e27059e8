#include "app/my-app-core.h"
#include "refdata/data-file-info.h"
#include "refdata/region-info.h"
#include "refdata/species-views.h"
#include "temp-dir.h"

#include <cstdlib>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const std::string EDGE = std::string(TAVRO_FIXTURES) + "/edge";

// A working folder with an installed set (data-files/) and a per-user folder that
// may hold a downloaded set; the test runs inside it.
class DataSetChoice : public ::testing::Test {
protected:
    TempDir work;
    std::string old_cwd;
    MyAppCore app;

    void SetUp() override {
        char buf[4096];
        ASSERT_TRUE(getcwd(buf, sizeof buf));
        old_cwd = buf;
        copy_set(work.path() + "/data-files");
        ASSERT_EQ(chdir(work.path().c_str()), 0);
        app.local_data_dir = work.path() + "/config/TAVRO-Survey";
    }
    void TearDown() override { ASSERT_EQ(chdir(old_cwd.c_str()), 0); }

    std::string local() const { return app.local_data_dir + "/data-files"; }
    static void copy_set(const std::string& to) {
        std::string cmd = "mkdir -p '" + to + "' && cp -r '" + EDGE + "'/. '" + to + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
    }
    void install_local() { copy_set(local()); }
    void metadata(const std::string& dir, const std::string& text) {
        work.write(dir.substr(work.path().size() + 1) + "/data-file-info.txt", text);
    }
    std::string installed() const { return work.path() + "/data-files"; }
    RetCode load(std::string& printed) {
        CaptureStdout out;
        RetCode rc = app.load_reference_data();
        printed = out.text();
        return rc;
    }
};

TEST_F(DataSetChoice, EqualTimestampsUseLocalSet) {
    install_local();
    std::string printed;
    ASSERT_EQ(load(printed), RC_OK) << printed;
    EXPECT_EQ(app.loaded_data_dir, local() + "/");
    EXPECT_NE(printed.find("Using data in " + local() + "/ (2026-01-01 00:00:00).\n"),
              std::string::npos)
        << printed;
    // The view table has been handed over to SpeciesViews.
    EXPECT_EQ(app.species_views->view_subregions.size(), 5u);
}

TEST_F(DataSetChoice, OlderLocalSetLosesAndIncompleteLocalSetIsAbsent) {
    install_local();
    metadata(local(), "version=1\ntimestamp=2025-12-31 23:59:59\nupdated=x\n");
    std::string printed;
    ASSERT_EQ(load(printed), RC_OK);
    EXPECT_EQ(app.loaded_data_dir, "data-files/");
    EXPECT_NE(printed.find("Hmm, data in " + local() + "/ is older (2025-12-31 23:59:59) than "
                           "data in data-files/ (2026-01-01 00:00:00).\n"),
              std::string::npos)
        << printed;

    metadata(local(), "timestamp=2027-01-01 00:00:00\n");  // no "updated"
    ASSERT_EQ(load(printed), RC_OK);
    EXPECT_EQ(app.loaded_data_dir, "data-files/");
    EXPECT_NE(printed.find("No data in " + local() +
                           "/; using data in data-files/ (2026-01-01 00:00:00).\n"),
              std::string::npos);
}

TEST_F(DataSetChoice, NoDataAtAll) {
    ASSERT_EQ(system(("rm -rf '" + installed() + "'").c_str()), 0);
    std::string printed;
    EXPECT_EQ(load(printed), RC_ERROR);
    EXPECT_NE(printed.find("Oh no!  We have no valid data!!\n"), std::string::npos);
}

TEST_F(DataSetChoice, BrokenDownloadedSetFallsBackToInstalled) {
    install_local();
    metadata(local(), "version=1\ntimestamp=2027-01-01 00:00:00\nupdated=later\n");
    work.write("config/TAVRO-Survey/data-files/species-views.csv", "viewid,speciesid\n1,2\n");
    std::string printed;
    ASSERT_EQ(load(printed), RC_OK) << printed;
    EXPECT_EQ(app.loaded_data_dir, "data-files/");
    EXPECT_EQ(app.data_file_info->timestamp, "2026-01-01 00:00:00");
    EXPECT_NE(printed.find("missing heading \"familyid\""), std::string::npos);
    EXPECT_NE(printed.find("Failed to load the downloaded data in " + local() + "/"),
              std::string::npos)
        << printed;

    // read_data_files alone still reports the failure (the update flow needs it).
    MyAppCore other;
    other.local_data_dir = app.local_data_dir;
    CaptureStdout out;
    EXPECT_EQ(other.read_data_files(), RC_ERROR);
}

TEST_F(DataSetChoice, CorruptedDownloadedMetadataCountsAsNoSet) {
    install_local();
    metadata(local(), "timestamp=2027-01-01\nthis line has no equals sign\nupdated=x\n");
    std::string printed;
    ASSERT_EQ(load(printed), RC_OK);
    EXPECT_EQ(app.loaded_data_dir, "data-files/");
    EXPECT_NE(printed.find("corrupted"), std::string::npos);
    EXPECT_NE(printed.find("No data in "), std::string::npos);
}

TEST_F(DataSetChoice, BrokenInstalledSetWithoutDownloadFails) {
    work.write("data-files/region-info.csv", "regioncode\nX\n");
    std::string printed;
    EXPECT_EQ(load(printed), RC_ERROR);
}

using DataSetChoiceDeathTest = DataSetChoice;
TEST_F(DataSetChoiceDeathTest, CorruptedInstalledMetadataIsFatal) {
    metadata(installed(), "garbage\n");
    EXPECT_EXIT(app.read_data_files(), ::testing::ExitedWithCode(1),
                "Data file metadata is corrupted!");
}

TEST(LocalDataDir, CreatedUnderConfigFolder) {
    MyAppCore app;
    std::string dir = app.get_local_data_dir();
    EXPECT_EQ(dir, Glib::get_user_config_dir() + "/TAVRO-Survey");
    EXPECT_TRUE(Glib::file_test(dir, Glib::FILE_TEST_IS_DIR));
}

} // namespace
