// The survey store: saving into its folders, the unsaved-changes question, a
// new survey, descriptions, deleting, copies of unsaved answers after a crash.
#include "core/safe-write.h"
#include "survey-window-fixture.h"
#include "ui/restore-offer.h"
#include "ui/start-panel.h"

namespace {

class SurveyStoreTest : public StoreWindowTest {
protected:
    void SetUp() override {
        system(("rm -rf '" + recovery + "'").c_str());
        StoreWindowTest::SetUp();
    }
    void TearDown() override {
        RecoveryKeeper::delay_ms = delay;
        StoreWindowTest::TearDown();
    }
    // Answers of 4 July 2026, saved as this name.
    void fill() { fill_first_pages("10010004", 4); }
    std::string in(MyApp::WhichDir which) {
        return ::in(which, "4711-PNW-20260704-0900-10010004.TAVRO-Survey");
    }
    // The copy of unsaved answers, once the main loop has made it.
    std::string wait_for_copy(SurveyWindow& w) {
        auto copy = [&] {
            return w.recovery->store() ? read_text_file(w.recovery->store()->survey_path()) : "";
        };
        wait_for([&] { return !copy().empty(); });
        return copy();
    }
    // The window's program crashes and the next start's offer is answered:
    // the window restored, or none.
    std::unique_ptr<SurveyWindow> crash_and_restart(SurveyWindow& w, DialogScript& script,
                                                    int answer) {
        EXPECT_FALSE(wait_for_copy(w).empty());
        w.recovery->store()->abandon(); // the files stay, the lock goes
        if (answer == Gtk::RESPONSE_YES)
            script.answer_with(press_return); // Return restores
        else
            script.answer(answer);
        std::vector<SurveyWindow*> restored = restore_unsaved_surveys(app);
        EXPECT_LE(restored.size(), 1u);
        if (restored.empty()) return nullptr;
        app.app->remove_window(*restored[0]);
        return std::unique_ptr<SurveyWindow>(restored[0]);
    }
    const std::string recovery = app.get_local_data_dir() + "/recovery";
    const unsigned delay = std::exchange(RecoveryKeeper::delay_ms, 5);
};

TEST_F(SurveyStoreTest, SavesIntoTheFoldersUnderTheirNames) {
    EXPECT_NE(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_EQ(reported, "Sorry, you must select a location before you can save a survey!\n");
    fill();
    ASSERT_EQ(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK) << reported;
    EXPECT_EQ(read_text_file(in(MyApp::IN_PROGRESS)), window->survey_data.saved_xml);
    EXPECT_FALSE(window->file_needs_saving());
    // The same answers in another survey: the next free name.
    SurveyWindow* first = std::exchange(window, SurveyWindow::create(app));
    fill();
    ASSERT_EQ(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_EQ(window->survey_data.filename,
              ::in(MyApp::IN_PROGRESS, "4711-PNW-20260704-0900-10010004-1.TAVRO-Survey"));
    delete std::exchange(window, first);
    ASSERT_EQ(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);

    // The folder not flushed after the rename: said, the file in place, and
    // the answers unsaved with their copy kept until a save is sure.
    window->member_panel->last_name->set_text("Unsure");
    set_write_fault([n = 0](const char* step) mutable {
        return std::string(step) == "syncdir" && n++ == 0; // the survey's folder only
    });
    EXPECT_NE(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    set_write_fault(nullptr);
    EXPECT_NE(reported.find("but the disk did not confirm it"), std::string::npos) << reported;
    EXPECT_NE(read_text_file(in(MyApp::READY_TO_UPLOAD)).find(">Unsure<"), std::string::npos);
    EXPECT_TRUE(window->file_needs_saving());
    EXPECT_NE(read_text_file(window->recovery->store()->survey_path()).find(">Unsure<"),
              std::string::npos);
    ASSERT_EQ(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_FALSE(exists(window->recovery->store()->survey_path()));

    // A full disk: reported, the saved file and the saved state as they were.
    const Glib::ustring saved = window->survey_data.saved_xml;
    window->member_panel->last_name->set_text("Changed");
    set_write_fault([](const char* step) { return std::string(step) == "sync"; });
    EXPECT_NE(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    set_write_fault(nullptr);
    EXPECT_NE(reported.find("FAILED to save survey to "), std::string::npos) << reported;
    EXPECT_EQ(read_text_file(in(MyApp::READY_TO_UPLOAD)), saved);
    EXPECT_EQ(window->survey_data.saved_xml, saved);
    // Changed behind the program's back: refused, the other file left as it is.
    Glib::file_set_contents(in(MyApp::READY_TO_UPLOAD), "someone else's");
    EXPECT_NE(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_NE(reported.find("The file was externally modified"), std::string::npos) << reported;
    EXPECT_EQ(read_text_file(in(MyApp::READY_TO_UPLOAD)), "someone else's");
    EXPECT_EQ(window->survey_data.saved_xml, saved);
    // Moved on from a file someone else changed: that file stays.
    ASSERT_EQ(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_EQ(read_text_file(in(MyApp::READY_TO_UPLOAD)), "someone else's");
}

TEST_F(SurveyStoreTest, UnsavedChangesQuestionAndNewSurvey) {
    fill();
    DialogScript script;
    script.answer_with(press_return).answer(Gtk::RESPONSE_NO); // Return cancels
    EXPECT_FALSE(window->check_file_save_okay("closing it"));
    EXPECT_EQ(script.seen.back().title, "Survey Not Saved Yet!");
    EXPECT_TRUE(window->check_file_save_okay("closing it"));
    script.answer(Gtk::RESPONSE_ACCEPT).answer(Gtk::RESPONSE_OK); // save, then the report
    EXPECT_TRUE(window->check_file_save_okay("closing it"));
    EXPECT_TRUE(exists(in(MyApp::IN_PROGRESS)));

    // Opened through the file chooser into a new window.
    std::unique_ptr<SurveyWindow> other(SurveyWindow::create(app));
    script.answer_with([&](Gtk::Dialog& chooser) {
        auto& files = dynamic_cast<Gtk::FileChooser&>(chooser);
        files.set_filename(in(MyApp::IN_PROGRESS));
        wait_for([&] { return !files.get_filename().empty(); }); // it reads its folder first
        return static_cast<int>(Gtk::RESPONSE_ACCEPT);
    });
    ASSERT_EQ(other->select_and_open_saved_survey(), RC_OK);
    other.release(); // closed for good by the open
    std::unique_ptr<SurveyWindow> opened = take_newest_window();
    ASSERT_TRUE(opened && opened->get_visible());
    EXPECT_EQ(opened->survey_data.filename, in(MyApp::IN_PROGRESS));

    // A new survey keeps who, where and what kind, and counts as unchanged.
    window->on_action_FileNew("");
    std::unique_ptr<SurveyWindow> fresh = take_newest_window();
    ASSERT_TRUE(fresh && fresh.get() != std::exchange(window, nullptr)); // the old one closed
    EXPECT_EQ(fresh->member_panel->last_name->get_text(), "O'Brien & <Sons>");
    EXPECT_EQ(fresh->survey_data.subregion, "PNW");
    EXPECT_EQ(fresh->survey_panel1->survey_subtype->get_selected_id(), 10);
    EXPECT_EQ(fresh->notebook->get_current_page(), fresh->survey_panel1->page_number);
    EXPECT_FALSE(fresh->file_needs_saving());
    // What the volunteer types goes into the page's first entry.
    EXPECT_TRUE(wait_for([&] { return fresh->get_mapped(); }));
    Gtk::Widget* focus = fresh->get_focus();
    EXPECT_TRUE(dynamic_cast<Gtk::Entry*>(focus) && focus->is_ancestor(*fresh->survey_panel1));
}

// Only survey files are deleted; the open one, deleted from the Start page,
// gives way to a fresh survey.
TEST_F(SurveyStoreTest, DeletingOnlySurveys) {
    const std::string other = Glib::get_home_dir() + "/notes.TAVRO-Survey";
    Glib::file_set_contents(other, "<notes/>");
    EXPECT_FALSE(window->maybe_delete_survey(other));
    EXPECT_NE(reported.find("does not appear to be a saved survey file!"), std::string::npos);
    EXPECT_TRUE(exists(other));
    fill();
    ASSERT_EQ(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    show_page(window->start_panel->page_number);
    window->start_panel->survey_tree->expand_all();
    window->start_panel->survey_tree->set_cursor(Gtk::TreePath("0:0"));
    DialogScript script;
    script.answer_with(press_return); // keeps it
    window->start_panel->delete_button->clicked();
    EXPECT_TRUE(exists(in(MyApp::IN_PROGRESS)));
    // Yes puts it in the desktop's trash, and the page says so without a dialog.
    const std::string saved = in(MyApp::IN_PROGRESS);
    script.answer(Gtk::RESPONSE_ACCEPT);
    window->start_panel->delete_button->clicked();
    EXPECT_FALSE(exists(saved));
    EXPECT_TRUE(
        exists(Glib::get_user_data_dir() + "/Trash/files/" + Glib::path_get_basename(saved)));
    EXPECT_EQ(script.seen.back().text.find("Really delete this survey?\n\n"), 0u);
    std::unique_ptr<SurveyWindow> fresh = take_newest_window();
    ASSERT_TRUE(fresh && fresh.get() != std::exchange(window, nullptr)); // the old one closed
    EXPECT_EQ(fresh->survey_data.filename, "");
    // A broken file of the store, listed as corrupted, can go the same way.
    const std::string broken = app.get_survey_dir(MyApp::UPLOADED) + "/broken.TAVRO-Survey";
    Glib::file_set_contents(broken, "<survey");
    DialogScript again;
    again.answer(Gtk::RESPONSE_ACCEPT);
    EXPECT_TRUE(fresh->maybe_delete_survey(broken));
    EXPECT_EQ(again.seen.back().text, "Really delete this survey?\n\n(corrupted survey file)");
    EXPECT_FALSE(exists(broken));
    EXPECT_TRUE(fresh->start_panel->delete_notice.get_visible());
    EXPECT_EQ(fresh->start_panel->delete_notice_text.get_text(),
              "\"(corrupted survey file)\" was moved to the trash. You can restore it from there.");
}

TEST_F(SurveyStoreTest, CopyOfUnsavedAnswersAndRestoreAfterACrash) {
    fill();
    const std::string copy = wait_for_copy(*window),
                      copy_path = window->recovery->store()->survey_path();
    ASSERT_EQ(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK) << reported;
    EXPECT_EQ(read_text_file(in(MyApp::IN_PROGRESS)), copy); // what Save writes
    EXPECT_FALSE(exists(copy_path));
    // Abandoned answers and a normal close take their copy along.
    window->member_panel->last_name->set_text("Abandoned");
    ASSERT_FALSE(wait_for_copy(*window).empty());
    DialogScript script;
    script.answer(Gtk::RESPONSE_NO);
    EXPECT_TRUE(window->check_file_save_okay("closing it"));
    EXPECT_FALSE(exists(copy_path));
    window->survey_panel1->month->select_id(8);
    ASSERT_FALSE(wait_for_copy(*window).empty());
    window->close_for_good();
    window = nullptr;
    run_pending_events();
    EXPECT_EQ(files_in(recovery), 0u);

    // Crashed with a changed opened survey: back as changed, Save replaces the original.
    window = SurveyWindow::create(app);
    ASSERT_EQ(window->do_open(in(MyApp::IN_PROGRESS)), RC_OK);
    window->member_panel->last_name->set_text("Crashed");
    const std::string crashed = wait_for_copy(*window);
    std::unique_ptr<SurveyWindow> back = crash_and_restart(*window, script, Gtk::RESPONSE_YES);
    ASSERT_TRUE(back);
    EXPECT_NE(script.seen.back().text.find("Member 4711 - Fish & Invertebrate Survey - 2026-07-04"),
              std::string::npos);
    EXPECT_EQ(back->member_panel->last_name->get_text(), "Crashed");
    EXPECT_EQ(back->survey_data.filename, in(MyApp::IN_PROGRESS));
    EXPECT_TRUE(back->file_needs_saving());
    ASSERT_EQ(back->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK) << reported;
    EXPECT_EQ(read_text_file(in(MyApp::IN_PROGRESS)), crashed);
    // Declined at the next start, the copy goes.
    back->member_panel->last_name->set_text("Declined");
    EXPECT_FALSE(crash_and_restart(*back, script, Gtk::RESPONSE_NO));
    back.reset();
    EXPECT_EQ(files_in(recovery), 0u);
}

// Restored answers whose original changed meanwhile never replace it, nor go
// where they could be sent beside it: asked, and saved as a new survey in In
// Progress; the copy stays until they are in a file.
TEST_F(SurveyStoreTest, RestoredAnswersWhoseOriginalChangedBecomeANewSurvey) {
    fill();
    ASSERT_EQ(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    window->member_panel->last_name->set_text("Crashed");
    Glib::file_set_contents(in(MyApp::READY_TO_UPLOAD), "changed elsewhere");
    DialogScript script;
    std::unique_ptr<SurveyWindow> back = crash_and_restart(*window, script, Gtk::RESPONSE_YES);
    ASSERT_TRUE(back);
    script.answer(Gtk::RESPONSE_CANCEL);
    EXPECT_EQ(back->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_CANCELLED);
    const std::string asked = script.seen.back().text;
    EXPECT_EQ(asked.rfind("The saved survey was changed after this copy was made.", 0), 0u);
    for (const std::string& named : {in(MyApp::READY_TO_UPLOAD), in(MyApp::IN_PROGRESS)})
        EXPECT_NE(asked.find(named), std::string::npos) << asked;
    const std::string copy = back->recovery->store()->survey_path();
    EXPECT_TRUE(exists(copy));
    script.answer(Gtk::RESPONSE_ACCEPT);
    ASSERT_EQ(back->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    EXPECT_EQ(back->survey_data.filename, in(MyApp::IN_PROGRESS));
    EXPECT_NE(read_text_file(in(MyApp::IN_PROGRESS)).find(">Crashed<"), std::string::npos);
    EXPECT_EQ(read_text_file(in(MyApp::READY_TO_UPLOAD)), "changed elsewhere");
    EXPECT_FALSE(exists(copy));
}

} // namespace
