#include "refdata/from-csv.h"

#include "core/misc.h"

#include <cstdio>
#include <fstream>
#include <glib.h>

namespace {
const Glib::ustring EMPTY;
}

int field_int(const Glib::ustring& text) { return parse_int_clamped(text.raw()); }
long long field_id(const Glib::ustring& text) { return parse_int(text.raw()); }

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
    bool need_headings = headings.empty();
    std::string line;
    std::vector<Glib::ustring> fields;
    int line_no = 0;
    while (true) {
        ++line_no;
        if (!std::getline(in, line)) break;
        if (line.empty()) continue;  // blank lines are skipped but counted
        current_line = line_no;
        if (!g_utf8_validate(line.data(), static_cast<gssize>(line.size()), nullptr)) {
            printf("Warning: %s line %d is not valid UTF-8; bad bytes replaced\n",
                   filename.c_str(), line_no);
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
        if (!in.good()) break;
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

RetCode FromCSV::verify_headings(const std::vector<Glib::ustring>& h,
                                 const char* const* expected) {
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
    fields.clear();
    const size_t n = line.size();
    size_t p = 0;
    std::string value;
    while (p < n) {
        char c = line[p];
        if (c == '\r') {
            ++p;
            continue;
        }
        if (c == ',') {
            fields.emplace_back();
        } else if (c == '"') {
            value.clear();
            ++p;
            bool closed = false;
            while (p < n) {
                char q = line[p];
                if (q == '"') {
                    if (p + 1 < n && line[p + 1] == '"') {
                        value += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    closed = true;
                    break;
                }
                if (q == '\\' && p + 1 < n) {
                    value += line[p + 1];
                    p += 2;
                    continue;
                }
                value += q;
                ++p;
            }
            if (closed && p < n && line[p] != ',' && line[p] != '\r') {
                std::string botched = "\"" + value + "\"";
                while (p < n && line[p] != ',' && line[p] != '\r')
                    botched += line[p++];
                printf("%s line %d column %d has botched quoting: %s\n", filename.c_str(),
                       line_no, static_cast<int>(fields.size()) + 1, botched.c_str());
                value = botched;
            }
            fields.emplace_back(value);
        } else {
            value.clear();
            while (p < n) {
                char q = line[p];
                if (q == ',' || q == '\r') break;
                if (q == '\\' && p + 1 < n) {
                    value += line[p + 1];
                    p += 2;
                    continue;
                }
                value += q;
                ++p;
            }
            fields.emplace_back(value);
        }
        if (p < n && line[p] == ',') {
            ++p;
            if (p == n) fields.emplace_back();
        }
    }
}
