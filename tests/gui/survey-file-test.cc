// Survey files: written from the pages, read back into a fresh window, and
// refused when damaged or hostile.
#include "survey-window-fixture.h"
#include "ui/confirm-panel.h"

#include <regex>

namespace {

const std::string SURVEYS = std::string(TAVRO_FIXTURES) + "/surveys/";

class SurveyFileTest : public StoreWindowTest {
protected:
    std::string xml(SurveyWindow& w) {
        Glib::ustring problem;
        EXPECT_EQ(w.generate_xml_string(problem, false), RC_OK) << problem;
        return w.survey_data.generated_xml;
    }
    // Opens a file into a fresh window: what was reported, empty when it loaded.
    std::string open(const std::string& path) {
        reported.clear();
        opened.reset(SurveyWindow::create(test_app()));
        testing::internal::CaptureStderr();
        RetCode rc = opened->do_open(path);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(rc == RC_OK, reported.empty()) << reported;
        return reported;
    }
    std::string open_text(const std::string& survey, const char* version = "1.0") {
        return open(dir.write("s.TAVRO-Survey", std::string("<?xml version=\"1.0\"?>\n"
                                                            "<TAVRO-Survey version=\"") +
                                                    version + "\">" + survey + "</TAVRO-Survey>"));
    }
    TempDir dir;
    std::unique_ptr<SurveyWindow> opened;
};

TEST_F(SurveyFileTest, WhatIsWrittenReadsBackTheSame) {
    const std::string fresh = xml(*window);
    for (const char* part : {"<survey_subtype>-1<", "<year>0000<", "<month>00<", "<mday>00<",
                             "<dive_start>-1<", "<temp_units>F<", "confirmed=\"0\"", "<ids/>"})
        EXPECT_NE(fresh.find(part), std::string::npos) << part;

    fill_first_pages("10010004");
    window->member_panel->last_name->set_text("O'Brien & <Sons> \x01Ødegård");
    window->survey_panel2->temp_units->select_label("Celsius");
    window->survey_panel2->surface_temp->set_text("12");
    window->confirm_panel->confirm_bottom_time->set_active(true);
    std::vector<int> listed;
    window->listed_store->foreach_iter([&](const Gtk::TreeIter& row) {
        if ((*row)[window->species_columns.id] > 0)
            listed.push_back((*row)[window->species_columns.id]);
        return listed.size() == 3;
    });
    ASSERT_EQ(listed.size(), 3u);
    window->survey_data.abundances = {{listed[0], 2}, {listed[1], 40}, {listed[2], 0}};
    const std::string written = xml(*window);
    EXPECT_NE(written.find("<last_name>O'Brien &amp; &lt;Sons&gt; Ødegård<"), std::string::npos)
        << written;                                            // the control character is dropped
    EXPECT_EQ(written.find("abun=\"40\""), std::string::npos); // beyond the list: capped

    ASSERT_EQ(open(dir.write("round.TAVRO-Survey", written)), "");
    EXPECT_EQ(xml(*opened), written);
    EXPECT_EQ(opened->survey_data.saved_xml, written);
    EXPECT_EQ(opened->notebook->get_current_page(), opened->confirm_panel->page_number);
    EXPECT_TRUE(opened->confirm_panel->confirm_bottom_time->get_active());
}

// An old file on the Pacific coast opens in the journey; here the rest.
TEST_F(SurveyFileTest, OlderFilesOpen) {
    EXPECT_EQ(open_text("<survey><subregion>PNW</subregion></survey>", "1.7"), "");
    // Outside the Pacific the old depth was the average; a species-only type records presence.
    ASSERT_EQ(open_text("<survey><subregion>FLK</subregion><survey_subtype>2</survey_subtype>"
                        "<depth>3</depth><ids><species id='3' abun='3'/></ids></survey>"),
              "");
    EXPECT_EQ(opened->survey_panel2->avg_depth->get_selected_id(), 3);
    EXPECT_NE(opened->survey_data.generated_xml.find("<species id=\"0003\" abun=\"1\""),
              std::string::npos)
        << opened->survey_data.generated_xml;
    // A species entry without a type to record it under is left out, not a crash.
    EXPECT_EQ(open_text("<survey><subregion>PNW</subregion><ids><species id='12' abun='1'/>"
                        "</ids></survey>"),
              "");
}

// Elements in reverse order, text as CDATA or split by a comment, comments
// between and inside elements: read as the writer's own file, saved the same.
TEST_F(SurveyFileTest, ElementsInAnyOrderAndTextInAnyShape) {
    fill_first_pages("10010004");
    const int species =
        (*window->listed_store->children().begin()->children().begin())[window->species_columns.id];
    window->survey_data.abundances = {{species, 2}};
    const std::string written = xml(*window);
    const std::regex element(R"(<(\w+)[^>]*/>|<(\w+)[^>]*>[\s\S]*?</\2>)");
    const size_t from = written.find("<member_id>"), to = written.find("</survey>");
    std::string shuffled; // every element of the survey in reverse order
    for (std::sregex_iterator e(written.begin() + from, written.begin() + to, element), end;
         e != end; ++e)
        shuffled = e->str() + "<!-- between -->" + shuffled;
    shuffled = written.substr(0, from) + shuffled + written.substr(to);
    for (auto [from, to] :
         {std::make_pair("O'Brien &amp; &lt;Sons&gt;", "<![CDATA[O'Brien & <Sons>]]>"),
          std::make_pair(">10010004<", ">1001<!-- split -->0004<"),
          std::make_pair("<ids>", "<ids><!-- inside -->")})
        shuffled.replace(shuffled.find(from), strlen(from), to);
    ASSERT_EQ(open(dir.write("shuffled.TAVRO-Survey", shuffled)), "") << shuffled;
    EXPECT_EQ(xml(*opened), written);
    ASSERT_EQ(opened->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_EQ(read_text_file(opened->survey_data.filename), written);
    EXPECT_TRUE(exists(dir.path() + "/shuffled.TAVRO-Survey")); // outside the store: kept
}

TEST_F(SurveyFileTest, DamagedAndHostileFilesAreRefused) {
    const std::pair<std::string, const char*> cases[] = {
        {open_text("<survey/>", "0.1"), "too old - contact "},
        {open_text("<survey/>", "2.0"), "need a newer version of this program"},
        {open_text("<survey/>", "1"), "(bad version)"},
        {open_text("<survey/><!-- note -->"), "too many top level children (survey, comment)"},
        {open_text("<survey><subregion></subregion></survey>"), "empty subregion!"},
        {open_text("<survey><ids/></survey>"), "empty subregion!"},
        {open_text("<survey><subregion>XYZ</subregion></survey>"),
         "location XYZ is not in the current data files!"},
        {open_text("<survey><subregion>PNW</subregion><survey_subtype>9999</survey_subtype>"
                   "</survey>"),
         "survey type 9999 is not in the current data files!"},
        {open_text("<survey><subregion>PNW</subregion><ids><species id='12' abun='x'/></ids>"
                   "</survey>"),
         "invalid id (12) or abundance (0)"},
        {open_text("<survey><subregion>PNW</subregion><ids><species id='0' abun='1'/></ids>"
                   "</survey>"),
         "invalid id (0) or abundance (1)"},
        {open_text("<survey><colour/></survey>"), "unknown tag &apos;colour&apos;"},
        {open(dir.write("a&b.TAVRO-Survey", "<x")), "a&amp;b.TAVRO-Survey: "},
        {open("/dev/zero"), "Not a survey file"},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    // What entities point at outside the file never gets in; an entity bomb
    // is refused.
    for (const char* hostile : {"entity-file", "entity-network"}) {
        open(SURVEYS + hostile + ".TAVRO-Survey");
        EXPECT_EQ(opened->member_panel->member_id->get_text(), "") << hostile;
    }
    EXPECT_NE(open(SURVEYS + "billion-laughs.TAVRO-Survey"), "");
}

TEST_F(SurveyFileTest, UnsavedChanges) {
    EXPECT_FALSE(window->file_needs_saving());
    window->member_panel->member_id->set_text("4711"); // member details alone
    EXPECT_FALSE(window->file_needs_saving());
    window->survey_panel1->setup_for_subregion("PNW");
    EXPECT_TRUE(window->file_needs_saving());
    // Typed into an opened survey that had none, member details are a change.
    ASSERT_EQ(open_text("<survey><subregion>PNW</subregion></survey>"), "");
    EXPECT_FALSE(opened->file_needs_saving());
    opened->member_panel->member_id->set_text("4711");
    EXPECT_TRUE(opened->file_needs_saving());
    EXPECT_EQ(app.get_survey_dir(MyApp::UPLOADED),
              Glib::get_home_dir() + "/Documents/TAVRO-Survey/Uploaded"); // no XDG folders
}

} // namespace
