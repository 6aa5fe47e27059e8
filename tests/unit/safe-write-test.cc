#include "core/safe-write.h"
#include "temp-dir.h"

#include <glibmm/fileutils.h>
#include <gtest/gtest.h>
#include <stdexcept>

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
    // Changed by someone else: refused.
    EXPECT_THROW(replace_file_contents(path, big, "someone else's tag"), std::runtime_error);
    EXPECT_EQ(read_text_file(path), "old survey");
    etag = replace_file_contents(path, big, etag);
    EXPECT_EQ(read_text_file(path), big);
    EXPECT_EQ(etag, file_etag(path));
    EXPECT_EQ(files_in(d.path()), 1u);
}

} // namespace
