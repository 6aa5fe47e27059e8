#include "core/misc.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <giomm/file.h>
#include <glibmm/markup.h>

const Glib::ustring MAGIC_SNORKEL_DEPTH("Snorkel");
const Glib::ustring NO_LONGER_AVAILABLE("No longer available");

Glib::ustring read_file_contents(const std::string& path) {
    Glib::ustring text;
    read_file_contents(path, text);
    return text;
}

bool read_file_contents(const std::string& path, Glib::ustring& text) {
    try {
        char* contents = nullptr;
        gsize length = 0;
        Gio::File::create_for_path(path)->load_contents(contents, length);
        text = Glib::ustring(std::string(contents, length));
        g_free(contents);
        return true;
    } catch (const Glib::Error&) {
        text.clear();
        return false;
    }
}

long long parse_int(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    long long v = strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) return 0;
    return v; // strtoll itself saturates at the long long limits
}

int parse_int_clamped(const std::string& text) {
    long long v = parse_int(text);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

Glib::ustring escape_markup(const Glib::ustring& text) {
    return Glib::Markup::escape_text(text);
}
