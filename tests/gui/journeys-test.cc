// Whole journeys through the real window, from the Start page to the server
// (our reference server on 127.0.0.1), and what the user is told and finds on
// disk when the server or the disk lets them down on the way.
#include "app/store-files.h"
#include "reference-server.h"
#include "survey-window-fixture.h"
#include "ui/confirm-panel.h"
#include "ui/listed-panel.h"
#include "ui/progress-window.h"
#include "ui/start-panel.h"
#include "ui/unlisted-panel.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

class JourneyTest : public StoreWindowTest {
protected:
    void SetUp() override {
        StoreWindowTest::SetUp();
        app.app->add_window(*window);
        show_page(window->start_panel->page_number);
    }
    void TearDown() override {
        app.upload_url = saved_upload;
        app.version_query_url = saved_query;
        net_limits() = NetLimits();
        app.local_data_dir = saved_local;
        StoreWindowTest::TearDown();
    }
    void use(const std::string& base) {
        app.upload_url = base + "/dataentry/upload-survey.php";
        app.version_query_url = base + "/offline-data-entry/?get-version=";
    }
    // After a step that may have put another window in place of this one:
    // the one the user now looks at.
    SurveyWindow& shown() {
        run_pending_events(); // windows closed for good are deleted here
        std::vector<SurveyWindow*> visible;
        for (Gtk::Window* w : app.app->get_windows())
            if (w->get_visible()) visible.push_back(dynamic_cast<SurveyWindow*>(w));
        EXPECT_EQ(visible.size(), 1u);
        if (!visible.empty()) window = visible[0];
        return *window;
    }
    // Return on a row of a species tree, then the nth category of its menu.
    void record(Gtk::TreeView& tree, int page, const char* row, int category) {
        press_on_row(*window, page, tree, row);
        for (int i = 0; i < category; ++i)
            press_key(*window, GDK_KEY_Down);
        press_key(*window, GDK_KEY_Return);
        run_pending_events();
    }
    // A species on each species page, and the bottom time confirmed.
    void fill_species_and_confirm() {
        record(*window->listed_panel->species_tree, window->listed_panel->page_number, "0:0", 1);
        UnlistedPanel& unlisted = *window->unlisted_panel;
        unlisted.species_search->set_text("horn shark");
        record(*unlisted.found_species_tree, unlisted.page_number, "0:0", 2);
        window->notebook->set_current_page(window->confirm_panel->page_number);
        window->confirm_panel->confirm_bottom_time->set_active(true);
    }
    // Cursor and Return on the survey's row of the Start page, as a user chooses it.
    void choose_on_start_page(const std::string& path) {
        StartPanel& p = *window->start_panel;
        Gtk::TreePath row;
        p.survey_store->foreach_iter([&](const Gtk::TreeIter& it) {
            if (std::string((*it)[p.survey_columns.path]) == path)
                row = p.survey_store->get_path(it);
            return !row.empty();
        });
        ASSERT_FALSE(row.empty()) << path;
        press_on_row(*window, p.page_number, *p.survey_tree, row.to_string());
    }
    static std::vector<std::string> contents(std::vector<std::string> paths) {
        for (std::string& path : paths)
            path = read_text_file(path);
        return paths;
    }
    // The bodies the server stored, in the order they came.
    static std::vector<std::string> received(const Server& server) {
        std::vector<std::string> paths = server.stored();
        std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
            return atoi(Glib::path_get_basename(a).c_str()) <
                   atoi(Glib::path_get_basename(b).c_str());
        });
        return contents(paths);
    }

    std::string saved_upload = app.upload_url, saved_query = app.version_query_url;
    std::string saved_local = app.local_data_dir;
};

