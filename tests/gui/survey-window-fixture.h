// A fresh survey window from the real UI file for each test, ways to drive it,
// and scripted answers to its dialogs.
#pragma once

#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <deque>
#include <gtest/gtest.h>

// The one application object of the window tests, with the installed data set.
MyApp& test_app();
// Lets the toolkit handle everything that is pending.
void run_pending_events();
// A key press as the X server would deliver it to the window.
void press_key(Gtk::Window& window, guint keyval, GdkModifierType state = GdkModifierType(0));
// Fails the test for a dialog nobody expected, instead of waiting for a user.
int unexpected_dialog(Gtk::Dialog& dialog);
inline void install_unexpected_dialog_guard() {
    set_dialog_responder(unexpected_dialog);
}

// Answers the program's dialogs in order and records their titles and texts;
// answers left over when it goes fail the test.
class DialogScript {
public:
    struct Seen {
        std::string title, text;
    };
    std::vector<Seen> seen;

    DialogScript() {
        set_dialog_responder([this](Gtk::Dialog& d) {
            seen.push_back({d.get_title(), dialog_message_text(d)});
            if (script.empty()) return unexpected_dialog(d);
            auto answer = script.front();
            script.pop_front();
            return answer(d);
        });
    }
    ~DialogScript() {
        install_unexpected_dialog_guard();
        EXPECT_TRUE(script.empty()) << script.size() << " scripted dialog answer(s) not used";
    }
    DialogScript& answer(int response) {
        return answer_with([response](Gtk::Dialog&) { return response; });
    }
    // An answer that may look at or act on the dialog first.
    DialogScript& answer_with(std::function<int(Gtk::Dialog&)> fn) {
        script.push_back(std::move(fn));
        return *this;
    }

private:
    std::deque<std::function<int(Gtk::Dialog&)>> script;
};

class SurveyWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = SurveyWindow::create(test_app());
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        // A test that closed the window has already handed it to the main loop.
        delete window;
        run_pending_events();
    }
    // Shows the window on a page, so that focus and key events work.
    void show_page(int page) {
        window->show();
        window->notebook->set_current_page(page);
        run_pending_events();
    }

    SurveyWindow* window = nullptr;
};
