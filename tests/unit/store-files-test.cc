// The store's files: which are listed, their safe names, and moves and saves
// that never replace another file, whatever the file system allows.
#include "app/store-files.h"
#include "core/safe-write.h"
#include "temp-dir.h"

#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

TEST(StoreFiles, OnlySurveysListedUnderSafeNames) {
    TempDir d;
    const std::string folder = d.path() + "/";
    for (const char* name : {"a.TAVRO-Survey", ".b.TAVRO-Survey", "c.TAVRO_survey"})
        d.write(name, "<survey/>");
    ASSERT_EQ(g_mkdir((folder + "d.TAVRO-Survey").c_str(), 0700), 0);
    EXPECT_EQ(list_survey_files(d.path()),
              (std::vector<std::string>{folder + ".b.TAVRO-Survey", folder + "a.TAVRO-Survey",
                                        folder + "c.TAVRO_survey"}));
    EXPECT_EQ(survey_file_stem(".5", "PNW", 2026, 7, 4, "0900", "../1\t\x7f"),
              "_5-PNW-20260704-0900-_._1__");
    // Cut before a character that would not fit whole.
    EXPECT_EQ(survey_file_stem(std::string(237, 'x') + "é", "PNW", 0, 0, 0, "", ""),
              std::string(237, 'x'));
    EXPECT_TRUE(same_survey_name(".5-PNW.TAVRO_survey", "_5-PNW"));
    EXPECT_TRUE(same_survey_name("_5-PNW-12.TAVRO-Survey", "_5-PNW"));
    EXPECT_FALSE(same_survey_name("_5-PNW-01.TAVRO-Survey", "_5-PNW"));
}

// A move onto a taken name takes the next free one on a file system that
// refuses the no-replace rename, hard links, or both.
TEST(StoreFiles, MovesNeverReplace) {
    for (const std::string refused : {"", "noreplace", "noreplace link"}) {
        TempDir d;
        const std::string from = d.write("Ready/.5-PNW.TAVRO-Survey", "mine");
        const std::string taken = d.write("In/_5-PNW.TAVRO-Survey", "another survey");
        set_write_fault([&](const char* step) {
            return refused.find(step) != std::string::npos && std::string(step) != "rename";
        });
        CaptureStdout out;
        EXPECT_EQ(read_text_file(move_survey_file(from, d.path() + "/In")), "mine") << refused;
        set_write_fault(nullptr);
        EXPECT_EQ(read_text_file(taken), "another survey");
        EXPECT_EQ(files_in(d.path() + "/Ready"), 0u);
        EXPECT_EQ(out.text().find("checked that the name is free") != std::string::npos,
                  refused == "noreplace link");
    }
}

// Two programs saving the same new survey at the same moment, both past the
// look at the name before either renames: two files.
TEST(StoreFiles, TwoProgramsSavingOneNameAtOnceKeepBoth) {
    for (int round = 0; round < 5; ++round) {
        TempDir d;
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        pid_t children[2];
        for (int i = 0; i < 2; ++i)
            if ((children[i] = fork()) == 0) {
                close(go[1]);
                char c;
                if (read(go[0], &c, 1) != 0) _exit(2); // until the parent lets go
                set_write_fault([](const char* step) {
                    if (std::string(step) == "noreplace" || std::string(step) == "rename")
                        g_usleep(20000);
                    return false;
                });
                save_survey_file(d.path(), "4711-PNW", std::string(4096, char('a' + i)), "", "");
                _exit(0);
            }
        close(go[0]);
        close(go[1]);
        for (pid_t child : children) {
            int status = -1;
            waitpid(child, &status, 0);
            EXPECT_EQ(status, 0);
        }
        const std::vector<std::string> saved = list_survey_files(d.path());
        ASSERT_EQ(saved.size(), 2u) << round;
        EXPECT_NE(read_text_file(saved[0]), read_text_file(saved[1]));
    }
}

} // namespace
