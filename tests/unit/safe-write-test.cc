#include "core/safe-write.h"
#include "temp-dir.h"

#include <csignal>
#include <glibmm/fileutils.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/wait.h>

namespace {

// A full disk at any step leaves the old file whole and nothing else behind.
TEST(SafeWrite, FailureAtAnyStepKeepsTheOldFile) {
    TempDir d;
    const std::string path = d.write("survey.TAVRO-Survey", "old survey");
    std::string etag = file_etag(path);
    const std::string big(300000, 'x'); // more than one write's worth
    for (const char* failing : {"create", "write", "sync", "close", "rename"}) {
        set_write_fault([&](const char* step) { return std::string(step) == failing; });
        EXPECT_THROW(replace_file_contents(path, big, etag), std::runtime_error) << failing;
        EXPECT_EQ(read_text_file(path), "old survey") << failing;
        EXPECT_EQ(files_in(d.path()), 1u) << failing;
    }
    set_write_fault(nullptr);
    etag = replace_file_contents(path, big, etag);
    EXPECT_EQ(read_text_file(path), big);
    EXPECT_EQ(etag, file_etag(path));
    EXPECT_EQ(files_in(d.path()), 1u);
}

// Killed at any moment of a save, the program leaves the old file or the new
// one, never a mix; what a kill leaves over is a hidden temporary file only.
TEST(SafeWrite, KilledAnywhereLeavesTheOldOrTheNewFile) {
    TempDir d;
    const std::string path = d.write("survey.TAVRO-Survey", "old survey");
    std::string old = read_text_file(path), etag = file_etag(path);
    gint64 start = g_get_monotonic_time();
    etag = replace_file_contents(path, std::string(1 << 20, 'a'), etag);
    const gint64 one_save = g_get_monotonic_time() - start;
    unsigned seed = 7;
    int kept_old = 0, got_new = 0;
    for (int round = 0; round < 40; ++round) {
        old = read_text_file(path);
        const std::string next(1 << 20, static_cast<char>('b' + round % 20));
        const pid_t child = fork();
        if (child == 0) {
            try {
                replace_file_contents(path, next, etag);
            } catch (...) {
            }
            _exit(0);
        }
        // A fork takes a while too: up to three saves and 2 ms, so that some
        // kills come after the save even on a loaded machine.
        g_usleep(rand_r(&seed) % (3 * one_save + 2000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string now = read_text_file(path);
        ASSERT_TRUE(now == old || now == next) << "round " << round << ": " << now.size();
        (now == old ? kept_old : got_new) += 1;
        etag = file_etag(path);
    }
    EXPECT_GT(kept_old, 0); // the kills hit both during and after a save
    EXPECT_GT(got_new, 0);
    for (const std::string& name : Glib::Dir(d.path()))
        EXPECT_TRUE(name == "survey.TAVRO-Survey" || name[0] == '.') << name;
}

} // namespace
