#include "core/errors.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Shown {
    std::string message;
    bool is_fatal;
    std::string title;
};

class ErrorsTest : public ::testing::Test {
protected:
    std::vector<Shown> shown;
    void SetUp() override {
        set_error_display_hook([this](const Glib::ustring& m, bool f, const Glib::ustring& t) {
            shown.push_back({m, f, t});
        });
    }
    void TearDown() override {
        set_error_display_hook(nullptr);
        set_error_context("");
    }
};

TEST_F(ErrorsTest, TitledErrnoAppendsSystemTextAndKeepsTitle) {
    errno = ENOENT;
    testing::internal::CaptureStderr();
    RetCode rc = titled_error_errno("ERROR: Survey NOT Saved!!!", "Failed to delete survey file %s",
                                    "/x/y.TAVRO-Survey");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rc, RC_ERROR);
    ASSERT_EQ(shown.size(), 1u);
    std::string expected =
        std::string("Failed to delete survey file /x/y.TAVRO-Survey: ") + strerror(ENOENT) + " (2)";
    EXPECT_EQ(shown[0].message, expected);
    EXPECT_EQ(shown[0].title, "ERROR: Survey NOT Saved!!!");
    EXPECT_FALSE(shown[0].is_fatal);
    EXPECT_EQ(err, "*** ERROR: " + expected + "\n");
}

TEST_F(ErrorsTest, ErrnoIsReadBeforeFormattingCanChangeIt) {
    // In the C locale a non-ASCII wide character fails to convert and the
    // formatter sets errno to EILSEQ; the report must still name the caller's error.
    errno = EACCES;
    testing::internal::CaptureStderr();
    error_errno("open %ls", L"\u00e9t\u00e9");
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].message.find(strerror(EACCES)), std::string::npos) << shown[0].message;
    EXPECT_NE(shown[0].message.find("(13)"), std::string::npos);
}

TEST_F(ErrorsTest, LongMessagesArriveWhole) {
    std::string a(1500, 'a'), b(3000, 'b');
    testing::internal::CaptureStderr();
    error("%s-%s-%d", a.c_str(), b.c_str(), 42);
    std::string err = testing::internal::GetCapturedStderr();
    std::string expected = a + "-" + b + "-42";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, expected);
    EXPECT_EQ(err, "*** ERROR: " + expected + "\n");
    // Exactly at the buffer boundary too.
    std::string c(1023, 'c'), d(1024, 'd');
    EXPECT_EQ(format("%s", c.c_str()), c);
    EXPECT_EQ(format("%s", d.c_str()), d);
}

TEST_F(ErrorsTest, DefaultTitleContextAndPrefixes) {
    testing::internal::CaptureStderr();
    titled_error("", "plain");
    set_error_context("file.csv: ");
    error(RC_INTERNAL_ERROR, "bad %d", 7);
    error("second");
    set_error_context("");
    EXPECT_EQ(error(RC_CANCELLED, "third"), RC_CANCELLED);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].title, "Error occurred");
    EXPECT_EQ(shown[1].message, "file.csv: Uh oh, Internal Error: bad 7");
    EXPECT_EQ(shown[2].message, "file.csv: second");
    EXPECT_EQ(shown[3].message, "third");
    EXPECT_EQ(shown[3].title, "Error occurred");
}

TEST(ErrorsDeathTest, FatalExitStatuses) {
    EXPECT_EXIT(fatal("gone"), ::testing::ExitedWithCode(1), "\\*\\*\\* FATAL ERROR: gone");
    EXPECT_EXIT(fatal(RC_INTERNAL_ERROR, "x"), ::testing::ExitedWithCode(45),
                "FATAL ERROR: Uh oh, Internal Error: x");
    EXPECT_EXIT(fatal(RC_OK, "fine"), ::testing::ExitedWithCode(0), "fine");
    EXPECT_EXIT(fatal(RC_MISSING_HEADING, "h"), ::testing::ExitedWithCode(1), "h");
    EXPECT_EXIT(assert_failure("a == b", "F.cc", 12), ::testing::ExitedWithCode(47),
                "FATAL ERROR: Uh oh, Assertion failed at F.cc line 12: a == b");
    EXPECT_EXIT(TAVRO_ASSERT(1 + 1 == 3), ::testing::ExitedWithCode(47), "1 \\+ 1 == 3");
}

TEST(ErrorsDeathTest, FatalRunsDialogBeforeExit) {
    // The process must end only after the dialog has been dismissed.
    EXPECT_EXIT(
        {
            set_error_display_hook([](const Glib::ustring&, bool f, const Glib::ustring&) {
                fprintf(stderr, "dialog shown fatal=%d\n", f ? 1 : 0);
            });
            fatal_errno(RC_ASSERTION_FAILED, "boom");
        },
        ::testing::ExitedWithCode(47), "FATAL ERROR: Uh oh, boom(.|\n)*dialog shown fatal=1");
}

} // namespace
