#include "net/archive-check.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

// Runs a shell command in the folder; the archives are made by the system's tar.
void run(const TempDir& d, const std::string& command) {
    ASSERT_EQ(system(("cd '" + d.path() + "' && " + command).c_str()), 0) << command;
}

TEST(ArchiveCheck, TheShippedDataSetPassesAndCanBeCancelled) {
    TempDir d;
    const std::string src = TAVRO_SOURCE_DIR;
    for (const char* top : {"data-files", "./data-files"}) {
        run(d, "tar -C '" + src + "' -cjf set.tar.bz2 " + top);
        uint64_t last_read = 0;
        const ArchiveCheck check =
            check_archive(d.path() + "/set.tar.bz2", data_set_policy(), [&](uint64_t read) {
                last_read = read;
                return true;
            });
        EXPECT_TRUE(check.ok) << top << ": " << check.error;
        EXPECT_TRUE(check.refused.empty() && check.error.empty()) << top;
        EXPECT_EQ(check.members, files_in(src + "/data-files") + 1) << top;
        EXPECT_GT(last_read, 0u) << top;
    }
    const ArchiveCheck cancelled =
        check_archive(d.path() + "/set.tar.bz2", data_set_policy(), [](uint64_t) { return false; });
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.error, "cancelled");
}

// Each archive holds good files and one hostile member, which is named.
TEST(ArchiveCheck, RefusesTheFirstHostileMember) {
    const struct {
        const char* make; // run in a folder holding data-files/a.csv
        const char* refused;
    } cases[] = {
        {"ln -s /etc/passwd data-files/b.csv && tar -cjf t data-files", "data-files/b.csv"},
        {"ln data-files/a.csv data-files/b.csv && tar -cjf t data-files/a.csv data-files/b.csv",
         "data-files/b.csv"},
        {"mkfifo data-files/p.csv && tar -cjf t data-files", "data-files/p.csv"},
        {"tar -cjPf t \"$PWD/data-files/a.csv\"", "/"},
        {"tar -cjPf t --transform 's,^,data-files/../,' data-files/a.csv",
         "data-files/../data-files/a.csv"},
        {"mkdir other && cp data-files/a.csv other && tar -cjf t data-files other", "other"},
        {"echo x > data-files/run.sh && tar -cjf t data-files", "data-files/run.sh"},
        {"truncate -s 300M data-files/big.csv && tar -cjSf t data-files", "data-files/big.csv"},
        {"truncate -s 150M data-files/b1.csv data-files/b2.csv && "
         "tar -cjSf t data-files/a.csv data-files/b1.csv data-files/b2.csv",
         "data-files/b2.csv"},
    };
    for (const auto& c : cases) {
        TempDir d;
        d.write("data-files/a.csv", "a,b\n1,2\n");
        run(d, c.make);
        const ArchiveCheck check = check_archive(d.path() + "/t", data_set_policy());
        EXPECT_FALSE(check.ok) << c.make;
        EXPECT_EQ(check.error, "") << c.make;
        ASSERT_EQ(check.refused.size(), 1u) << c.make;
        EXPECT_EQ(check.refused[0].rfind(c.refused, 0), 0u) << c.make << ": " << check.refused[0];
    }
}

TEST(ArchiveCheck, DamagedOrEmptyArchivesAreErrors) {
    TempDir d;
    run(d, "tar -cjf empty.tar.bz2 -T /dev/null && echo 'a,b' > plain.csv");
    const std::pair<const char*, const char*> cases[] = {
        {"empty.tar.bz2", "no data files"}, {"plain.csv", ""}, {"none", ""}};
    for (const auto& [file, error] : cases) {
        const ArchiveCheck check = check_archive(d.path() + "/" + file, data_set_policy());
        EXPECT_FALSE(check.ok) << file;
        EXPECT_TRUE(check.refused.empty()) << file;
        EXPECT_FALSE(check.error.empty()) << file;
        if (*error) {
            EXPECT_EQ(check.error, error) << file;
        }
    }
}

} // namespace
