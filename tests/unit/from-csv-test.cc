#include "refdata/from-csv.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

// Records what the base class hands to a reader.
class Recorder : public FromCSV {
public:
    const char* const* expected;
    std::vector<std::vector<std::string>> lines;
    std::vector<int> line_numbers;
    int end_calls = 0;

    explicit Recorder(const char* const* exp = nullptr) : expected(exp) {}
    RetCode process_headings(const std::vector<Glib::ustring>& h) override {
        if (!expected) {
            for (unsigned i = 0; i < h.size(); ++i)
                columns[h[i]] = i;
            return FromCSV::process_headings(h);
        }
        return verify_headings(h, expected);
    }
    RetCode process_line(const std::vector<Glib::ustring>& fields) override {
        if (fields.empty()) {
            ++end_calls;
            return RC_OK;
        }
        std::vector<std::string> l;
        for (auto& f : fields)
            l.push_back(f.raw());
        lines.push_back(l);
        line_numbers.push_back(current_line);
        return RC_OK;
    }
};

std::vector<std::string> split(const std::string& line) {
    Recorder r;
    std::vector<Glib::ustring> fields;
    r.split_line(line, 1, fields);
    std::vector<std::string> out;
    for (auto& f : fields)
        out.push_back(f.raw());
    return out;
}

using V = std::vector<std::string>;

TEST(CsvSplit, CommasQuotesAndCarriageReturns) {
    EXPECT_EQ(split("a,,b"), (V{"a", "", "b"}));
    EXPECT_EQ(split("a,"), (V{"a", ""}));
    EXPECT_EQ(split(","), (V{"", ""}));
    EXPECT_EQ(split("a,b\r"), (V{"a", "b"}));
    EXPECT_EQ(split("a,\r"), (V{"a"}));  // comma before CR adds no empty field
    EXPECT_EQ(split("ab\rcd"), (V{"ab", "cd"}));  // CR ends a value, no comma needed
    EXPECT_EQ(split(" a , b "), (V{" a ", " b "}));  // no trimming
    EXPECT_EQ(split("\"x\"\"y\""), (V{"x\"y"}));
    EXPECT_EQ(split("\"a,b\",c"), (V{"a,b", "c"}));
    EXPECT_EQ(split("\"a\\\"b\",c"), (V{"a\"b", "c"}));  // backslash escapes in quotes
    EXPECT_EQ(split("a\\,b,c"), (V{"a,b", "c"}));       // and outside them
    EXPECT_EQ(split("ab\\"), (V{"ab\\"}));               // trailing backslash stays
    EXPECT_EQ(split("\"ab\\"), (V{"ab\\"}));
    EXPECT_EQ(split("\"unterminated, still"), (V{"unterminated, still"}));
    EXPECT_EQ(split("x\"y\",z"), (V{"x\"y\"", "z"}));   // quotes inside unquoted text
    EXPECT_EQ(split("\"q\"\r"), (V{"q"}));
    EXPECT_EQ(split(""), (V{}));
}

TEST(CsvSplit, BotchedQuotingWarnsAndKeepsText) {
    Recorder r;
    r.filename = "f.csv";
    std::vector<Glib::ustring> fields;
    CaptureStdout out;
    r.split_line("1,\"x\"y,2", 7, fields);
    EXPECT_EQ(out.text(), "f.csv line 7 column 2 has botched quoting: \"x\"y\n");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[1], "\"x\"y");
    EXPECT_EQ(fields[2], "2");
}

TEST(CsvRead, BlankLinesCountAndEndCall) {
    TempDir d;
    auto path = d.write("a.csv", "\nh1,h2\n1,2\n\n\n3,4\n");
    Recorder r;
    EXPECT_EQ(r.read_file(path), RC_OK);
    EXPECT_EQ(r.headings, (std::vector<Glib::ustring>{"h1", "h2"}));
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.line_numbers, (std::vector<int>{3, 6}));
    EXPECT_EQ(r.end_calls, 1);

    // CR LF files and a last line without line end give the same fields.
    auto crlf = d.write("b.csv", "h1,h2\r\n1,2\r\n3,4");
    Recorder r2;
    EXPECT_EQ(r2.read_file(crlf), RC_OK);
    EXPECT_EQ(r2.lines, (std::vector<V>{{"1", "2"}, {"3", "4"}}));

    // A blank line of a CR LF file is blank too, not a line without fields.
    auto crlf_blank = d.write("c.csv", "h1,h2\r\n\r\n1,2\r\n\r\n");
    Recorder r3;
    EXPECT_EQ(r3.read_file(crlf_blank), RC_OK);
    EXPECT_EQ(r3.lines, (std::vector<V>{{"1", "2"}}));
    EXPECT_EQ(r3.line_numbers, (std::vector<int>{3}));
}