TEST_F(JourneyTest, NewSurveySavedReopenedCompletedAndUploaded) {
    Server server;
    use(server.base);
    window->start_panel->new_survey_button->clicked();
    shown(); // the old window may be gone: nothing of it is read past here
    EXPECT_EQ(window->notebook->get_current_page(), window->member_panel->page_number);
    fill_first_pages("10010004");
    DialogScript script;
    script.answer_with(press_return); // "Survey Saved": OK, no file chooser
    window->save_button->clicked();
    const std::string later = window->survey_data.filename;
    EXPECT_EQ(later, in(MyApp::IN_PROGRESS, later));

    choose_on_start_page(later);
    window->start_panel->edit_view_button->clicked();
    EXPECT_EQ(shown().survey_data.filename, later);
    fill_species_and_confirm();
    EXPECT_EQ(window->survey_data.abundances.size(), 2u);
    ASSERT_TRUE(window->ready_button->get_sensitive());
    script.answer(Gtk::RESPONSE_OK); // "Survey Saved"
    window->ready_button->clicked();
    const std::string ready = in(MyApp::READY_TO_UPLOAD, later);
    EXPECT_EQ(window->survey_data.filename, ready);
    EXPECT_FALSE(exists(later));

    script.answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK); // the summary, up to date
    window->upload_button->clicked();
    ASSERT_EQ(script.seen.size(), 4u);
    EXPECT_EQ(script.seen[2].title, "Upload Successful");
    EXPECT_EQ(script.seen[3].title, "Program and Data are Up To Date");
    const std::string uploaded = in(MyApp::UPLOADED, later);
    EXPECT_EQ(received(server), contents({uploaded}));
    EXPECT_EQ(read_text_file(uploaded), window->survey_data.saved_xml);
    EXPECT_FALSE(exists(ready));
    // Locked, listed under Uploaded, and opened from there locked as well.
    EXPECT_EQ(window->survey_data.filename, uploaded);
    EXPECT_TRUE(window->survey_data.already_uploaded);
    EXPECT_FALSE(window->save_button->get_sensitive());
    choose_on_start_page(uploaded);
    window->start_panel->edit_view_button->clicked();
    EXPECT_TRUE(shown().survey_data.already_uploaded);
    for (Gtk::Widget* input : std::initializer_list<Gtk::Widget*>{
             window->save_button, window->ready_button, window->upload_button,
             window->member_panel->last_name, window->confirm_panel->confirm_bottom_time})
        EXPECT_FALSE(input->get_sensitive());
    EXPECT_EQ(reported, "");
}

TEST_F(JourneyTest, NewerDataSetInstalledAndTheOpenSurveyReopened) {
    Server server({"--data-version", "2099-01-01 00:00:00"});
    use(server.base);
    // A folder name with a blank and a quote must not break the unpacking.
    app.local_data_dir = server.dir.path() + "/Jo's data";
    server.dir.write("Jo's data/data-files/stale.csv", "from the set before"); // replaced whole
    fill_first_pages("10010004");
    DialogScript script;
    script.answer(Gtk::RESPONSE_OK); // "Survey Saved"
    window->save_button->clicked();
    const std::string path = window->survey_data.filename;
    const RegionInfo* old_data = app.region_info;
    script.answer(Gtk::RESPONSE_ACCEPT).answer(Gtk::RESPONSE_OK); // download, then "installed"
    window->actions["HelpCheckForUpdates"]->activate();
    EXPECT_EQ(script.seen.back().title, "Data File Update Successful");
    const std::string installed = app.get_local_data_dir() + "/data-files/";
    EXPECT_FALSE(exists(installed + "stale.csv") || exists(app.local_data_dir + "/incoming"));
    EXPECT_EQ(app.loaded_data_dir, installed);
    EXPECT_NE(app.region_info, old_data);
    for (const char* file : {"data-file-info.txt", "PAC-species-info.csv", "species-views.csv"})
        EXPECT_EQ(read_text_file(installed + file),
                  read_text_file(std::string(TAVRO_SOURCE_DIR) + "/data-files/" + file));
    // A new window built from the new data shows the same survey, unchanged.
    const std::string saved_xml = window->survey_data.saved_xml;
    EXPECT_EQ(shown().survey_data.filename, path);
    EXPECT_EQ(window->survey_data.saved_xml, saved_xml);
    EXPECT_FALSE(window->file_needs_saving());
    EXPECT_EQ(reported, "");
}

