#include "refdata/from-csv.h"

#include "core/misc.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <glib.h>

namespace {
const Glib::ustring EMPTY;

// Most lines are plain ASCII, which needs no further UTF-8 check; testing eight
// bytes at a time keeps that cheap.
bool is_ascii(const std::string& line) {
    const char* s = line.data();
    size_t n = line.size(), i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        memcpy(&word, s + i, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) & 0x80) return false;
    return true;
}

// Where a line's runs of plain text may be found with memchr: lines without
// backslashes and without carriage returns, apart from a CR LF line end (nearly
// all lines), need to look for one character only.
struct PlainLine {
    bool plain;  // memchr will do
    size_t body; // end of the line before a closing CR
};

PlainLine plain_line(const char* s, size_t n) {
    size_t body = n > 0 && s[n - 1] == '\r' ? n - 1 : n;
    return {!memchr(s, '\\', n) && !memchr(s, '\r', body), body};
}

// Position of the first character at or after p that ends a run of plain
// text: inside quotes a quote or backslash, else a comma, CR or backslash.
// This is the reader's inner loop.
template <bool QUOTED> size_t skip_plain(const char* s, size_t p, size_t n, const PlainLine& line) {
    if (line.plain) {
        // Unquoted text also ends at a closing CR; inside quotes a CR is text.
        size_t end = QUOTED ? n : line.body;
        if (p >= end) return p; // at the closing CR or the end
        const void* hit = memchr(s + p, QUOTED ? '"' : ',', end - p);
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - s) : end;
    }
    for (; p < n; ++p) {
        char c = s[p];
        if (c == '\\' || (QUOTED ? c == '"' : c == ',' || c == '\r')) break;
    }
    return p;
}

// The text of the next field, emptied. The fields of the previous line are
// reused with the storage they already have, so that most lines of a file
// allocate nothing: reading the large catalogues is dominated by this loop.
inline std::string& next_field(std::vector<Glib::ustring>& fields, size_t& count) {
    if (count == fields.size()) fields.emplace_back();
    // The vector and its texts are the caller's own, not const objects.
    std::string& text = const_cast<std::string&>(fields[count++].raw());
    text.clear();
    return text;
}
} // namespace

int field_int(const Glib::ustring& text) {
    return parse_int_clamped(text.raw());
}
long long field_id(const Glib::ustring& text) {
    return parse_int(text.raw());
}

bool usable_table_id(long long id, const char* what, const Glib::ustring& filename, int line_no) {
    if (id >= 0 && id <= MAX_TABLE_ID) return true;
    printf("Warning: %s line %d: %s %lld is out of range; line skipped\n", filename.c_str(),
           line_no, what, id);
    return false;
}

RetCode FromCSV::read_file(std::string path) {
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in.is_open()) {
        printf("Failed to open %s!\n", path.c_str());
        return RC_ERROR;
    }
    filename = path;
    // Data files are small enough to read whole, and finding line ends with
    // memchr is several times faster than extracting lines from the stream.
    std::string text;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0) {
        text.resize(static_cast<size_t>(size));
        in.read(&text[0], size);
        text.resize(static_cast<size_t>(in.gcount()));
    }
    bool need_headings = headings.empty();
    std::string line;
    std::vector<Glib::ustring> fields;
    int line_no = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        ++line_no;
        const char* start = text.data() + pos;
        const char* nl = static_cast<const char*>(memchr(start, '\n', text.size() - pos));
        size_t len = nl ? static_cast<size_t>(nl - start) : text.size() - pos;
        pos += len + 1;
        // Blank lines are skipped but counted; in a file with CR LF line ends a
        // blank line is a lone CR, which must not count as a line of no fields.
        if (len == 0 || (len == 1 && *start == '\r')) continue;
        line.assign(start, len);
        current_line = line_no;
        if (!is_ascii(line) &&
            !g_utf8_validate(line.data(), static_cast<gssize>(line.size()), nullptr)) {
            printf("Warning: %s line %d is not valid UTF-8; bad bytes replaced\n", filename.c_str(),
                   line_no);
            gchar* fixed = g_utf8_make_valid(line.data(), static_cast<gssize>(line.size()));
            line = fixed;
            g_free(fixed);
        }
        split_line(line, line_no, fields);
        RetCode rc;
        if (need_headings) {
            need_headings = false;
            rc = process_headings(fields);
        } else {
            rc = check_columns(line_no, fields);
            if (rc == RC_OK) rc = process_line(fields);
        }
        if (rc != RC_OK) return rc;
    }
    // A file without any heading line (empty, or cut off) lacks every heading.
    if (need_headings) {
        RetCode rc = process_headings(std::vector<Glib::ustring>());
        if (rc != RC_OK) return rc;
    }
    current_line = line_no;
    return process_line(std::vector<Glib::ustring>());
}

