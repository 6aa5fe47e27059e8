#include "core/link-handlers.h"

#include "core/errors.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <giomm/appinfo.h>
#include <glibmm/miscutils.h>
#include <glibmm/shell.h>

bool resolves_default_handler(const std::string& program_path) {
    static const char* const resolvers[] = {
        "open",       "xdg-open", "gio",      "gvfs-open", "kde-open",    "kde-open5",
        "gnome-open", "exo-open", "mimeopen", "see",       "run-mailcap", "tavro-survey",
    };
    std::string base = Glib::path_get_basename(program_path);
    for (const char* r : resolvers)
        if (base == r) return true;
    return false;
}

std::string fallback_link_command(const std::string& scheme, const ProgramFinder& find) {
    if (scheme != "http" && scheme != "https") return std::string();
    std::vector<std::string> candidates = {"x-www-browser", "gnome-www-browser"};
    // sensible-browser hands the link to $BROWSER, which may be a default resolver.
    if (Glib::getenv("BROWSER").empty()) candidates.push_back("sensible-browser");
    for (const auto& name : candidates) {
        std::string path = find(name);
        if (path.empty()) continue;
        // x-www-browser is a link chosen by the system; judge where it leads.
        char real[PATH_MAX];
        std::string target = realpath(path.c_str(), real) ? std::string(real) : path;
        if (resolves_default_handler(path) || resolves_default_handler(target)) continue;
        return Glib::shell_quote(path) + " %u";
    }
    return std::string();
}

void ensure_link_handlers() {
    for (const char* scheme : {"http", "https", "mailto"}) {
        Glib::RefPtr<Gio::AppInfo> handler;
        try {
            handler = Gio::AppInfo::get_default_for_uri_scheme(scheme);
        } catch (const Glib::Error&) {
        }
        if (handler) {
            if (debug_level >= 2)
                printf("default app for %s is %s (%s): %s\n", scheme,
                       handler->get_display_name().c_str(), handler->get_description().c_str(),
                       handler->get_executable().c_str());
            continue;
        }
        if (debug_level >= 0) printf("No default app for %s!\n", scheme);
        std::string command = fallback_link_command(
            scheme, [](const std::string& n) { return Glib::find_program_in_path(n); });
        if (command.empty()) continue;
        Glib::RefPtr<Gio::AppInfo> info;
        try {
            info = Gio::AppInfo::create_from_commandline(command, "open hack",
                                                         Gio::APP_INFO_CREATE_SUPPORTS_URIS);
        } catch (const Glib::Error&) {
        }
        if (!info) {
            printf("Failed to create AppInfo to handle %s\n", scheme);
            continue;
        }
        bool ok = false;
        try {
            ok = info->set_as_default_for_type(std::string("x-scheme-handler/") + scheme);
        } catch (const Glib::Error&) {
        }
        if (!ok) printf("Failed to set up handler for %s\n", scheme);
    }
}
