// Fuzz target: the CSV line splitter on arbitrary bytes, cut at the first line
// feed into two lines split into one reused field vector, as the reader does.
// A reused vector, a fresh one and the reader's shortcut for plain lines must
// agree; a line without quotes, backslashes and CRs splits at its commas.
#include "refdata/from-csv.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Splitter : public FromCSV {
public:
    Splitter() { filename = "fuzz.csv"; }
    RetCode process_line(const std::vector<Glib::ustring>&) override { return RC_OK; }
};

[[noreturn]] void fail(const char* what, const std::string& line) {
    fprintf(stderr, "split_line: %s for a line of %zu bytes\n", what, line.size());
    abort();
}

void check_plain(const std::string& line, const std::vector<Glib::ustring>& fields) {
    if (line.empty() || line.find_first_of("\"\\\r") != std::string::npos) return;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = line.find(',', start);
        parts.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (parts.size() != fields.size()) fail("wrong field count", line);
    for (size_t i = 0; i < parts.size(); ++i)
        if (parts[i] != fields[i].raw()) fail("wrong field text", line);
}

// Byte for byte: ustring's own comparison collates.
bool same_fields(const std::vector<Glib::ustring>& a, const std::vector<Glib::ustring>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].raw() != b[i].raw()) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t cut = input.find('\n');
    std::string first = input.substr(0, cut);
    std::string second = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    Splitter splitter;
    std::vector<Glib::ustring> reused, fresh;
    splitter.split_line(first, 1, reused);
    check_plain(first, reused);
    splitter.split_line(second, 2, reused);
    splitter.split_line(second, 2, fresh);
    if (!same_fields(reused, fresh)) fail("reused field vector differs", second);
    check_plain(second, fresh);
    // The reader's shortcut for files without backslashes and carriage returns.
    if (second.find_first_of("\\\r") == std::string::npos) {
        std::vector<Glib::ustring> known;
        splitter.split_line(second.data(), second.size(), 2, known, true);
        if (!same_fields(known, fresh)) fail("plain shortcut differs", second);
    }
    return 0;
}