RetCode FromCSV::process_headings(const std::vector<Glib::ustring>& h) {
    headings = h;
    return RC_OK;
}

RetCode FromCSV::check_columns(int line_no, const std::vector<Glib::ustring>& fields) {
    if (fields.size() == columns.size()) return RC_OK;
    return error(RC_ERROR, "Data file error: %s line %d has %d columns rather than %d",
                 escape_markup(filename).c_str(), line_no, static_cast<int>(fields.size()),
                 static_cast<int>(columns.size()));
}

RetCode FromCSV::verify_headings(const std::vector<Glib::ustring>& h, const char* const* expected) {
    for (unsigned int i = 0; i < h.size(); ++i)
        columns[h[i]] = i;
    RetCode rc = RC_OK;
    for (const char* const* name = expected; *name; ++name) {
        if (columns.find(*name) == columns.end()) {
            printf("missing heading \"%s\"\n", *name);
            rc = RC_MISSING_HEADING;
        }
    }
    return rc;
}

RetCode FromCSV::locate_headings(const std::vector<Glib::ustring>& h, const char* const* expected,
                                 std::initializer_list<int*> places) {
    RetCode rc = verify_headings(h, expected);
    const char* const* name = expected;
    for (int* place : places) {
        TAVRO_ASSERT(*name != nullptr);
        *place = column(*name++);
    }
    return rc;
}

int FromCSV::column(const char* name) const {
    auto it = columns.find(name);
    return it == columns.end() ? -1 : static_cast<int>(it->second);
}

const Glib::ustring& FromCSV::field(const std::vector<Glib::ustring>& fields, int column) {
    // A heading repeated in the file leaves an index beyond the column count.
    if (column < 0 || static_cast<size_t>(column) >= fields.size()) return EMPTY;
    return fields[column];
}

void FromCSV::split_line(const std::string& line, int line_no,
                         std::vector<Glib::ustring>& fields) const {
    const char* const s = line.data();
    const size_t n = line.size();
    size_t p = 0;
    size_t count = 0; // fields of this line so far
    const PlainLine plain = plain_line(s, n);
    while (p < n) {
        char c = s[p];
        if (c == '\r') {
            ++p;
            continue;
        }
        std::string& value = next_field(fields, count);
        if (c == '"') {
            ++p;
            bool closed = false;
            while (p < n) {
                size_t run = p;
                p = skip_plain<true>(s, p, n, plain);
                value.append(s + run, p - run);
                if (p == n) break;
                if (s[p] == '"') {
                    if (p + 1 < n && s[p + 1] == '"') {
                        value += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    closed = true;
                    break;
                }
                // A backslash takes the next character as it is; as the last
                // character of the line it stays itself.
                if (p + 1 < n) {
                    value += s[p + 1];
                    p += 2;
                } else {
                    value += '\\';
                    ++p;
                }
            }
            if (closed && p < n && s[p] != ',' && s[p] != '\r') {
                value.insert(value.begin(), '"');
                value += '"';
                while (p < n && s[p] != ',' && s[p] != '\r')
                    value += s[p++];
                printf("%s line %d column %d has botched quoting: %s\n", filename.c_str(), line_no,
                       static_cast<int>(count), value.c_str());
            }
        } else if (c != ',') {
            size_t run = p;
            p = skip_plain<false>(s, p, n, plain);
            value.append(s + run, p - run);
            while (p < n && s[p] == '\\') {
                // Backslash escape, as in quoted text.
                value += p + 1 < n ? s[p + 1] : '\\';
                p = std::min(p + 2, n);
                run = p;
                p = skip_plain<false>(s, p, n, plain);
                value.append(s + run, p - run);
            }
        }
        if (p < n && s[p] == ',') {
            ++p;
            if (p == n) next_field(fields, count);
        }
    }
    fields.resize(count);
}
