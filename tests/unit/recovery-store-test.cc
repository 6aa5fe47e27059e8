// Copies of unsaved surveys: which ones a start offers back.
#include "app/recovery-store.h"
#include "temp-dir.h"

#include <csignal>
#include <glibmm/fileutils.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

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

} // namespace
