#include "core/build-settings.h"
#include "core/command-line.h"
#include "net/net-session.h"
#include "ui/my-app.h"
#include "ui/restore-offer.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <exception>
#include <glibmm/main.h>
#include <iostream>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    take_debug_option(argc, argv);

    auto app =
        Gtk::Application::create(argc, argv, TAVRO_APPLICATION_ID, Gio::APPLICATION_NON_UNIQUE);
    try {
        NetSession::prepare();
        // The data set is read from the start, while the application registers
        // (which can take a while without a session bus) and the window's UI
        // file is read.
        Glib::RefPtr<Gtk::Builder> ui;
        MyApp my_app(app, [&app, &ui] {
            if (!app->register_application()) {
                printf("Failed to register!\n");
                fflush(stdout);
                _exit(7); // the data set may still be being read
            }
            ui = SurveyWindow::read_ui();
        });
        // Surveys of windows that did not close normally come back first.
        const std::vector<SurveyWindow*> restored = restore_unsaved_surveys(my_app);
        SurveyWindow* window =
            restored.empty() ? SurveyWindow::create(my_app, ui) : restored.front();
        const int status = app->run(*window);
        // Closed windows delete themselves when the loop is next idle: let
        // them, while the data they refer to is still there.
        while (Glib::MainContext::get_default()->iteration(false)) {
        }
        return status;
    } catch (const Glib::Exception& e) {
        std::cerr << "Glib::Exception = " << e.what() << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "std::exception = " << e.what() << std::endl;
    } catch (...) {
        std::cerr << "Unknown exception" << std::endl;
    }
    return 1;
}
