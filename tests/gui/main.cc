#include <gtest/gtest.h>
#include <gtkmm/application.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests fork; the toolkit's helper threads make the threadsafe style
    // the only sound one here.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    auto app = Gtk::Application::create("org.tavro.SurveyTests", Gio::APPLICATION_NON_UNIQUE);
    app->register_application();
    return RUN_ALL_TESTS();
}
