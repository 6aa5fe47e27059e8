#include "core/command-line.h"
#include "core/errors.h"
#include "core/link-handlers.h"
#include "core/misc.h"
#include "app/my-app-core.h"
#include "core/version.h"
#include "temp-dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(Misc, TrimAndPrefix) {
    EXPECT_EQ(trim_ws(Glib::ustring("  a b  ")), "a b");
    EXPECT_EQ(trim_ws(Glib::ustring("\ta ")), "\ta");
    EXPECT_EQ(trim_ws(Glib::ustring("   ")), "");
    EXPECT_EQ(trim_ws(Glib::ustring("")), "");
    EXPECT_EQ(trim_ws(std::string(" \xc3\xa9 ")), "\xc3\xa9");
    EXPECT_TRUE(has_prefix(std::string("12345678"), std::string("1234")));
    EXPECT_FALSE(has_prefix(std::string("12"), std::string("123")));
    EXPECT_TRUE(has_prefix(std::string("abc"), std::string("")));
}

TEST(Misc, ReadFileContents) {
    TempDir d;
    EXPECT_EQ(read_file_contents(d.write("f.txt", "<b>x</b>\n")), "<b>x</b>\n");
    EXPECT_EQ(read_file_contents(d.path() + "/missing"), "");
}

struct Args {
    std::vector<std::string> store;
    std::vector<char*> ptrs;
    int argc;
    explicit Args(std::vector<std::string> a) : store(std::move(a)) {
        for (auto& s : store)
            ptrs.push_back(&s[0]);
        ptrs.push_back(nullptr);
        argc = static_cast<int>(store.size());
    }
    std::vector<std::string> now() const {
        std::vector<std::string> r;
        for (int i = 0; i < argc; ++i)
            r.push_back(ptrs[i]);
        EXPECT_EQ(ptrs[argc], nullptr);
        return r;
    }
};

TEST(CommandLine, DebugOptionOnlyFirst) {
    int saved = debug_level;
    {
        Args a({"prog", "-d3", "x"});
        CaptureStdout out;
        take_debug_option(a.argc, a.ptrs.data());
        EXPECT_EQ(out.text(), "Debug level 3\n");
        EXPECT_EQ(debug_level, 3);
        EXPECT_EQ(a.now(), (std::vector<std::string>{"prog", "x"}));
    }
    {
        debug_level = 0;
        Args a({"prog", "x", "-d3"});
        take_debug_option(a.argc, a.ptrs.data());
        EXPECT_EQ(debug_level, 0);
        EXPECT_EQ(a.now(), (std::vector<std::string>{"prog", "x", "-d3"}));
    }
    for (auto [arg, level] : std::vector<std::pair<std::string, int>>{
             {"-d", 0}, {"-dx", 0}, {"-d-2", -2}, {"-d99999999999", INT_MAX}}) {
        Args a({"prog", arg});
        CaptureStdout out;
        take_debug_option(a.argc, a.ptrs.data());
        EXPECT_EQ(debug_level, level) << arg;
        EXPECT_EQ(a.argc, 1);
    }
    debug_level = saved;
}

TEST(LinkHandlers, NeverRegistersADefaultResolver) {
    // Every program exists: the browser link is taken, never a resolver.
    TempDir d;
    std::string real_browser = d.write("firefoxish", "#!/bin/sh\n");
    auto everything = [&](const std::string& name) {
        return name == "x-www-browser" ? real_browser : "/usr/bin/" + name;
    };
    ScopedEnv no_browser("BROWSER", "");
    unsetenv("BROWSER");
    std::string cmd = fallback_link_command("http", everything);
    EXPECT_EQ(cmd, "'" + real_browser + "' %u");
    EXPECT_EQ(fallback_link_command("mailto", everything), "");

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
    // With $BROWSER set, sensible-browser would pass the link on to it: not used.
    ScopedEnv browser("BROWSER", "xdg-open");
    EXPECT_EQ(fallback_link_command("https", looped), "");

    for (const char* p : {"/usr/bin/open", "/usr/bin/xdg-open", "/usr/bin/gio", "kde-open5"})
        EXPECT_TRUE(resolves_default_handler(p)) << p;
    EXPECT_FALSE(resolves_default_handler("/usr/bin/x-www-browser"));
}

TEST(AppCore, ServerAddressesFollowEnvironment) {
    {
        ScopedEnv env("TAVRO_SERVER_URL", "http://127.0.0.1:8123/");
        MyAppCore app;
        EXPECT_EQ(app.upload_url, "http://127.0.0.1:8123/dataentry/upload-survey.php");
        EXPECT_EQ(app.version_query_url, "http://127.0.0.1:8123/offline-data-entry/?get-version=");
    }
    ScopedEnv env("TAVRO_SERVER_URL", "");
    MyAppCore app;
    EXPECT_EQ(app.upload_url.rfind("http://", 0), 0u);
    EXPECT_NE(app.upload_url.find("/dataentry/upload-survey.php"), std::string::npos);
}

TEST(Version, BuildInfo) {
    EXPECT_STREQ(BuildInfo::version_str, "1.1203.1006");
    EXPECT_EQ(BuildInfo::major, 1);
    std::string date = BuildInfo::date_str;
    ASSERT_EQ(date.size(), 19u);
    EXPECT_EQ(date[4], '-');
    EXPECT_EQ(date[10], ' ');
    EXPECT_EQ(date[13], ':');
}

} // namespace
