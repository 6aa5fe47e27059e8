// Backups of the survey store and restores of them: byte for byte, never
// replacing a file, and refusing a hostile archive before writing anything.
#include "app/store-backup.h"
#include "temp-dir.h"

#include <csignal>
#include <glibmm/fileutils.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const std::string IN = "In Progress/", READY = "Ready To Upload/", UP = "Uploaded/";

// A real survey file made distinct by its member number.
std::string survey(int member) {
    std::string text = read_text_file(TAVRO_FIXTURES "/surveys/legacy-0.2.TAVRO-Survey");
    return text.replace(text.find("12345"), 5, std::to_string(member));
}

// Every file of the store's state folders with its bytes.
std::map<std::string, std::string> store_files(const std::string& store) {
    std::map<std::string, std::string> files;
    for (const std::string& folder : {IN, READY, UP})
        if (files_in(store + "/" + folder))
            for (const std::string& name : Glib::Dir(store + "/" + folder))
                files[folder + name] = read_text_file(store + "/" + folder + name);
    return files;
}

TEST(StoreBackup, RestoredIntoAnEmptyStoreByteForByte) {
    TempDir d;
    const std::string long_name = std::string(150, 'x') + "-Ødegård.TAVRO-Survey";
    d.write("store/" + IN + "a.TAVRO-Survey", survey(1));
    d.write("store/" + IN + "notes.txt", "not a survey");
    d.write("store/" + IN + ".tavro-save-Ab12Cd", survey(9));
    d.write("store/" + READY + "b.TAVRO-Survey", survey(2));
    d.write("store/" + UP + long_name, survey(3));
    d.write("store/" + UP + "c.TAVRO_survey", survey(4));
    d.write("out/keep.txt", "");

    uint64_t last_done = 0, last_total = 1;
    bool steady = true;
    const BackupResult backup =
        back_up_store(d.path() + "/store", d.path() + "/out/" + default_backup_name(2026, 3, 7),
                      [&](uint64_t done, uint64_t total) {
                          steady = steady && done >= last_done && done <= total;
                          last_done = done, last_total = total;
                          return true;
                      });
    ASSERT_TRUE(backup.ok) << backup.error;
    EXPECT_EQ(backup.surveys, 4u);
    EXPECT_TRUE(steady);
    EXPECT_EQ(last_done, last_total);
    EXPECT_EQ(files_in(d.path() + "/out"), 2u); // no temporary left beside it

    const RestoreResult restore =
        restore_store(d.path() + "/out/TAVRO-Surveys-2026-03-07.tar.gz", d.path() + "/empty");
    ASSERT_TRUE(restore.ok) << restore.error;
    EXPECT_EQ(restore.added.size(), 4u);
    EXPECT_TRUE(restore.skipped.empty());
    const std::map<std::string, std::string> expected = {{IN + "a.TAVRO-Survey", survey(1)},
                                                         {IN + "b.TAVRO-Survey", survey(2)},
                                                         {UP + long_name, survey(3)},
                                                         {UP + "c.TAVRO-Survey", survey(4)}};
    EXPECT_EQ(store_files(d.path() + "/empty"), expected);
}