TEST(CsvRead, ShortLineStopsReaderNamingIt) {
    TempDir d;
    auto path = d.write("a.csv", "a,b,c\n1,2,3\n\n4,5\n6,7,8\n");
    Recorder r;
    testing::internal::CaptureStderr();
    EXPECT_EQ(r.read_file(path), RC_ERROR);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("a.csv line 4 has 2 columns rather than 3"), std::string::npos) << err;
    EXPECT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.end_calls, 0);
}

TEST(CsvRead, MissingHeadingsAllReported) {
    static const char* const expected[] = {"id", "name", "code", nullptr};
    TempDir d;
    auto path = d.write("a.csv", "name,extra\nx,y\n");
    Recorder r(expected);
    CaptureStdout out;
    EXPECT_EQ(r.read_file(path), RC_MISSING_HEADING);
    EXPECT_EQ(out.text(), "missing heading \"id\"\nmissing heading \"code\"\n");
}

TEST(CsvRead, FileWithoutHeadingLineFailsLikeMissingHeadings) {
    static const char* const expected[] = {"id", "name", nullptr};
    TempDir d;
    for (const char* contents : {"", "\n\n\n"}) {
        auto path = d.write("empty.csv", contents);
        Recorder r(expected);
        CaptureStdout out;
        EXPECT_EQ(r.read_file(path), RC_MISSING_HEADING);
        EXPECT_EQ(out.text(), "missing heading \"id\"\nmissing heading \"name\"\n");
        EXPECT_FALSE(r.is_valid());
    }
    // A reader that requires nothing still gets its single end-of-file call.
    Recorder plain;
    EXPECT_EQ(plain.read_file(d.write("e2.csv", "")), RC_OK);
    EXPECT_EQ(plain.end_calls, 1);
}

TEST(CsvRead, ExtraAndRepeatedHeadings) {
    static const char* const expected[] = {"a", "b", nullptr};
    TempDir d;
    Recorder extra(expected);
    EXPECT_EQ(extra.read_file(d.write("x.csv", "a,unused,b\n1,2,3\n")), RC_OK);
    EXPECT_EQ(extra.lines, (std::vector<V>{{"1", "2", "3"}}));
    EXPECT_EQ(extra.column("b"), 2);

    // "a" twice: one column fewer than fields, so every full line fails...
    Recorder twice(expected);
    testing::internal::CaptureStderr();
    EXPECT_EQ(twice.read_file(d.write("y.csv", "a,b,a\n1,2,3\n")), RC_ERROR);
    testing::internal::GetCapturedStderr();
    // ...and a line that matches the count must not index beyond its fields.
    Recorder twice2(expected);
    EXPECT_EQ(twice2.read_file(d.write("z.csv", "a,b,a\n1,2\n")), RC_OK);
    std::vector<Glib::ustring> fields{"1", "2"};
    EXPECT_EQ(twice2.column("a"), 2);
    EXPECT_EQ(FromCSV::field(fields, twice2.column("a")), "");
    EXPECT_EQ(FromCSV::field(fields, twice2.column("nope")), "");
}

TEST(CsvRead, UnreadableAndBadBytes) {
    Recorder r;
    CaptureStdout out;
    EXPECT_EQ(r.read_file("/nonexistent/x.csv"), RC_ERROR);
    EXPECT_EQ(out.text(), "Failed to open /nonexistent/x.csv!\n");

    TempDir d;
    Recorder bad;
    EXPECT_EQ(bad.read_file(d.write("bad.csv", std::string("h\nab\xff\xfe") + "c\n")), RC_OK);
    ASSERT_EQ(bad.lines.size(), 1u);
    EXPECT_TRUE(Glib::ustring(bad.lines[0][0]).validate());
}

TEST(CsvRead, IdRangeCheck) {
    CaptureStdout out;
    EXPECT_TRUE(usable_table_id(0, "species id", "s.csv", 3));
    EXPECT_TRUE(usable_table_id(MAX_TABLE_ID, "species id", "s.csv", 3));
    EXPECT_FALSE(usable_table_id(-1, "species id", "s.csv", 4));
    EXPECT_FALSE(usable_table_id(MAX_TABLE_ID + 1, "species id", "s.csv", 5));
    std::string text = out.text();
    EXPECT_NE(text.find("s.csv line 4"), std::string::npos);
    EXPECT_NE(text.find("s.csv line 5"), std::string::npos);
    EXPECT_EQ(field_id("99999999999999999999"), LLONG_MAX);
    EXPECT_EQ(field_int("12abc"), 12);
    EXPECT_EQ(field_int("abc"), 0);
    EXPECT_EQ(field_int(" -7"), -7);
    EXPECT_EQ(field_int("4000000000"), INT_MAX);
}

} // namespace
