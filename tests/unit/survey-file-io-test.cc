// The survey file's writer and reader, against the small edge data set.
#include "refdata/abundance-choices.h"
#include "refdata/region-info.h"
#include "refdata/species-views.h"
#include "survey/survey-data.h"
#include "survey/survey-file.h"
#include "survey/survey-reader.h"
#include "survey/survey-writer.h"
#include "temp-dir.h"

#include <gtest/gtest.h>

namespace {

struct Edge {
    RegionInfo regions{EDGE_DATA};
    AbundanceChoices choices{EDGE_DATA};
    SpeciesViews views{EDGE_DATA};
};
const Edge& edge() {
    static const Edge* data = [] {
        CaptureStdout quiet;
        return new Edge;
    }();
    return *data;
}

// The record the window keeps for a location, type and view.
SurveyData record(const char* subregion, int subtype, int view = -1) {
    const Edge& e = edge();
    SurveyData s;
    s.subregion = subregion;
    s.region_fish_info = &e.regions.fish_info.at(subregion == std::string("CEE") ? "BBB" : "AAA");
    s.survey_subtype = e.regions.find_subtype(subtype);
    s.subtype_abundance_choices = &e.choices.subtype_choices.at(subtype);
    s.show_fish = s.survey_subtype->has_fish;
    s.show_inverts = s.survey_subtype->has_inverts;
    s.species_views = &e.views;
    s.species_view = view;
    return s;
}

std::string write(const SurveyAnswers& a, const SurveyData& s, std::string* error = nullptr) {
    Glib::ustring text, problem;
    const RetCode rc = write_survey_xml(a, s, &edge().choices, text, problem);
    if (error)
        *error = problem;
    else
        EXPECT_EQ(rc, RC_OK) << problem;
    return rc == RC_OK ? text.raw() : "";
}

// The file's answers; the reason when it can't be read.
std::string read(const std::string& survey, SurveyAnswersRead& out,
                 const RegionInfo& regions = edge().regions) {
    SurveyDocument document;
    if (!document.load_text("<TAVRO-Survey version='1.0'>" + survey + "</TAVRO-Survey>"))
        return "document: " + document.error;
    Glib::ustring problem;
    const RetCode rc = read_survey_answers(*document.survey, regions, out, problem);
    EXPECT_EQ(rc == RC_OK, problem.empty());
    return problem;
}

TEST(SurveyFileIO, EveryAnswerReadsBackAsWritten) {
    SurveyAnswers a;
    a.member_id = " 4711 ";
    a.last_name = "O'Brien & <Sons> \x01\x1f\xef\xbf\xbe\xc3\x98";
    a.subregion = "ZED";
    a.survey_subtype = 1, a.year = 1999, a.month = 7, a.mday = 4, a.dive_start = 930;
    a.zonecode = "10010004", a.surface_temp = "25", a.bottom_temp = "-1.5";
    a.temp_units = "C", a.bottom_time = "45", a.bottom_time_confirmed = true;
    a.visibility = 2, a.avg_depth = 3, a.max_depth = 4, a.current = 1, a.habitat = 2;
    a.species_view = 4;
    a.abundances = {{3, 2}, {10, 40}, {8, 0}};
    const std::string text = write(a, record("ZED", 1, 4));
    EXPECT_NE(text.find("<last_name>O'Brien &amp; &lt;Sons&gt; \xc3\x98</last_name>"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("id=\"0008\""), std::string::npos); // not seen: not written
    EXPECT_NE(text.find("id=\"0010\" abun=\"4\" resp=\"104\""), std::string::npos); // capped

    SurveyAnswersRead back;
    const size_t from = text.find("<survey>"), to = text.find("</survey>") + 9;
    ASSERT_EQ(read(text.substr(from, to - from), back), "");
    a.member_id = "4711", a.last_name = "O'Brien & <Sons> \xc3\x98";
    a.abundances = {{3, 2}, {10, 4}};
    EXPECT_EQ(back.answers, a);
    EXPECT_TRUE(back.has("ids") && back.has("member_id") && !back.has("depth"));
}

TEST(SurveyFileIO, SpeciesTakeTheirTypesList) {
    SurveyAnswers a;
    a.abundances = {{3, 3}, {7, 1}};
    // Presence only: the first entry, whatever was counted; the lobster has
    // no place in a fish-only type.
    const std::string presence = write(a, record("ZED", 5));
    EXPECT_NE(presence.find("id=\"0003\" abun=\"1\" resp=\"201\"/>\n    </ids>"), std::string::npos)
        << presence;
    std::string error;
    EXPECT_EQ(write(a, record("ZED", 1), &error), "");
    EXPECT_EQ(error, "Internal error: abun 3 -> resp -1?!"); // a gap in the list
    // Invertebrates of type 2 take list 99 whatever the survey type.
    a.abundances = {{4, 40}};
    EXPECT_NE(write(a, record("CEE", 2, 2)).find("id=\"0004\" abun=\"2\" resp=\"902\""),
              std::string::npos);
    SurveyData unlisted = record("ZED", 1); // a type the lists do not know
    unlisted.subtype_abundance_choices = nullptr;
    a.abundances = {{3, 1}};
    write(a, unlisted, &error);
    EXPECT_EQ(error, "Internal error: abun 1 -> no list?!");
}

TEST(SurveyFileIO, BrokenSurveysAreRefusedWithTheirReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"<subregion>XYZ</subregion><colour/>", "TAVRO Survey has unknown tag 'colour'"},
        {"<subregion></subregion>", "Can't load survey - empty subregion!"},
        {"<ids/><zonecode>1</zonecode>", "Can't load survey - empty subregion!"},
        {"<depth>3</depth>", "Can't load survey - empty subregion!"},
        {"<survey_subtype>-1</survey_subtype>", "Can't load survey - empty subregion!"},
        {"<subregion>XYZ</subregion>",
         "Can't load survey - location XYZ is not in the current data files!"},
        {"<subregion>ZED</subregion><survey_subtype>4</survey_subtype>",
         "Can't load survey - survey type 4 is not in the current data files!"},
        {"<subregion>ZED</subregion><ids><fish/></ids>",
         "TAVRO Survey has a problem - unknown tag \"fish\" in ids section"},
        {"<subregion>ZED</subregion><ids><species id='12' abun='x'/></ids>",
         "TAVRO Survey has invalid id (12) or abundance (0) for species"},
        {"<subregion>ZED</subregion><ids><species id='0' abun='1'/></ids>",
         "TAVRO Survey has invalid id (0) or abundance (1) for species"},
        {"<subregion>ZED</subregion><ids><species id='3' abun='-1'/></ids>",
         "TAVRO Survey has invalid id (3) or abundance (-1) for species"},
    };
    for (const auto& [survey, expected] : cases) {
        SurveyAnswersRead out;
        EXPECT_EQ(read(std::string("<survey>") + survey + "</survey>", out), expected) << survey;
    }
}

