#include "core/errors.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Shown {
    std::string message, title;
};

class ErrorsTest : public ::testing::Test {
protected:
    std::vector<Shown> shown;
    void SetUp() override {
        set_error_display_hook([this](const Glib::ustring& m, bool, const Glib::ustring& t) {
            shown.push_back({m, t});
        });
        testing::internal::CaptureStderr();
    }
    void TearDown() override {
        testing::internal::GetCapturedStderr();
        set_error_display_hook(nullptr);
        set_error_context("");
    }
};

TEST_F(ErrorsTest, ErrnoIsReadBeforeFormattingCanChangeIt) {
    // In the C locale a non-ASCII wide character fails to convert and the
    // formatter sets errno to EILSEQ; the report must still name the caller's error.
    errno = EACCES;
    titled_error_errno("ERROR: Survey NOT Saved!!!", "open %ls", L"\u00e9t\u00e9");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].message.find(std::string(strerror(EACCES)) + " (13)"), std::string::npos)
        << shown[0].message;
}

TEST_F(ErrorsTest, LongMessagesArriveWholeWithContext) {
    std::string a(1500, 'a'), b(3000, 'b');
    set_error_context("file.csv: ");
    EXPECT_EQ(error(RC_CANCELLED, "%s-%s-%d", a.c_str(), b.c_str(), 42), RC_CANCELLED);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, "file.csv: " + a + "-" + b + "-42");
    EXPECT_EQ(format("%s", std::string(1024, 'c').c_str()).size(), 1024u);
}

TEST(ErrorsDeathTest, FatalExitStatusesAfterTheDialog) {
    EXPECT_EXIT(fatal("gone"), ::testing::ExitedWithCode(1), "\\*\\*\\* FATAL ERROR: gone");
    EXPECT_EXIT(TAVRO_ASSERT(1 + 1 == 3), ::testing::ExitedWithCode(47), "1 \\+ 1 == 3");
    // The process must end only after the dialog has been dismissed.
    EXPECT_EXIT(
        {
            set_error_display_hook([](const Glib::ustring&, bool f, const Glib::ustring&) {
                fprintf(stderr, "dialog shown fatal=%d\n", f ? 1 : 0);
            });
            fatal_errno(RC_INTERNAL_ERROR, "boom");
        },
        ::testing::ExitedWithCode(45),
        "FATAL ERROR: Uh oh, Internal Error: boom(.|\n)*dialog shown fatal=1");
}

} // namespace
