#include "core/misc.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
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

Glib::ustring fold_for_search(const Glib::ustring& text) {
    if (!text.validate()) return Glib::ustring();
    // Lower case first: some capitals lower into a letter and a mark ("İ").
    gchar* lower = g_utf8_strdown(text.c_str(), static_cast<gssize>(text.bytes()));
    gchar* decomposed = g_utf8_normalize(lower, -1, G_NORMALIZE_NFD);
    g_free(lower);
    std::string folded;
    if (decomposed) {
        folded.reserve(strlen(decomposed));
        for (const gchar* p = decomposed; *p; p = g_utf8_next_char(p)) {
            const gunichar c = g_utf8_get_char(p);
            if (g_unichar_type(c) == G_UNICODE_NON_SPACING_MARK) continue;
            folded.append(p, static_cast<size_t>(g_utf8_next_char(p) - p));
        }
        g_free(decomposed);
    }
    return folded;
}
