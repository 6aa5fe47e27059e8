#include "dialog-script.h"

#include <gtest/gtest.h>
#include <gtkmm/application.h>
#include <unistd.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The windows read resources/ and data-files/ from the working folder.
    if (chdir(TAVRO_SOURCE_DIR) != 0) return 2;
    // A dialog no test answers would wait for a user forever.
    install_unexpected_dialog_guard();
    // Death tests fork; the toolkit's helper threads make the threadsafe style
    // the only sound one here.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    auto app = Gtk::Application::create("org.tavro.SurveyTests", Gio::APPLICATION_NON_UNIQUE);
    app->register_application();
    return RUN_ALL_TESTS();
}
