// The application core: searches, links, the server address, error reports, contrast.
#include "app/my-app-core.h"
#include "core/errors.h"
#include "core/link-handlers.h"
#include "core/misc.h"
#include "core/palette.h"
#include "core/suggest.h"
#include "temp-dir.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(SearchFolding, AccentsAndCaseFoldButNothingFoundBeforeIsLost) {
    EXPECT_EQ(fold_for_search("Bahía de los ÁNGELES"), "bahia de los angeles");
    // Typed with a separate accent, the same word.
    EXPECT_EQ(fold_for_search("Bahi\u0301a"), "bahia");
    // Letters that do not decompose keep their form, and lose only their case.
    EXPECT_EQ(fold_for_search("ØRESUND Œuvre ß"), "øresund œuvre ß");
    EXPECT_EQ(fold_for_search("İzmir"), "izmir");
    EXPECT_EQ(fold_for_search(std::string("caf\xc3")), "");
    // A word that a lower-case search found is still found.
    const Glib::ustring text = "Mero Guasa (Epinephelus itajara) - Pez Ángel Francés";
    for (const char* word : {"ángel", "francés", "guasa", "a (e", " - "})
        EXPECT_NE(fold_for_search(text).raw().find(fold_for_search(word).raw()), std::string::npos)
            << word;
}

TEST(SearchSuggestions, NearestNamesWithinTwoSlips) {
    const std::vector<std::string> names = {"whale shark", "white shark", "shark ray",
                                            "whale shark", "blue whale",  "ødegård's goby"};
    using Ids = std::vector<size_t>;
    EXPECT_EQ(nearest_names(names, "whale shrk"), Ids{0});   // white shark is 3 slips away
    EXPECT_EQ(nearest_names(names, "shrk"), (Ids{0, 1, 2})); // a word of the name; no twin
    EXPECT_EQ(nearest_names(names, "shrk", 2), (Ids{0, 1}));
    EXPECT_EQ(nearest_names(names, "blu whle"), Ids{4});
    EXPECT_EQ(nearest_names(names, "odegard's"), Ids{5}); // letters, not bytes
    EXPECT_EQ(nearest_names(names, "hammerhead"), Ids{});
    EXPECT_EQ(nearest_names(names, ""), Ids{});
    EXPECT_EQ(nearest_names({"ab"}, "abcde"), Ids{}); // too long a difference to look at
    // Names left out are not looked at, so the twin of one comes in its place.
    EXPECT_EQ(nearest_names(names, "shrk", 5, 2, [](size_t i) { return i != 0; }), (Ids{1, 2, 3}));
    // Blanks around and between the words of a name do not count as slips.
    EXPECT_EQ(nearest_names({"  big  blue   whale "}, "blu whle"), Ids{0});
}

TEST(LinkHandlers, NeverRegistersADefaultResolver) {
    TempDir d;
    ScopedEnv no_browser("BROWSER", "");
    unsetenv("BROWSER");
    // x-www-browser that leads to xdg-open is refused; sensible-browser is next.
    std::string xdg = d.write("bin/xdg-open", "#!/bin/sh\n");
    std::string link = d.path() + "/x-www-browser";
    ASSERT_EQ(symlink(xdg.c_str(), link.c_str()), 0);
    auto looped = [&](const std::string& name) -> std::string {
        if (name == "x-www-browser") return link;
        if (name == "sensible-browser") return "/usr/bin/sensible-browser";
        return "";
    };
    EXPECT_EQ(fallback_link_command("https", looped), "'/usr/bin/sensible-browser' %u");
    EXPECT_EQ(fallback_link_command("mailto", looped), "");
    // With $BROWSER set, sensible-browser would pass the link on to it: not used.
    ScopedEnv browser("BROWSER", "xdg-open");
    EXPECT_EQ(fallback_link_command("https", looped), "");
    for (const char* p : {"/usr/bin/open", "/usr/bin/gio", "kde-open5"})
        EXPECT_TRUE(resolves_default_handler(p)) << p;
    EXPECT_FALSE(resolves_default_handler("/usr/bin/x-www-browser"));
}

TEST(AppCore, ServerAddressFromEnvironmentLosesTrailingSlashes) {
    ScopedEnv env("TAVRO_SERVER_URL", "http://127.0.0.1:8123//");
    MyAppCore app;
    EXPECT_EQ(app.upload_url, "http://127.0.0.1:8123/dataentry/upload-survey.php");
}

class ErrorsTest : public ::testing::Test {
protected:
    std::vector<std::string> shown;
    void SetUp() override {
        set_error_display_hook(
            [this](const Glib::ustring& m, bool, const Glib::ustring&) { shown.push_back(m); });
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
    EXPECT_NE(shown[0].find(std::string(strerror(EACCES)) + " (13)"), std::string::npos)
        << shown[0];
}

TEST_F(ErrorsTest, LongMessagesArriveWholeWithContext) {
    std::string a(1500, 'a'), b(3000, 'b');
    set_error_context("file.csv: ");
    EXPECT_EQ(error(RC_CANCELLED, "%s-%s-%d", a.c_str(), b.c_str(), 42), RC_CANCELLED);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "file.csv: " + a + "-" + b + "-42");
    EXPECT_EQ(format("%s", std::string(1024, 'c').c_str()).size(), 1024u);
}

TEST(ErrorsDeathTest, FatalExitStatusesAfterTheDialog) {
    EXPECT_EXIT(fatal(RC_INTERNAL_ERROR, "gone"), ::testing::ExitedWithCode(45),
                "\\*\\*\\* FATAL ERROR: Uh oh, Internal Error: gone");
    EXPECT_EXIT(TAVRO_ASSERT(1 + 1 == 3), ::testing::ExitedWithCode(47), "1 \\+ 1 == 3");
}

// The contrast the theme test relies on: the usual reference points, and
// colours it cannot read.
TEST(Palette, ContrastRatios) {
    EXPECT_DOUBLE_EQ(contrast_ratio("black", "#ffffff"), 21);
    EXPECT_DOUBLE_EQ(contrast_ratio("#c60", "#cc6600"), 1);
    EXPECT_NEAR(contrast_ratio("#767676", "white"), 4.54, 0.01); // the lightest grey that passes
    EXPECT_NEAR(contrast_ratio("red", "white"), 4.0, 0.01);
    EXPECT_EQ(contrast_ratio("#12345", "white"), 0);
    EXPECT_EQ(contrast_ratio("#ggg", "white"), 0);
    EXPECT_EQ(contrast_ratio("", "white"), 0);
}

} // namespace
