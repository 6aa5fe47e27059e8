// Copies of unsaved surveys: which ones a start offers back.
#include "app/recovery-keeper.h"
#include "app/recovery-store.h"
#include "temp-dir.h"

#include <csignal>
#include <glibmm/fileutils.h>
#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace {

TEST(RecoveryStore, OffersOnlyCopiesOfWindowsThatAreGone) {
    TempDir home;
    const std::string folder = home.path() + "/recovery";
    const RecoveryStore::Origin origin{"/s/In Progress/a\nb.TAVRO-Survey", "/s/In Progress",
                                       "1:3\n"};
    // A window of another running copy, in a child that knows no toolkit.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        RecoveryStore store(folder);
        store.write("<TAVRO-Survey/>", origin);
        if (write(ready[1], "!", 1) == 1) pause();
        _exit(1);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    RecoveryStore mine(folder);
    mine.write("<mine/>", {});
    EXPECT_TRUE(RecoveryStore::scan(folder).empty()); // both windows alive
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::vector<RecoveryStore::Orphan> orphans = RecoveryStore::scan(folder);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_EQ(read_text_file(orphans[0].survey_path), "<TAVRO-Survey/>");
    const RecoveryStore::Origin& back = orphans[0].origin;
    EXPECT_EQ(std::tie(back.path, back.state_dir, back.etag),
              std::tie(origin.path, origin.state_dir, origin.etag));
    EXPECT_TRUE(RecoveryStore::scan(folder).empty()); // while one start offers it
    orphans[0].discard();
    // Gone after its answers were saved: the lock file left alone is cleaned up.
    mine.remove();
    mine.abandon();
    EXPECT_TRUE(RecoveryStore::scan(folder).empty());
    EXPECT_EQ(files_in(folder), 0u);
}

// A damaged or missing origin: the survey comes back all the same, as one never saved.
TEST(RecoveryStore, DamagedOrMissingOrigin) {
    TempDir home;
    const std::string folder = home.path() + "/recovery";
    RecoveryStore damaged(folder), missing(folder);
    damaged.write("<TAVRO-Survey/>", {"/s/a.TAVRO-Survey", "/s", "1:3"});
    missing.write("<TAVRO-Survey/>", {"/s/a.TAVRO-Survey", "/s", "1:3"});
    const std::string text = read_text_file(damaged.origin_path());
    Glib::file_set_contents(damaged.origin_path(), text.substr(0, text.size() - 2));
    unlink(missing.origin_path().c_str());
    damaged.abandon();
    missing.abandon();
    std::vector<RecoveryStore::Orphan> orphans = RecoveryStore::scan(folder);
    ASSERT_EQ(orphans.size(), 2u);
    for (const RecoveryStore::Orphan& orphan : orphans)
        EXPECT_FALSE(orphan.has_origin) << orphan.origin.path;
}

// A survey as the window would describe it to the keeper.
struct FakeSurvey : RecoveryKeeper::Source {
    bool unsaved = false, writable = true;
    std::string document;
    bool holds_unsaved() override { return unsaved; }
    bool current_document(std::string& out) override {
        out = document;
        return writable;
    }
    RecoveryStore::Origin origin() const override { return {"/s/a.TAVRO-Survey", "/s", "1:2"}; }
};

TEST(RecoveryKeeper, CopiesOnlyUnsavedAnswersAndKeepsNoStaleCopy) {
    TempDir home;
    FakeSurvey survey;
    RecoveryKeeper keeper(home.path() + "/recovery", survey);
    EXPECT_TRUE(keeper.update());
    EXPECT_EQ(keeper.store(), nullptr); // nothing unsaved: no folder, no lock

    survey.unsaved = true, survey.document = "<one/>";
    const unsigned delay = std::exchange(RecoveryKeeper::delay_ms, 5);
    keeper.note_change();
    keeper.note_change(); // typing on: still one copy, once it pauses
    auto context = Glib::MainContext::get_default();
    for (int i = 0; i < 200 && !keeper.store(); ++i) {
        g_usleep(1000);
        context->iteration(false);
    }
    RecoveryKeeper::delay_ms = delay;
    ASSERT_NE(keeper.store(), nullptr);
    const std::string copy = keeper.store()->survey_path();
    EXPECT_EQ(read_text_file(copy), "<one/>");

    // Answers that can't be written keep the last good copy and say so.
    survey.writable = false, survey.document = "<two/>";
    EXPECT_FALSE(keeper.update());
    EXPECT_EQ(read_text_file(copy), "<one/>");

    // Saved: the copy goes, and the same answers are not copied again.
    survey.writable = true;
    keeper.drop("<two/>");
    EXPECT_FALSE(Glib::file_test(copy, Glib::FILE_TEST_EXISTS));
    EXPECT_TRUE(keeper.update());
    EXPECT_FALSE(Glib::file_test(copy, Glib::FILE_TEST_EXISTS));
    survey.document = "<three/>";
    EXPECT_TRUE(keeper.update());
    EXPECT_EQ(read_text_file(copy), "<three/>");

    // A folder that takes no files: no copy, reported, and nothing thrown.
    survey.document = "<four/>";
    chmod((home.path() + "/recovery").c_str(), 0500);
    const bool kept = keeper.update();
    chmod((home.path() + "/recovery").c_str(), 0700);
    if (geteuid() != 0) {
        EXPECT_FALSE(kept); // root writes anyway
    }

    survey.unsaved = false; // saved elsewhere: the copy goes
    EXPECT_TRUE(keeper.update());
    EXPECT_FALSE(Glib::file_test(copy, Glib::FILE_TEST_EXISTS));
}

} // namespace
