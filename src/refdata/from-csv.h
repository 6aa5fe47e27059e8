// Base of every reader of a reference-data CSV file.
#pragma once

#include "core/errors.h"

#include <glibmm/ustring.h>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// Orders texts by their bytes. Glib::ustring's own operator< collates by the
// user's locale, which is slow and may treat different codes as equal.
struct ByteLess {
    bool operator()(const Glib::ustring& a, const Glib::ustring& b) const {
        return a.raw() < b.raw();
    }
};

class FromCSV {
public:
    // Parallel label/value lists that feed a drop-down box.
    struct Def {
        std::vector<Glib::ustring> labels;
        std::vector<int> values;
    };

    bool valid = false;
    Glib::ustring filename;
    std::vector<Glib::ustring> headings;
    std::map<Glib::ustring, unsigned int, ByteLess> columns;

    FromCSV() = default;
    FromCSV(const FromCSV&) = delete;
    FromCSV& operator=(const FromCSV&) = delete;
    virtual ~FromCSV() = default;

    virtual bool is_valid() const { return valid; }
    virtual RetCode read_file(std::string path);
    // Called once per data line, then once more with an empty vector at the end.
    virtual RetCode process_line(const std::vector<Glib::ustring>& fields) = 0;
    virtual RetCode process_headings(const std::vector<Glib::ustring>& headings);
    virtual RetCode check_columns(int line_no, const std::vector<Glib::ustring>& fields);
    virtual RetCode verify_headings(const std::vector<Glib::ustring>& headings,
                                    const char* const* expected);

    // Splits one line into fields; botched quoting is reported against filename
    // and line_no.
    void split_line(const std::string& line, int line_no, std::vector<Glib::ustring>& fields) const;
    // The same for a line where it lies in a buffer; plain_known says the line
    // holds neither a backslash nor a carriage return.
    void split_line(const char* s, size_t n, int line_no, std::vector<Glib::ustring>& fields,
                    bool plain_known = false) const;

    // verify_headings, then stores the column index of each expected heading, in
    // list order, into the given places (-1 for a missing one).
    RetCode locate_headings(const std::vector<Glib::ustring>& headings, const char* const* expected,
                            std::initializer_list<int*> places);
    // Column index of a heading, or -1 when the file has no such heading.
    int column(const char* name) const;
    // The field in a column; empty when the column is absent or the line too short.
    static const Glib::ustring& field(const std::vector<Glib::ustring>& fields, int column);

protected:
    int current_line = 0; // line being processed, for readers' own warnings
};

// Integer value of a field, with the data files' rules (no number gives 0).
int field_int(const Glib::ustring& text);

// Largest id a reader accepts as a table index; larger ids would grow the
// tables beyond reason (one stray row would cost a hundred megabytes and more).
// Real catalogues number their entries in the thousands.
const long long MAX_TABLE_ID = 100000;

// Checks an id that will index a table: prints a warning naming the file and
// line and returns false when it is negative or too large.
bool usable_table_id(long long id, const char* what, const Glib::ustring& filename, int line_no);
long long field_id(const Glib::ustring& text);
