#include "refdata/from-csv.h"
#include "temp-dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using V = std::vector<std::string>;

// Records what the base class hands to a reader.
class Recorder : public FromCSV {
public:
    const char* const* expected;
    std::vector<V> lines;
    std::vector<int> line_numbers;
    int end_calls = 0;

    explicit Recorder(const char* const* exp = nullptr) : expected(exp) {}
    RetCode process_headings(const std::vector<Glib::ustring>& h) override {
        if (expected) return verify_headings(h, expected);
        for (unsigned i = 0; i < h.size(); ++i)
            columns[h[i]] = i;
        return FromCSV::process_headings(h);
    }
    RetCode process_line(const std::vector<Glib::ustring>& fields) override {
        if (fields.empty()) return ++end_calls, RC_OK;
        lines.emplace_back(fields.begin(), fields.end());
        line_numbers.push_back(current_line);
        return RC_OK;
    }
    RetCode read(const std::string& path, std::string* printed = nullptr) {
        CaptureStdout out;
        RetCode rc = read_file(path);
        if (printed) *printed = out.text();
        return rc;
    }
};

V split(const std::string& line) {
    std::vector<Glib::ustring> fields;
    Recorder().split_line(line, 1, fields);
    return V(fields.begin(), fields.end());
}

TEST(CsvSplit, CommasQuotesBackslashesAndCarriageReturns) {
    EXPECT_EQ(split("a,,b"), (V{"a", "", "b"}));
    EXPECT_EQ(split("a,"), (V{"a", ""}));
    EXPECT_EQ(split("a,\r"), (V{"a"})); // comma before CR adds no empty field
    EXPECT_EQ(split("ab\rcd"), (V{"ab", "cd"}));
    EXPECT_EQ(split("\"x\"\"y\",\"a,b\""), (V{"x\"y", "a,b"}));
    EXPECT_EQ(split("\"a\\\"b\",a\\,b"), (V{"a\"b", "a,b"}));
    EXPECT_EQ(split("ab\\"), (V{"ab\\"})); // trailing backslash stays
    EXPECT_EQ(split("\"unterminated, still"), (V{"unterminated, still"}));
    EXPECT_EQ(split("x\"y\",z"), (V{"x\"y\"", "z"}));
    EXPECT_EQ(split(""), (V{}));

    Recorder r;
    r.filename = "f.csv";
    std::vector<Glib::ustring> fields;
    CaptureStdout out;
    r.split_line("1,\"x\"y,2", 7, fields);
    EXPECT_EQ(out.text(), "f.csv line 7 column 2 has botched quoting: \"x\"y\n");
    EXPECT_EQ(V(fields.begin(), fields.end()), (V{"1", "\"x\"y", "2"}));
}

TEST(CsvRead, LinesBlankLinesAndLineEnds) {
    TempDir d;
    Recorder r;
    ASSERT_EQ(r.read(d.write("a.csv", "\nh1,h2\n1,2\n\n\n3,4\n")), RC_OK);
    EXPECT_EQ(r.headings, (std::vector<Glib::ustring>{"h1", "h2"}));
    EXPECT_EQ(r.line_numbers, (std::vector<int>{3, 6}));
    EXPECT_EQ(r.end_calls, 1);

    // CR LF ends, blank CR LF lines and a last line without end; a backslash
    // in one line must not change how the others are split.
    Recorder crlf;
    ASSERT_EQ(crlf.read(d.write("b.csv", "h1,h2\r\n\r\n1,\"2\"\r\na\\,b,4")), RC_OK);
    EXPECT_EQ(crlf.lines, (std::vector<V>{{"1", "2"}, {"a,b", "4"}}));
    EXPECT_EQ(crlf.line_numbers, (std::vector<int>{3, 4}));

    Recorder short_line;
    testing::internal::CaptureStderr();
    EXPECT_EQ(short_line.read(d.write("c.csv", "a,b,c\n1,2,3\n\n4,5\n6,7,8\n")), RC_ERROR);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("c.csv line 4 has 2 columns rather than 3"), std::string::npos) << err;
    EXPECT_EQ(short_line.lines.size(), 1u);
    EXPECT_EQ(short_line.end_calls, 0);
}

TEST(CsvRead, MissingExtraAndRepeatedHeadings) {
    static const char* const expected[] = {"a", "b", nullptr};
    TempDir d;
    std::string printed;
    for (const char* contents : {"", "\n\n\n", "b,extra\nx,y\n"}) {
        Recorder r(expected);
        EXPECT_EQ(r.read(d.write("h.csv", contents), &printed), RC_MISSING_HEADING);
        EXPECT_NE(printed.find("missing heading \"a\"\n"), std::string::npos) << contents;
        EXPECT_FALSE(r.is_valid());
    }
    Recorder extra(expected);
    EXPECT_EQ(extra.read(d.write("x.csv", "a,unused,b\n1,2,3\n")), RC_OK);
    // "a" twice leaves one column fewer than fields; a line that matches that
    // count must not index beyond its fields.
    Recorder twice(expected);
    EXPECT_EQ(twice.read(d.write("z.csv", "a,b,a\n1,2\n")), RC_OK);
    std::vector<Glib::ustring> fields{"1", "2"};
    EXPECT_EQ(FromCSV::field(fields, twice.column("a")), "");
    EXPECT_EQ(FromCSV::field(fields, twice.column("nope")), "");
}

TEST(CsvRead, BadBytesAreReportedPerLine) {
    TempDir d;
    // Each of these is invalid UTF-8 and must warn, whatever the lines around
    // it hold: overlong, surrogate, beyond U+10FFFF, cut short.
    for (const char* bad :
         {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "ab\xff\xfe"}) {
        Recorder r;
        std::string printed, path = d.write("u.csv", "h\nSe\xC3\xB1orita\n" + std::string(bad) +
                                                         "\n\xF0\x9F\x90\x9F\n");
        ASSERT_EQ(r.read(path, &printed), RC_OK);
        EXPECT_EQ(printed, "Warning: " + path + " line 3 is not valid UTF-8; bad bytes replaced\n");
        ASSERT_EQ(r.lines.size(), 3u);
        EXPECT_EQ(r.lines[0][0], "Se\xC3\xB1orita");
        EXPECT_TRUE(Glib::ustring(r.lines[1][0]).validate());
    }
}

TEST(CsvRead, DevicesPipesAndFilesOfUnknownSize) {
    TempDir d;
    std::string printed;
    Recorder missing;
    EXPECT_EQ(missing.read("/nonexistent/x.csv", &printed), RC_ERROR);
    EXPECT_EQ(printed, "Failed to open /nonexistent/x.csv!\n");

    Recorder dev; // a folder is tried by the data-set tests
    EXPECT_EQ(dev.read("/dev/zero", &printed), RC_ERROR);
    EXPECT_EQ(printed, "Failed to open /dev/zero!\n");

    // A pipe that nobody writes to is refused at once, not waited on.
    std::string fifo = d.path() + "/pipe.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Recorder pipe;
    EXPECT_EQ(pipe.read(fifo, &printed), RC_ERROR);

    Recorder proc; // reports a size of 0
    EXPECT_EQ(proc.read("/proc/version"), RC_OK);
    ASSERT_FALSE(proc.headings.empty());
    EXPECT_EQ(proc.headings[0].raw().rfind("Linux", 0), 0u);
}

} // namespace
