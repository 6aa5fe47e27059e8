// Survey files: written from the pages, read back into a fresh window, and
// refused when damaged or hostile.
#include "survey-window-fixture.h"
#include "temp-dir.h"
#include "ui/confirm-panel.h"
#include "ui/drop-down-box.h"
#include "ui/member-panel.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"

#include <ctime>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>

namespace {

const std::string SURVEYS = std::string(TAVRO_FIXTURES) + "/surveys/";

class SurveyFileTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        SurveyWindowTest::SetUp();
        set_error_display_hook([this](const Glib::ustring& message, bool, const Glib::ustring&) {
            reported = message;
        });
    }
    void TearDown() override {
        set_error_display_hook(nullptr);
        SurveyWindowTest::TearDown();
    }
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
    std::string reported;
    std::unique_ptr<SurveyWindow> opened;
};

TEST_F(SurveyFileTest, WhatIsWrittenReadsBackTheSame) {
    const std::string fresh = xml(*window);
    for (const char* part : {"<survey_subtype>-1<", "<year>0000<", "<month>00<", "<mday>00<",
                             "<dive_start>-1<", "<temp_units>F<", "confirmed=\"0\"", "<ids/>"})
        EXPECT_NE(fresh.find(part), std::string::npos) << part;

    SurveyPanel1& p1 = *window->survey_panel1;
    SurveyPanel2& p2 = *window->survey_panel2;
    window->member_panel->member_id->set_text(" 4711 ");
    window->member_panel->last_name->set_text("O'Brien & <Sons> \x01Ødegård");
    p1.setup_for_subregion("PNW");
    p1.survey_subtype->select_id(10);
    time_t now = time(nullptr);
    p1.year->select_id(localtime(&now)->tm_year + 1900);
    p1.month->select_id(7);
    p1.mday->select_id(4);
    p1.dive_start->set_active(3);
    p1.zonecode->set_text("10010004");
    p2.surface_temp->set_text("12");
    p2.temp_units->select_label("Celsius");
    p2.bottom_time->set_text("95");
    window->confirm_panel->confirm_bottom_time->set_active(true);
    for (DropDownBox* box : {p2.visibility, p2.avg_depth, p2.current, p2.habitat})
        box->set_active(1);
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

TEST_F(SurveyFileTest, OlderFilesOpen) {
    ASSERT_EQ(open(SURVEYS + "legacy-0.2.TAVRO-Survey"), "");
    EXPECT_EQ(opened->survey_panel1->year->get_selected_label(),
              "2009"); // before the years offered
    // On the Pacific coast the one depth of old files was the maximum.
    EXPECT_EQ(opened->survey_panel2->max_depth->get_selected_id(), 3);
    EXPECT_EQ(opened->survey_panel2->avg_depth->get_selected_label(), "");
    EXPECT_EQ(opened->survey_data.abundances, (std::map<int, int>{{12, 2}, {34, 0}}));
    EXPECT_EQ(open_text("<survey><subregion>PNW</subregion></survey>", "1.7"), "");
    // Elsewhere the old depth was the average; a species-only type records presence.
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

TEST_F(SurveyFileTest, DamagedAndHostileFilesAreRefused) {
    const std::pair<std::string, const char*> cases[] = {
        {open_text("<survey/>", "0.1"), "too old - contact "},
        {open_text("<survey/>", "2.0"), "need a newer version of this program"},
        {open_text("<survey/>", "1"), "(bad version)"},
        {open_text("<survey/><!-- note -->"), "too many top level children (survey, comment)"},
        {open_text("<survey/><survey/>"), "too many top level children (survey, survey)"},
        {open_text("<survey><subregion></subregion></survey>"), "empty subregion!"},
        {open_text("<survey><ids/><subregion>PNW</subregion></survey>"), "empty subregion!"},
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

TEST_F(SurveyFileTest, UnsavedChangesAndTheUploadedLock) {
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

    const std::string uploaded = test_app().get_survey_dir(MyApp::UPLOADED);
    EXPECT_EQ(uploaded,
              Glib::get_home_dir() + "/Documents/TAVRO-Survey/Uploaded"); // no XDG folders
    Glib::file_set_contents(uploaded + "/legacy.TAVRO-Survey",
                            read_text_file(SURVEYS + "legacy-0.2.TAVRO-Survey"));
    ASSERT_EQ(open(uploaded + "/legacy.TAVRO-Survey"), "");
    EXPECT_TRUE(opened->survey_data.already_uploaded);
    EXPECT_FALSE(opened->save_button->get_sensitive());
    EXPECT_FALSE(opened->member_panel->last_name->get_sensitive());
}

} // namespace
