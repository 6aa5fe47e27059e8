// Upload and update against our reference server on 127.0.0.1.
#include "reference-server.h"
#include "survey-window-fixture.h"
#include "ui/drop-down-box.h"
#include "ui/member-panel.h"
#include "ui/survey-panel1.h"

#include <glibmm/miscutils.h>

namespace {

class ServerExchangeTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        SurveyWindowTest::SetUp();
        set_error_display_hook([this](const Glib::ustring& message, bool, const Glib::ustring&) {
            reported += message + "\n";
        });
        system(("rm -rf '" + app.get_survey_dir(MyApp::SURVEY_ROOT) + "'").c_str());
    }
    void TearDown() override {
        set_error_display_hook(nullptr);
        app.upload_url = saved_upload;
        app.version_query_url = saved_query;
        app.request_timeout_seconds = 30;
        SurveyWindowTest::TearDown();
    }
    void use(const Server& server) {
        ASSERT_FALSE(server.base.empty());
        app.upload_url = server.base + "/dataentry/upload-survey.php";
        app.version_query_url = server.base + "/offline-data-entry/?get-version=";
    }
    // A survey saved into Ready To Upload, in its own window; its path.
    std::string ready_survey(SurveyWindow& w, const char* zone) {
        w.member_panel->member_id->set_text("4711");
        w.survey_panel1->setup_for_subregion("PNW");
        w.survey_panel1->survey_subtype->select_id(10);
        w.survey_panel1->zonecode->set_text(zone);
        EXPECT_EQ(w.do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
        return w.survey_data.filename;
    }
    MyApp& app = test_app();
    std::string saved_upload = app.upload_url, saved_query = app.version_query_url, reported;
};

TEST_F(ServerExchangeTest, UploadAllWithOneRefusedThenTheOpenSurvey) {
    Server server;
    use(server);
    std::unique_ptr<SurveyWindow> second(SurveyWindow::create(app));
    const std::string first = ready_survey(*window, "10010001");
    const std::string broken = ready_survey(*second, "10010002");
    Glib::file_set_contents(broken, "<not-a-survey/>");
    std::unique_ptr<SurveyWindow> third(SurveyWindow::create(app));
    ready_survey(*third, "10010003");
    DialogScript script;
    script.answer(Gtk::RESPONSE_YES);                         // go on after the failure
    script.answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK); // summary, up to date
    window->do_upload_all_ready(app.get_ready_survey_list());
    ASSERT_EQ(script.seen.size(), 3u);
    EXPECT_EQ(script.seen[1].title, "Upload Partially Successful");
    EXPECT_EQ(script.seen[1].text.rfind("Failed to upload one survey.\nSuccessfully uploaded 2 "
                                        "surveys.\nStep 1 of 2 completed.",
                                        0),
              0u);
    EXPECT_EQ(script.seen[2].title, "Program and Data are Up To Date");
    EXPECT_NE(reported.find("Failed to upload file: "), std::string::npos) << reported;
    EXPECT_EQ(server.stored().size(), 2u);
    // The refused one is back in progress; the open survey is locked where it went.
    EXPECT_TRUE(Glib::file_test(app.get_survey_dir(MyApp::IN_PROGRESS) + "/" +
                                    Glib::path_get_basename(broken),
                                Glib::FILE_TEST_EXISTS));
    EXPECT_TRUE(window->survey_data.already_uploaded);
    EXPECT_EQ(window->survey_data.filename,
              app.get_survey_dir(MyApp::UPLOADED) + "/" + Glib::path_get_basename(first));
    EXPECT_FALSE(window->save_button->get_sensitive());
}

TEST_F(ServerExchangeTest, ServersThatMisbehave) {
    const std::string path = ready_survey(*window, "10010001");
    {
        Server silent({"--no-answer"}); // must not hold the window for ever
        use(silent);
        app.request_timeout_seconds = 1;
        EXPECT_NE(window->do_upload_file(path), RC_OK);
        EXPECT_NE(reported.find("Unknown (error header missing)"), std::string::npos) << reported;
    }
    Server ok200({"--answer-200"});
    use(ok200);
    reported.clear();
    EXPECT_NE(window->do_upload_file(path), RC_OK);
    EXPECT_TRUE(Glib::file_test(path, Glib::FILE_TEST_EXISTS)); // still ready
    // A data set on offer that does not unpack: reported with tar's words.
    Server truncated({"--data-version", "2099-01-01 00:00:00", "--truncate-archive"});
    use(truncated);
    reported.clear();
    DialogScript script;
    script.answer(Gtk::RESPONSE_ACCEPT); // download it
    EXPECT_EQ(window->check_for_updates("", SurveyWindow::NOTHING_FURTHER), RC_ERROR);
    EXPECT_NE(reported.find("Failed to install data update!"), std::string::npos) << reported;
    EXPECT_NE(reported.find("Command: bzip2 -dkc "), std::string::npos);
}

TEST_F(ServerExchangeTest, NewerDataSetIsInstalledAndTheWindowRebuilt) {
    Server server({"--data-version", "2099-01-01 00:00:00"});
    use(server);
    app.app->add_window(*window);
    // A folder name with a blank and a quote must not break the unpacking.
    const std::string saved_local = app.local_data_dir;
    app.local_data_dir = server.dir.path() + "/Jo's data";
    DialogScript script;
    script.answer(Gtk::RESPONSE_ACCEPT).answer(Gtk::RESPONSE_OK); // download, then "installed"
    EXPECT_EQ(window->check_for_updates("", SurveyWindow::NOTHING_FURTHER), RC_DATA_UPDATED);
    EXPECT_EQ(script.seen.back().title, "Data File Update Successful");
    EXPECT_TRUE(Glib::file_test(app.get_local_data_dir() + "/data-files/data-file-info.txt",
                                Glib::FILE_TEST_EXISTS));
    EXPECT_NE(app.region_info, nullptr);
    app.local_data_dir = saved_local;
    // The window was replaced by one built from the new data.
    SurveyWindow* rebuilt = nullptr;
    for (Gtk::Window* shown : app.app->get_windows())
        if (shown != window && shown->get_visible()) rebuilt = dynamic_cast<SurveyWindow*>(shown);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_FALSE(window->get_visible());
    app.app->remove_window(*rebuilt);
    delete rebuilt;
    window = nullptr; // closed for good
}

} // namespace
