// The Start page: the store's surveys, the buttons by the chosen row, what they do.
#include "core/errors.h"
#include "survey-window-fixture.h"
#include "ui/start-panel.h"
#include <algorithm>

class StartPanelTest : public StoreWindowTest {
protected:
    // Saves the window's survey as member's on 2026-07-<day> into which.
    std::string save(const char* member, int day, MyApp::WhichDir which) {
        fill_first_pages("10010004", day);
        window->member_panel->member_id->set_text(member);
        EXPECT_EQ(window->do_save(which, SurveyWindow::SAVE_SILENT), RC_OK);
        return window->survey_data.filename;
    }
    // The list as the user sees it: one line per row, "+" on open groups.
    static std::string shown(const StartPanel& p, const Gtk::TreeNodeChildren& rows,
                             int depth = 0) {
        std::string text;
        for (const Gtk::TreeRow& row : rows)
            text += std::string(2 * depth, ' ') +
                    (p.survey_tree->row_expanded(p.survey_store->get_path(row)) ? "+" : "") +
                    Glib::ustring(row[p.survey_columns.label]).raw() + "\n" +
                    shown(p, row.children(), depth + 1);
        return text;
    }
    // Puts the cursor on a row and presses a key there, as a user does.
    std::string choose(StartPanel& p, const char* row, guint key = GDK_KEY_Return) {
        press_on_row(*window, p.page_number, *p.survey_tree, row, key);
        std::string state;
        for (Gtk::Button* b : {p.edit_view_button, p.mark_button, p.upload_button, p.delete_button})
            state += b->get_label() + (b->get_sensitive() ? "" : " (off)") +
                     (b->get_visible() ? "; " : " (hidden); ");
        return state;
    }
};

TEST_F(StartPanelTest, TreeButtonsAndUnMark) {
    save("4711", 4, MyApp::READY_TO_UPLOAD);
    std::string uploaded = save("4711", 5, MyApp::READY_TO_UPLOAD);
    ASSERT_EQ(app.move_survey_to(MyApp::UPLOADED, uploaded), RC_OK);
    save("4711", 14, MyApp::IN_PROGRESS);
    save("4711", 4, MyApp::IN_PROGRESS);
    const std::string ready = app.get_survey_dir(MyApp::READY_TO_UPLOAD);
    Glib::file_set_contents(ready + "/broken.TAVRO-Survey", "<survey");
    save("815", 5, MyApp::READY_TO_UPLOAD);
    StartPanel& p = *window->start_panel;
    const std::string survey = "Fish & Invertebrate Survey - 2026-07-0",
                      at = " at 9 AM - 10 AM - Mike's Beach\n";
    EXPECT_EQ(shown(p, p.survey_store->children()),
              "+In Progress\n  " + survey + "4" + at + "  Fish & Invertebrate Survey - 2026-07-14" +
                  at +
                  "+Ready To Upload\n  Member ID 0\n    (corrupted survey file)\n"
                  "  Member ID 815\n    " +
                  survey + "5" + at + "  Member ID 4711\n    " + survey + "4" + at +
                  "Uploaded\n  " + survey + "5" + at);
    show_page(p.page_number);
    p.survey_tree->expand_all();
    EXPECT_EQ(choose(p, "0:0"), "Edit; Mark For Upload (hidden); Upload (off); Delete; ");
    EXPECT_EQ(choose(p, "2:0"), "View; Mark For Upload (off) (hidden); Upload (off); Delete; ");
    EXPECT_EQ(choose(p, "1:1"),
              "Edit (off); Mark For Upload (off) (hidden); Upload (off); Delete (off); ");
    EXPECT_EQ(choose(p, "1:1:0", GDK_KEY_Right), "Edit; Un-Mark For Upload; Upload; Delete; ");
    // Back beside a survey of the same name: the open survey follows its file, the other stays.
    const std::string older = ::in(MyApp::IN_PROGRESS, "815-PNW-20260705-0900-10010004");
    Glib::file_set_contents(older + ".TAVRO-Survey", "older");
    p.mark_button->clicked();
    EXPECT_EQ(Glib::file_get_contents(older + ".TAVRO-Survey"), "older");
    EXPECT_EQ(window->survey_data.filename, older + "-1.TAVRO-Survey");
    EXPECT_EQ(p.survey_store->children()[0]->children().size(), 3u); // members 0, 815, 4711
    // The chosen survey went: no neighbour is taken for it.
    p.survey_tree->expand_all();
    choose(p, "0:2:0"); // member 4711's first of two
    ASSERT_EQ(unlink(p.lookup_selected_survey(nullptr).c_str()), 0);
    p.build_survey_model();
    EXPECT_EQ(p.lookup_selected_survey(nullptr), "");
    // Changed row by row, the list shows what a fresh reading of the store does.
    std::unique_ptr<SurveyWindow> fresh(SurveyWindow::create(app));
    auto rows = [](const StartPanel& panel) { // which groups are open aside
        std::string text = shown(panel, panel.survey_store->children());
        text.erase(std::remove(text.begin(), text.end(), '+'), text.end());
        return text;
    };
    EXPECT_EQ(rows(p), rows(*fresh->start_panel));
}

TEST_F(StartPanelTest, SearchFindsByAnyWordAndTheCountsStay) {
    save("4711", 4, MyApp::IN_PROGRESS);
    save("815", 5, MyApp::READY_TO_UPLOAD);
    Glib::file_set_contents(app.get_survey_dir(MyApp::READY_TO_UPLOAD) + "/broken.TAVRO-Survey",
                            "<survey");
    StartPanel& p = *window->start_panel;
    p.build_survey_model();
    show_page(p.page_number);
    EXPECT_EQ(p.survey_counts.get_text(), "1 in progress, 2 ready to upload, 0 uploaded.");
    auto search = [&](const char* text) {
        p.survey_search.set_text(text);
        p.survey_tree->expand_all();
        return shown(p, p.survey_store->children());
    };
    const std::string at = " - 2026-07-05 at 9 AM - 10 AM - Mike's Beach\n";
    // Words in any order and case, from the description, the member and the file name.
    EXPECT_EQ(search("beach MIKE'S 815"), "In Progress\n+Ready To Upload\n  "
                                          "Fish & Invertebrate Survey" +
                                              at + "Uploaded (none)\n");
    EXPECT_EQ(p.survey_counts.get_text(),
              "1 of 3 surveys found (1 in progress, 2 ready to upload, 0 uploaded).");
    EXPECT_EQ(search("20260704 4711"), "+In Progress\n  Fish & Invertebrate Survey - 2026-07-04"
                                       " at 9 AM - 10 AM - Mike's Beach\nReady To Upload\n"
                                       "Uploaded (none)\n");
    EXPECT_EQ(search("broken"), "In Progress\n+Ready To Upload\n  (corrupted survey file)\n"
                                "Uploaded (none)\n");
    search("");
    EXPECT_EQ(p.survey_store->children()[1]->children().size(), 2u); // members 0 and 815
}
