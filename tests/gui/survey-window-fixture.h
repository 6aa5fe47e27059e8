// A fresh survey window from the real UI file for each test.
#pragma once

#include "dialog-script.h"
#include "test-app.h"
#include "ui/survey-window.h"

#include <gtest/gtest.h>

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

    SurveyWindow* window = nullptr;
};

// Set when the toolkit finalises the object: the window was really deleted.
inline void watch_finalize(Glib::Object& object, bool& finalized) {
    g_object_weak_ref(
        object.gobj(), [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; },
        &finalized);
}