TEST_F(JourneyTest, SurveyOfAnOlderFileVersionCompletedAndUploaded) {
    Server server;
    use(server.base);
    const std::string old = app.get_survey_dir(MyApp::IN_PROGRESS) + "/from-2009.TAVRO-Survey";
    Glib::file_set_contents(
        old, read_text_file(std::string(TAVRO_FIXTURES) + "/surveys/legacy-0.2.TAVRO-Survey"));
    window->start_panel->build_survey_model();
    choose_on_start_page(old);
    window->start_panel->edit_view_button->clicked();
    EXPECT_EQ(shown().survey_data.filename, old);
    EXPECT_EQ(window->survey_panel1->year->get_selected_label(), "2009"); // not offered
    EXPECT_EQ(window->survey_data.abundances, (std::map<int, int>{{12, 2}, {34, 0}}));
    set_date();
    conditions();
    window->notebook->set_current_page(0);
    window->notebook->set_current_page(window->confirm_panel->page_number);
    window->confirm_panel->confirm_bottom_time->set_active(true);
    ASSERT_TRUE(window->upload_button->get_sensitive());
    DialogScript script;
    script.answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK); // the summary, up to date
    window->upload_button->clicked();
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_EQ(script.seen[0].title, "Upload Successful");
    const std::vector<std::string> body = received(server);
    ASSERT_EQ(body.size(), 1u);
    EXPECT_EQ(body, contents({window->survey_data.filename}));
    // Sent in today's form, with what the old file held.
    EXPECT_EQ(body[0].find("<TAVRO_Fish_Survey"), std::string::npos);
    for (const char* kept : {"<TAVRO-Survey version=\"", "<last_name>Ødegård</last_name>",
                             "<species id=\"0012\" abun=\"2\"",
                             "<avg_depth>3</avg_depth>\n    <max_depth>3</max_depth>"})
        EXPECT_NE(body[0].find(kept), std::string::npos) << kept << "\n" << body[0];
    EXPECT_TRUE(exists(old)); // under its own name: left as it was
}

