#include "app/my-app-core.h"
#include "refdata/data-file-info.h"
#include "temp-dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A working folder with an installed set (data-files/) and a per-user folder that
// may hold a downloaded set; the test runs inside it.
class DataSetChoice : public ::testing::Test {
protected:
    TempDir work;
    char old_cwd[4096] = {};
    MyAppCore app;
    std::string printed;

    void SetUp() override {
        ASSERT_TRUE(getcwd(old_cwd, sizeof old_cwd));
        copy_set(installed());
        ASSERT_EQ(chdir(work.path().c_str()), 0);
        app.local_data_dir = work.path() + "/config/TAVRO-Survey";
    }
    void TearDown() override { ASSERT_EQ(chdir(old_cwd), 0); }

    std::string installed() const { return work.path() + "/data-files"; }
    std::string local() const { return app.local_data_dir + "/data-files"; }
    static void shell(const std::string& command) { ASSERT_EQ(system(command.c_str()), 0); }
    static void copy_set(const std::string& to) {
        shell("mkdir -p '" + to + "' && cp -r '" + EDGE_DATA + ".' '" + to + "'");
    }
    void local_metadata(const std::string& text) {
        copy_set(local());
        work.write("config/TAVRO-Survey/data-files/data-file-info.txt", text);
    }
    RetCode load() {
        CaptureStdout out;
        RetCode rc = app.load_reference_data();
        printed = out.text();
        return rc;
    }
    bool said(const std::string& text) const { return printed.find(text) != std::string::npos; }
};

TEST_F(DataSetChoice, NewerOrEqualLocalSetWinsOlderOrIncompleteLoses) {
    copy_set(local());
    ASSERT_EQ(load(), RC_OK) << printed;
    EXPECT_EQ(app.loaded_data_dir, local() + "/");
    EXPECT_TRUE(said("Using data in " + local() + "/ (2026-01-01 00:00:00).\n")) << printed;

    local_metadata("version=1\ntimestamp=2025-12-31 23:59:59\nupdated=x\n");
    ASSERT_EQ(load(), RC_OK);
    EXPECT_EQ(app.loaded_data_dir, "data-files/");
    EXPECT_TRUE(said("Hmm, data in " + local() +
                     "/ is older (2025-12-31 23:59:59) than "
                     "data in data-files/ (2026-01-01 00:00:00).\n"))
        << printed;

    local_metadata("timestamp=2027-01-01 00:00:00\n"); // no "updated": incomplete
    ASSERT_EQ(load(), RC_OK);
    EXPECT_EQ(app.loaded_data_dir, "data-files/");
    local_metadata("timestamp=2027-01-01\nno equals sign\nupdated=x\n");
    ASSERT_EQ(load(), RC_OK);
    EXPECT_TRUE(
        said("No data in " + local() + "/; using data in data-files/ (2026-01-01 00:00:00).\n"))
        << printed;
}

TEST_F(DataSetChoice, BrokenDownloadedSetFallsBackToInstalled) {
    local_metadata("version=1\ntimestamp=2027-01-01 00:00:00\nupdated=later\n");
    work.write("config/TAVRO-Survey/data-files/species-views.csv", "viewid,speciesid\n1,2\n");
    ASSERT_EQ(load(), RC_OK) << printed;
    EXPECT_EQ(app.data_file_info->timestamp, "2026-01-01 00:00:00"); // the installed one
    // A folder in place of a data file is as good as a missing file.
    shell("cd '" + local() + "' && rm habitat.csv && mkdir habitat.csv");
    ASSERT_EQ(load(), RC_OK) << printed;
    EXPECT_TRUE(said("Failed to open " + local() + "/habitat.csv!")) << printed;
    EXPECT_TRUE(said("Failed to load the downloaded data in " + local() + "/")) << printed;
}

TEST_F(DataSetChoice, NoUsableDataAtAll) {
    shell("cd '" + installed() + "' && rm habitat.csv && mkdir habitat.csv");
    EXPECT_EQ(load(), RC_ERROR);
    EXPECT_TRUE(said("Failed to open data-files/habitat.csv!")) << printed;
    shell("rm -rf '" + installed() + "'");
    EXPECT_EQ(load(), RC_ERROR);
    EXPECT_TRUE(said("Oh no!  We have no valid data!!\n"));
}

using DataSetChoiceDeathTest = DataSetChoice;
TEST_F(DataSetChoiceDeathTest, CorruptedInstalledMetadataIsFatal) {
    work.write("data-files/data-file-info.txt", "garbage\n");
    EXPECT_EXIT(app.read_data_files(), ::testing::ExitedWithCode(1),
                "Data file metadata is corrupted!");
}

} // namespace
