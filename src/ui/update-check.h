// Asking the TAVRO server for newer program and data versions, installing a
// newer data set without restarting, and what the volunteer chose to do next.
#pragma once

#include "core/errors.h"
#include "net/net-session.h"

#include <glibmm/ustring.h>
#include <gtkmm/window.h>
#include <string>

class MyApp;

class UpdateCheck {
public:
    // What the check needs of the window it runs over.
    struct Host {
        // What follows an update check: the responses of the summaries' buttons.
        enum ResponseCode {
            START_NEW_SURVEY = 1,
            QUIT_PROGRAM = 2,
            OPEN_SAVED_SURVEY = 3,
            NOTHING_FURTHER = 4,
        };
        virtual Gtk::Window& dialog_parent() = 0;
        // The session of the exchange under way, with its progress window;
        // end_network closes both.
        virtual NetSession& network() = 0;
        virtual void end_network() = 0;
        virtual bool check_file_save_okay(const Glib::ustring& what) = 0;
        virtual void close_for_good() = 0;
        virtual void on_action_FileNew(const std::string& name) = 0;
        virtual RetCode select_and_open_saved_survey() = 0;
        // A fresh window from the new data set, with the open survey, in
        // this one's place.
        virtual void rebuild_from_new_data() = 0;

    protected:
        ~Host() = default;
    };

    UpdateCheck(Host& host, MyApp& app) : host(host), app(app) {}

    // The save question, then the check.
    void manual_check();
    // Asks for newer program and data versions, offers them, then carries out
    // the follow-up.
    RetCode check(int follow_up);
    // Downloads, unpacks and loads a newer data set.
    RetCode download_data_files(NetSession& session, const std::string& url);

private:
    // The data-version half of the check, and the download it may offer.
    RetCode check_data_version(NetSession& session, bool& told, RetCode rc);
    RetCode follow_up_after_check(int follow_up, RetCode rc);
    int tell(const Glib::ustring& title, const Glib::ustring& markup,
             std::initializer_list<std::pair<const char*, int>> buttons);

    Host& host;
    MyApp& app;
};
