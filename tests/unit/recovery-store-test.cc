// Copies of unsaved surveys: which ones a start offers back.
#include "app/recovery-store.h"
#include "temp-dir.h"

#include <csignal>
#include <glibmm/fileutils.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Origin = RecoveryStore::Origin;

size_t files_in(const std::string& folder) {
    Glib::Dir dir(folder);
    return static_cast<size_t>(std::distance(dir.begin(), dir.end()));
}

// A window of another running copy of the program, in a child that knows no
// toolkit: it writes its copy and waits to be killed.
pid_t other_copy(const std::string& folder, const Origin& origin) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        RecoveryStore store(folder);
        store.write("<TAVRO-Survey/>", origin);
        if (write(ready[1], "!", 1) == 1) pause();
        _exit(1);
    }
    char c = 0;
    close(ready[1]);
    const bool written = child > 0 && read(ready[0], &c, 1) == 1;
    close(ready[0]);
    return written ? child : -1;
}

TEST(RecoveryStore, OffersOnlyCopiesOfWindowsThatAreGone) {
    TempDir home;
    const std::string folder = home.path() + "/recovery";
    const Origin origin{"/s/In Progress/a\nb.TAVRO-Survey", "/s/In Progress", "17:3\n"};
    const pid_t child = other_copy(folder, origin);
    ASSERT_GT(child, 0);
    RecoveryStore mine(folder);
    mine.write("<mine/>", {});
    EXPECT_TRUE(RecoveryStore::scan(folder).empty()); // both windows alive
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::vector<RecoveryStore::Orphan> orphans = RecoveryStore::scan(folder);
    ASSERT_EQ(orphans.size(), 1u);
    EXPECT_EQ(read_text_file(orphans[0].survey_path), "<TAVRO-Survey/>");
    EXPECT_TRUE(orphans[0].has_origin);
    EXPECT_EQ(orphans[0].origin.path, origin.path);
    EXPECT_EQ(orphans[0].origin.state_dir, origin.state_dir);
    EXPECT_EQ(orphans[0].origin.etag, origin.etag);
    // While one start offers it, another does not.
    EXPECT_TRUE(RecoveryStore::scan(folder).empty());
    orphans[0].discard();
    mine.close();
    EXPECT_EQ(files_in(folder), 0u);
}

TEST(RecoveryStore, DamagedOriginOffersTheSurveyAsNeverSaved) {
    TempDir home;
    const std::string folder = home.path() + "/recovery";
    for (bool missing : {false, true}) {
        RecoveryStore crashed(folder);
        crashed.write("<TAVRO-Survey/>", {"/s/a.TAVRO-Survey", "/s", "17:3"});
        const std::string origin = crashed.origin_path(), text = read_text_file(origin);
        crashed.abandon();
        if (missing)
            unlink(origin.c_str());
        else
            Glib::file_set_contents(origin, text.substr(0, text.size() - 2));
        std::vector<RecoveryStore::Orphan> orphans = RecoveryStore::scan(folder);
        ASSERT_EQ(orphans.size(), 1u);
        EXPECT_FALSE(orphans[0].has_origin);
        EXPECT_EQ(orphans[0].origin.path, "");
        EXPECT_EQ(read_text_file(orphans[0].survey_path), "<TAVRO-Survey/>");
        orphans[0].discard();
    }
    // A window gone after its answers were saved leaves only its lock file.
    RecoveryStore saved(folder);
    saved.write("<TAVRO-Survey/>", {});
    saved.remove();
    saved.abandon();
    EXPECT_TRUE(RecoveryStore::scan(folder).empty());
    EXPECT_EQ(files_in(folder), 0u);
}

} // namespace
