// Survey files through the window: the pages written, read back into a fresh
// window, and a refused file reported with its name.
#include "survey-window-fixture.h"
#include "ui/confirm-panel.h"

namespace {

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
    fill_first_pages("10010004");
    window->survey_panel2->temp_units->select_label("Celsius");
    window->survey_panel2->surface_temp->set_text("12");
    window->confirm_panel->confirm_bottom_time->set_active(true);
    std::vector<int> listed;
    window->species_stores.listed_store->foreach_iter([&](const Gtk::TreeIter& row) {
        if ((*row)[window->species_columns.id] > 0)
            listed.push_back((*row)[window->species_columns.id]);
        return listed.size() == 3;
    });
    ASSERT_EQ(listed.size(), 3u);
    window->survey_data.abundances = {{listed[0], 2}, {listed[1], 40}, {listed[2], 0}};
    const std::string written = xml(*window);
    ASSERT_EQ(open(dir.write("round.TAVRO-Survey", written)), "");
    EXPECT_EQ(xml(*opened), written);
    EXPECT_EQ(opened->survey_data.saved_xml, written);
    EXPECT_EQ(opened->notebook->get_current_page(), opened->confirm_panel->page_number);
    EXPECT_TRUE(opened->confirm_panel->confirm_bottom_time->get_active());
    // Saved, an opened file outside the store goes into it as the same text.
    ASSERT_EQ(opened->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_EQ(read_text_file(opened->survey_data.filename), written);
    EXPECT_TRUE(exists(dir.path() + "/round.TAVRO-Survey"));
}

// An old file on the Pacific coast opens in the journey; here the rest, and
// files that do not open.
TEST_F(SurveyFileTest, OlderFilesOpenBrokenOnesAreReportedByName) {
    EXPECT_EQ(open_text("<survey><subregion>PNW</subregion></survey>", "1.7"), "");
    // Outside the Pacific the old depth is the average; a snorkel average
    // takes the maximum with it. A year the box does not offer is added.
    ASSERT_EQ(open_text("<survey><subregion>FLK</subregion><depth>2</depth>"
                        "<year>1999</year></survey>"),
              "");
    EXPECT_EQ(opened->survey_panel2->avg_depth->get_selected_id(), 2);
    EXPECT_EQ(opened->survey_panel2->max_depth->get_selected_id(), 2);
    EXPECT_EQ(opened->survey_panel1->year->get_selected_label(), "1999");
    // A species entry without a type to record it under is left out, not a crash.
    EXPECT_EQ(open_text("<survey><subregion>PNW</subregion><ids><species id='12' abun='1'/>"
                        "</ids></survey>"),
              "");
    // Why a file is no survey the unit test checks; here the report names the
    // file, as markup.
    EXPECT_NE(open_text("<survey><colour/></survey>")
                  .find("s.TAVRO-Survey: TAVRO Survey has unknown tag &apos;colour&apos;"),
              std::string::npos);
    EXPECT_NE(open(dir.write("a&b.TAVRO-Survey", "<x")).find("a&amp;b.TAVRO-Survey: "),
              std::string::npos);
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
