#include "refdata/from-csv.h"

#include "core/misc.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <glib.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const Glib::ustring EMPTY;

// Most lines are plain ASCII, which needs no further UTF-8 check; testing eight
// bytes at a time keeps that cheap.
bool is_ascii(const char* s, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        memcpy(&word, s + i, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) & 0x80) return false;
    return true;
}

// Whether text is valid UTF-8 without NUL bytes, eight ASCII bytes at a time;
// g_utf8_validate goes byte by byte and would cost more than the rest of the
// reading. It may only err towards "invalid": such text is checked again line
// by line with g_utf8_validate, which has the last word.
bool valid_utf8(const char* text, size_t n) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    const uint64_t high = 0x8080808080808080ull, ones = 0x0101010101010101ull;
    auto cont = [&](size_t at, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return at < n && s[at] >= lo && s[at] <= hi;
    };
    size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            uint64_t word;
            memcpy(&word, s + i, 8);
            if (!(word & high)) {
                if ((word - ones) & ~word & high) return false; // a NUL byte
                i += 8;
                continue;
            }
        }
        unsigned c = s[i];
        size_t len;
        if (c < 0x80) {
            if (c == 0) return false;
            len = 1;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = cont(i + 1) ? 2 : 0;
        } else if (c >= 0xE0 && c <= 0xEF) {
            unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
            len = cont(i + 1, lo, hi) && cont(i + 2) ? 3 : 0;
        } else if (c >= 0xF0 && c <= 0xF4) {
            unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
            len = cont(i + 1, lo, hi) && cont(i + 2) && cont(i + 3) ? 4 : 0;
        } else {
            len = 0;
        }
        if (len == 0) return false;
        i += len;
    }
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

// Position of the first c in s[p, end), or end. Fields are short, so looking
// at eight bytes at a time beats the set-up cost of a memchr call per field.
inline size_t find_byte(const char* s, size_t p, size_t end, char c) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const uint64_t ones = 0x0101010101010101ull, high = 0x8080808080808080ull;
    const uint64_t pattern = ones * static_cast<unsigned char>(c);
    for (; p + 8 <= end; p += 8) {
        uint64_t word;
        memcpy(&word, s + p, 8);
        word ^= pattern; // a zero byte where c is
        // The lowest flagged byte is the first zero byte; higher flags may be
        // false, which does not matter.
        uint64_t zero = (word - ones) & ~word & high;
        if (zero) return p + (static_cast<size_t>(__builtin_ctzll(zero)) >> 3);
    }
    while (p < end && s[p] != c)
        ++p;
    return p;
#else
    const void* hit = memchr(s + p, c, end - p);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - s) : end;
#endif
}

// Position of the first character at or after p that ends a run of plain
// text: inside quotes a quote or backslash, else a comma, CR or backslash.
// This is the reader's inner loop.
template <bool QUOTED> size_t skip_plain(const char* s, size_t p, size_t n, const PlainLine& line) {
    if (line.plain) {
        // Unquoted text also ends at a closing CR; inside quotes a CR is text.
        size_t end = QUOTED ? n : line.body;
        if (p >= end) return p; // at the closing CR or the end
        return find_byte(s, p, end, QUOTED ? '"' : ',');
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

namespace {
// Reads a whole data file. Only regular files and pipes qualify: a folder or
// a device named like a data file cannot be read as one. The size a regular
// file reports is only a first guess (a /proc file reports none), so the read
// goes on to the end of the stream.
// A file's bytes. Not a std::string: that would clear the memory before the
// read fills it, a pass over the whole file for nothing.
struct FileText {
    std::unique_ptr<char[]> bytes;
    size_t length = 0;
    const char* data() const { return bytes.get(); }
    size_t size() const { return length; }
    bool contains(char c) const { return length && memchr(bytes.get(), c, length); }
};

bool load_whole_file(const std::string& path, FileText& text) {
    // Regular files only, opened without blocking: a pipe or a device among
    // the files of a downloaded data set must not hold the program.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    size_t capacity =
        S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 64 * 1024;
    if (ok) text.bytes.reset(new char[capacity]);
    while (ok) {
        if (text.length == capacity) {
            std::unique_ptr<char[]> more(new char[capacity *= 2]);
            memcpy(more.get(), text.bytes.get(), text.length);
            text.bytes = std::move(more);
        }
        ssize_t got = read(fd, text.bytes.get() + text.length, capacity - text.length);
        if (got > 0)
            text.length += static_cast<size_t>(got);
        else if (got == 0)
            break;
        else if (errno != EINTR)
            ok = false;
    }
    close(fd);
    return ok;
}
} // namespace

RetCode FromCSV::read_file(std::string path) {
    // Data files are small enough to read whole, and finding line ends with
    // memchr is several times faster than extracting lines from a stream.
    FileText text;
    if (!load_whole_file(path, text)) {
        printf("Failed to open %s!\n", path.c_str());
        return RC_ERROR;
    }
    filename = path;
    // Lines are split where they lie in the buffer. Whole-file checks spare
    // the per-line ones in the usual case: valid UTF-8 throughout, and no
    // backslash or carriage return anywhere.
    const bool all_valid = valid_utf8(text.data(), text.size());
    const bool all_plain = !text.contains('\\') && !text.contains('\r');
    bool need_headings = headings.empty();
    std::string repaired;
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
        current_line = line_no;
        if (!all_valid && !is_ascii(start, len) &&
            !g_utf8_validate(start, static_cast<gssize>(len), nullptr)) {
            printf("Warning: %s line %d is not valid UTF-8; bad bytes replaced\n", filename.c_str(),
                   line_no);
            gchar* fixed = g_utf8_make_valid(start, static_cast<gssize>(len));
            repaired = fixed;
            g_free(fixed);
            split_line(repaired.data(), repaired.size(), line_no, fields);
        } else if (all_plain) {
            split_line(start, len, line_no, fields, true);
        } else {
            split_line(start, len, line_no, fields);
        }
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
    split_line(line.data(), line.size(), line_no, fields);
}

void FromCSV::split_line(const char* const s, const size_t n, int line_no,
                         std::vector<Glib::ustring>& fields, bool plain_known) const {
    size_t p = 0;
    size_t count = 0; // fields of this line so far
    const PlainLine plain = plain_known ? PlainLine{true, n} : plain_line(s, n);
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