// Files that are no survey this program opens, for their version, their
// shape or what their entities would pull in.
TEST(SurveyFileIO, DocumentsRefusedBeforeTheirAnswersAreRead) {
    const std::pair<const char*, const char*> cases[] = {
        {"<TAVRO-Survey version='0.1'><survey/></TAVRO-Survey>", "too old - contact "},
        {"<TAVRO-Survey version='2.0'><survey/></TAVRO-Survey>", "need a newer version of"},
        {"<TAVRO-Survey version='1'><survey/></TAVRO-Survey>", "(bad version)"},
        {"<TAVRO-Survey version='1.0'><survey/><!-- note --></TAVRO-Survey>",
         "too many top level children (survey, comment)"},
        {"<TAVRO-Survey version='1.0'> </TAVRO-Survey>", "missing top level children"},
    };
    SurveyDocument document;
    for (const auto& [text, expected] : cases) {
        EXPECT_FALSE(document.load_text(text)) << text;
        EXPECT_NE(document.error.find(expected), std::string::npos) << document.error;
    }
    EXPECT_FALSE(document.load("/dev/zero"));
    EXPECT_EQ(document.error, "Not a survey file");
    const std::string surveys = std::string(TAVRO_FIXTURES) + "/surveys/";
    EXPECT_FALSE(document.load(surveys + "billion-laughs.TAVRO-Survey"));
    // What entities point at outside the file never gets in.
    for (const char* hostile : {"entity-file", "entity-network"}) {
        const bool loaded = document.load(surveys + hostile + ".TAVRO-Survey");
        EXPECT_TRUE(!loaded || get_content(document.survey->get_first_child("member_id")).empty())
            << hostile;
    }
}

TEST(SurveyFileIO, ElementsAnywhereTextInAnyShape) {
    SurveyAnswersRead out;
    ASSERT_EQ(read("<survey><!-- c --><ids><species id='3' abun='2'/><!-- c -->"
                   "<species id='10' abun='0'/></ids><depth>5</depth><month>2</month>"
                   "<survey_subtype>5</survey_subtype><last_name><![CDATA[A & <B>]]></last_name>"
                   "<zonecode>1001<!-- split -->0004</zonecode><year>99</year><month>3</month>"
                   "<temp_units>c</temp_units><subregion>ZED</subregion></survey>",
                   out),
              "");
    const SurveyAnswers& a = out.answers;
    EXPECT_EQ(a.abundances, (std::map<int, int>{{3, 2}, {10, 0}}));
    EXPECT_EQ(a.survey_subtype, 5);
    EXPECT_EQ(a.last_name, "A & <B>");
    EXPECT_EQ(a.zonecode, "10010004");
    EXPECT_EQ(a.month, 3);        // the later one
    EXPECT_EQ(a.year, 0);         // no four-digit year
    EXPECT_EQ(a.temp_units, "F"); // only "C" is Celsius
    EXPECT_EQ(a.avg_depth, 5);    // the old depth away from the Pacific
    EXPECT_EQ(a.max_depth, -1);
    EXPECT_FALSE(out.has("member_id")); // the page keeps its own
}

TEST(SurveyFileIO, OldDepthIsTheMaximumOnThePacificCoast) {
    CaptureStdout quiet;
    const RegionInfo shipped(std::string(TAVRO_SOURCE_DIR) + "/data-files/");
    for (const char* subregion : {"PNW", "CAL", "FLK"}) {
        SurveyAnswersRead out;
        ASSERT_EQ(read(std::string("<survey><subregion>") + subregion +
                           "</subregion><depth>3</depth><avg_depth>2</avg_depth></survey>",
                       out, shipped),
                  "");
        EXPECT_EQ(out.answers.max_depth, subregion[0] == 'F' ? -1 : 3) << subregion;
        EXPECT_EQ(out.answers.avg_depth, 2) << subregion; // the newer element wins
    }
}

} // namespace
