#include "app/my-app-core.h"
#include "core/command-line.h"
#include "core/errors.h"
#include "core/link-handlers.h"
#include "temp-dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(CommandLine, DebugOptionOnlyFirst) {
    int saved = debug_level;
    auto run = [](std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        int argc = static_cast<int>(args.size());
        CaptureStdout out;
        take_debug_option(argc, argv.data());
        return std::vector<std::string>(argv.begin(), argv.begin() + argc);
    };
    debug_level = 0;
    EXPECT_EQ(run({"prog", "x", "-d3"}).size(), 3u); // only as the first argument
    EXPECT_EQ(run({"prog", "-d99999999999", "x"}), (std::vector<std::string>{"prog", "x"}));
    EXPECT_EQ(debug_level, INT_MAX);
    debug_level = saved;
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

} // namespace