// Whatever the server gets wrong at any point of an upload and of the update
// check after it, the user is told, nothing hangs, the survey stays ready and
// the data set in use stays.
TEST_F(JourneyTest, ServerDownSlowRefusingOrGarbledAtEveryPoint) {
    const std::string NEW = "2099-01-01 00:00:00", missing = "Unknown (error header missing)",
                      contact = "Failed to contact TAVRO server",
                      consistently = "Failed to consistently contact TAVRO server",
                      download = "Failed to download data update! (";
    // A downloaded data set in use: a failed update leaves it as it is. And
    // one that unpacks but does not load.
    TempDir local;
    const std::string damaged = local.path() + "/damaged";
    ASSERT_EQ(system(("cp -r data-files '" + local.path() + "/' && cp -r data-files '" + damaged +
                      "' && rm '" + damaged + "/habitat.csv'")
                         .c_str()),
              0);
    const struct {
        std::vector<std::string> args; // or "down"
        std::string upload_error, update_error;
    } cases[] = {
        {{"down"}, missing, contact},
        {{"--refuse-uploads"}, "Failed to upload file: Uploads are closed for maintenance", ""},
        {{"--answer-200"}, missing, ""},
        {{"--delay-ms", "300"}, "", ""}, // slow, but in time
        {{"--no-answer", "--stall-on", "mac"}, "", contact},
        {{"--delay-ms", "1500", "--stall-on", "data-files"}, "", consistently},
        {{"--data-version", NEW, "--no-answer", "--stall-on", "archive"}, "", download},
        {{"--data-version", NEW, "--archive-type", "application/x-bzip2; a=b"},
         "",
         download + "200)"},
        {{"--data-version", NEW, "--truncate-archive"}, "", "not a data set this program takes"},
        {{"--data-version", NEW, "--data-dir", damaged}, "", "Failed to install data update! The"},
        {{"--data-version", NEW, "--archive-with", "symlink"}, "", "takes:\ndata-files/habitat"},
    };
    net_limits().query_seconds = net_limits().upload_seconds = 1;
    net_limits().archive_idle_seconds = 1;
    const std::string info = "/data-files/data-file-info.txt";
    app.local_data_dir = local.path();
    const std::string data_info = read_text_file(local.path() + info);
    const RegionInfo* data = app.region_info;
    fill_first_pages("10010004");
    fill_species_and_confirm();
    ASSERT_EQ(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    const std::string ready = window->survey_data.filename, survey = read_text_file(ready);
    window->on_action_FileNew(""); // the ready survey is not the open one
    for (const auto& c : cases) {
        std::string trace;
        for (const std::string& arg : c.args)
            trace += arg + " ";
        SCOPED_TRACE(trace);
        std::unique_ptr<Server> server(
            new Server(c.args[0] == "down" ? std::vector<std::string>{} : c.args));
        use(server->base);
        if (c.args[0] == "down") server.reset();
        Glib::file_set_contents(ready, survey);
        unlink(app.upload_log_path().c_str()); // the same survey, sent afresh each time
        reported.clear();
        DialogScript script;
        if (c.upload_error.empty()) script.answer(Gtk::RESPONSE_OK); // the summary
        if (c.args.size() > 1 && c.args[1] == NEW) script.answer(Gtk::RESPONSE_ACCEPT);
        if (c.update_error.empty()) script.answer(Gtk::RESPONSE_OK); // up to date
        shown();
        window->notebook->set_current_page(window->start_panel->page_number);
        window->start_panel->build_survey_model();
        choose_on_start_page(ready);
        const gint64 start = g_get_monotonic_time();
        window->start_panel->upload_button->clicked();
        EXPECT_LT(g_get_monotonic_time() - start, 15 * G_USEC_PER_SEC);
        EXPECT_EQ(reported.empty(), c.upload_error.empty() && c.update_error.empty());
        for (const std::string& expected : {c.upload_error, c.update_error})
            EXPECT_NE(reported.find(expected), std::string::npos) << reported;
        if (c.upload_error.empty()) {
            EXPECT_EQ(received(*server), std::vector<std::string>{survey});
            EXPECT_TRUE(exists(in(MyApp::UPLOADED, ready)));
            EXPECT_EQ(unlink(in(MyApp::UPLOADED, ready).c_str()), 0);
        }
        EXPECT_EQ(exists(ready), !c.upload_error.empty());
        EXPECT_EQ(app.region_info, data);
        EXPECT_EQ(read_text_file(local.path() + info), data_info);
    }
    shown();
}

// Members whose number would make a hidden or nested name, a survey of the
// older extension and one named with a leading "." by an older program, and
// files a user left beside them: after a restart every survey is listed,
// opens and is sent once; nothing else is touched. One cut short behind the
// program's back is not sent but left where it is; mended, it is sent from the
// Start page once the volunteer has seen that the same survey went before.
TEST_F(JourneyTest, EverySurveyListedOpenedAndSentWhateverItsName) {
    Server server;
    use(server.base);
    const std::string long_member = Glib::ustring(150, gunichar(0xE9)).raw(); // 300 bytes
    DialogScript script;
    for (const std::string member : {".5", "..", "../x", long_member.c_str()}) {
        fill_first_pages("10010004");
        window->member_panel->member_id->set_text(member);
        fill_species_and_confirm();
        script.answer(member == long_member ? Gtk::RESPONSE_OK : 1); // then "Start New Survey"
        window->ready_button->clicked();
        shown();
    }
    const std::string ready = app.get_survey_dir(MyApp::READY_TO_UPLOAD) + "/";
    const std::string xml = read_text_file(window->survey_data.filename);
    const std::vector<std::string> left = {"old.TAVRO-Survey~", "notes.txt", ".tavro-save-Ab12Cd"};
    for (const std::string name : {".7-PNW.TAVRO-Survey", "old.TAVRO_survey", "old.TAVRO-Survey~",
                                   "notes.txt", ".tavro-save-Ab12Cd"})
        Glib::file_set_contents(ready + name, xml);
    // Named like surveys, but nothing to read: never opened, never blocking.
    ASSERT_EQ(mkfifo((ready + "pipe.TAVRO-Survey").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/etc/passwd", (ready + "outside.TAVRO-Survey").c_str()), 0);
    // File > Open shows what the Start page lists.
    script.answer_with([&](Gtk::Dialog& chooser) {
        for (const std::string name : {".7-PNW.TAVRO-Survey", "old.TAVRO_survey", "x.txt"}) {
            const std::string path = ready + name;
            GtkFileFilterInfo file{GTK_FILE_FILTER_FILENAME, path.c_str(), nullptr, nullptr,
                                   nullptr};
            EXPECT_EQ(gtk_file_filter_filter(
                          dynamic_cast<Gtk::FileChooser&>(chooser).get_filter()->gobj(), &file),
                      name != "x.txt");
        }
        return Gtk::RESPONSE_CANCEL;
    });
    window->select_and_open_saved_survey();

    std::unique_ptr<SurveyWindow> restarted(SurveyWindow::create(app));
    std::vector<std::string> listed; // all of member 0: no member rows
    for (const auto& row : restarted->start_panel->survey_store->children()[1].children()) {
        listed.push_back(row[restarted->start_panel->survey_columns.path]);
        std::unique_ptr<SurveyWindow> opened(SurveyWindow::create(app));
        EXPECT_EQ(opened->do_open(listed.back()), RC_OK) << listed.back();
    }
    ASSERT_EQ(listed, app.get_ready_survey_list());
    ASSERT_EQ(listed.size(), 6u);
    const std::string cut = ready + "old.TAVRO_survey";
    Glib::file_set_contents(cut, xml.substr(0, xml.size() / 2));
    script.answer(Gtk::RESPONSE_YES).answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK);
    window->start_panel->upload_all_button->clicked();
    EXPECT_EQ(script.seen.end()[-2].title, "Upload Partially Successful");
    EXPECT_EQ(reported.find("Failed to read survey file " + cut), 0u) << reported;
    reported.clear();
    EXPECT_EQ(received(server).size(), 5u);
    EXPECT_TRUE(window->survey_data.already_uploaded); // the open one
    EXPECT_EQ(app.get_ready_survey_list(), std::vector<std::string>{cut});
    Glib::file_set_contents(cut, xml);
    choose_on_start_page(cut);
    script.answer(Gtk::RESPONSE_ACCEPT).answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK);
    window->start_panel->upload_button->clicked();
    EXPECT_EQ(script.seen.end()[-3].title, "Survey Sent Before");
    EXPECT_EQ(script.seen.end()[-2].title, "Upload Successful");
    EXPECT_EQ(received(server).back(), xml);
    std::string uploaded; // safe names; the long one cut to fit
    for (const std::string& path : list_survey_files(app.get_survey_dir(MyApp::UPLOADED))) {
        const std::string name = Glib::path_get_basename(path);
        uploaded += name.substr(0, 6) + " " + std::to_string(name.size()) + " ";
    }
    EXPECT_EQ(uploaded,
              "_.-PNW 42 _._x-P 44 _5-PNW 42 _7-PNW 19 old.TA 16 \xC3\xA9\xC3\xA9\xC3\xA9 251 ");
    for (const std::string& name : {left[0], left[1], left[2], std::string("pipe.TAVRO-Survey"),
                                    std::string("outside.TAVRO-Survey")})
        EXPECT_TRUE(exists(ready + name)) << name;
    EXPECT_EQ(reported, "");
}

// No answer is no refusal: Upload All stops at the first survey the server
// leaves unanswered, without asking to go on, and every survey stays ready.
// Cancel in the progress window is such a failure, and skips the update check.
TEST_F(JourneyTest, NoAnswerOrCancelKeepsEverySurveyReady) {
    Server server({"--no-answer", "--stall-on", "upload"});
    use(server.base);
    for (const char* zone : {"10010001", "10010002"}) {
        fill_first_pages(zone);
        ASSERT_EQ(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
        window->survey_data.filename.clear(); // the next is another survey
    }
    const std::vector<std::string> ready = app.get_ready_survey_list();
    g_timeout_add(
        300,
        [](gpointer w) {
            ProgressWindow* shown = static_cast<SurveyWindow*>(w)->progress.get();
            if (shown && shown->window.get_visible()) shown->cancel.clicked();
            return gboolean(G_SOURCE_REMOVE);
        },
        window);
    DialogScript script;
    script.answer(Gtk::RESPONSE_YES).answer(Gtk::RESPONSE_OK); // upload all; the summary
    const gint64 start = g_get_monotonic_time();
    window->start_panel->upload_all_button->clicked();
    EXPECT_LT(g_get_monotonic_time() - start, 5 * G_USEC_PER_SEC); // the server never answers
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_EQ(script.seen[1].title, "Upload Failed");
    EXPECT_EQ(reported, "Failed to upload file: Unknown (error header missing)\nNo answer from "
                        "the TAVRO server at " +
                            server.base + ": cancelled\n");
    EXPECT_EQ(app.get_ready_survey_list(), ready);

    // Sent again, it is asked about first: the upload cut off may have arrived.
    net_limits().upload_seconds = 1;
    script.answer(Gtk::RESPONSE_ACCEPT).answer(Gtk::RESPONSE_OK); // and up to date
    window->do_upload_single(ready[0]);
    EXPECT_EQ(script.seen.end()[-2].title, "Survey Sent Before");
    EXPECT_NE(reported.find(server.base + ": no answer within 1 s"), std::string::npos) << reported;
    EXPECT_EQ(app.get_ready_survey_list(), ready);
}

} // namespace
