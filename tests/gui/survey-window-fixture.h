// A fresh survey window from the real UI file for each test, and ways to drive it.
#pragma once

#include "dialog-script.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <gtest/gtest.h>

// The one application object of the window tests, with the installed data set.
MyApp& test_app();

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

// A key press as the X server would deliver it to the window.
void press_key(Gtk::Window& window, guint keyval, GdkModifierType state = GdkModifierType(0));
