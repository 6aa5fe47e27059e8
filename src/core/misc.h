// Small text helpers and text constants shared by the pages and the file writer.
#pragma once

#include <glibmm/ustring.h>
#include <string>

extern const Glib::ustring MAGIC_SNORKEL_DEPTH; // "Snorkel": depth choice of a snorkel survey
extern const Glib::ustring NO_LONGER_AVAILABLE; // appended to retired survey types

// Strips leading and trailing U+0020 only; tabs and line ends stay.
template <typename S> S trim_ws(const S& s) {
    auto first = s.find_first_not_of(' ');
    if (first == S::npos) return S();
    auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

// True when the first n characters of s equal the whole prefix (n < 0: prefix length).
template <typename S> bool has_prefix(const S& s, const S& prefix, int n = -1) {
    typename S::size_type len = n < 0 ? prefix.size() : static_cast<typename S::size_type>(n);
    return s.compare(0, len, prefix) == 0;
}

// The whole file as text; empty when it can't be read.
Glib::ustring read_file_contents(const std::string& path);
// The same, telling an unreadable file from an empty one.
bool read_file_contents(const std::string& path, Glib::ustring& text);

// Decimal integer the way the data files use it: leading blanks and a sign allowed,
// trailing text ignored, no number at all gives 0, values beyond int are clamped.
long long parse_int(const std::string& text);
int parse_int_clamped(const std::string& text);

// Text as the searches compare it: decomposed, accents and other non-spacing
// marks removed, lower case. "Bahía" and "BAHIA" both give "bahia"; a letter
// that does not decompose, such as "Ø", only loses its case. Invalid UTF-8
// gives an empty text.
Glib::ustring fold_for_search(const Glib::ustring& text);

// Text made safe for Pango markup.
Glib::ustring escape_markup(const Glib::ustring& text);