TEST(StoreBackup, RestoreIntoAFullStoreAddsSkipsAndNeverReplaces) {
    TempDir d;
    d.write("old/" + IN + "a.TAVRO-Survey", survey(1));
    d.write("old/" + IN + "b.TAVRO-Survey", survey(2));
    d.write("old/" + IN + "bad.TAVRO-Survey", "<not-a-survey/>");
    d.write("old/" + READY + "a-again.TAVRO-Survey", survey(1));
    d.write("old/" + UP + "c.TAVRO-Survey", survey(3));
    const std::string archive = d.path() + "/backup.tar.gz";
    ASSERT_TRUE(back_up_store(d.path() + "/old", archive).ok);

    d.write("now/" + UP + "x.TAVRO-Survey", survey(1));
    d.write("now/" + IN + "b.TAVRO-Survey", survey(5));
    RestoreResult restore = restore_store(archive, d.path() + "/now");
    ASSERT_TRUE(restore.ok) << restore.error;
    std::map<std::string, std::string> skipped;
    for (const auto& s : restore.skipped)
        skipped[s.member] = s.reason;
    EXPECT_EQ(skipped.size(), 3u);
    EXPECT_EQ(skipped[IN + "a.TAVRO-Survey"], "already in the store");
    EXPECT_EQ(skipped[READY + "a-again.TAVRO-Survey"], "already in the store");
    EXPECT_EQ(skipped[IN + "bad.TAVRO-Survey"].rfind("not a survey this program opens: ", 0), 0u);
    const std::map<std::string, std::string> expected = {{UP + "x.TAVRO-Survey", survey(1)},
                                                         {IN + "b.TAVRO-Survey", survey(5)},
                                                         {IN + "b-1.TAVRO-Survey", survey(2)},
                                                         {UP + "c.TAVRO-Survey", survey(3)}};
    EXPECT_EQ(store_files(d.path() + "/now"), expected);
    EXPECT_EQ(restore.added.size(), 2u);

    restore = restore_store(archive, d.path() + "/now");
    EXPECT_TRUE(restore.ok && restore.added.empty() && restore.skipped.size() == 5u);
    restore = restore_store(archive, d.path() + "/now", [](uint64_t, uint64_t) { return false; });
    EXPECT_EQ(restore.error, "cancelled");
    EXPECT_EQ(store_files(d.path() + "/now"), expected);
}

// Each archive holds a good survey and one member that has no
// place in a backup, which is named.
TEST(StoreBackup, HostileArchivesAreRefusedWhole) {
    const std::pair<const char*, const char*> cases[] = {
        {"mkdir other && cp In*/a.* other && tar -czf t In* other", "other"},
        {"ln -s /etc/passwd 'In Progress/l.TAVRO-Survey' && tar -czf t In*", "In Progress/l."},
        {"truncate -s 11M 'In Progress/z.TAVRO-Survey' && tar -czSf t In*", "In Progress/z."},
        {"echo x > 'In Progress/run.sh' && tar -czf t In*", "In Progress/run.sh"},
    };
    for (const auto& [make, refused] : cases) {
        TempDir d;
        d.write(IN + "a.TAVRO-Survey", survey(1));
        ASSERT_EQ(system(("cd '" + d.path() + "' && " + make).c_str()), 0) << make;
        const RestoreResult restore = restore_store(d.path() + "/t", d.path() + "/store");
        EXPECT_FALSE(restore.ok) << make;
        EXPECT_EQ(restore.error.rfind(refused, 0), 0u) << make << ": " << restore.error;
        EXPECT_TRUE(restore.added.empty() && restore.skipped.empty()) << make;
        EXPECT_EQ(files_in(d.path() + "/store"), 0u) << make;
    }
}

TEST(StoreBackup, FailedOrCancelledBackupLeavesNothing) {
    TempDir d;
    d.write("store/" + IN + "a.TAVRO-Survey", survey(1));
    const std::string out = d.path() + "/out", target = d.write("out/b.tar.gz", "older backup");
    const auto back_up = [&](const std::string& path, bool go_on = true) {
        return back_up_store(d.path() + "/store", path, [=](uint64_t, uint64_t) { return go_on; });
    };
    EXPECT_FALSE(back_up(d.path() + "/missing/b.tar.gz").ok);
    EXPECT_EQ(back_up(target, false).error, "cancelled");

    // A full disk: the archive can't grow past 64 bytes.
    rlimit before;
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 64;
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const BackupResult full = back_up(target);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(full.ok);
    EXPECT_FALSE(full.error.empty());

    if (geteuid() != 0) { // root writes anywhere
        chmod(out.c_str(), 0555);
        EXPECT_FALSE(back_up(out + "/c.tar.gz").ok);
        chmod(out.c_str(), 0755);
    }
    EXPECT_EQ(files_in(out), 1u);
    EXPECT_EQ(read_text_file(target), "older backup");
}

} // namespace
