// Saving the open survey into the store, the question before its answers
// are left unsaved, and deleting a saved survey.
#pragma once

#include "app/my-app-core.h"
#include "app/recovery-keeper.h"
#include "core/errors.h"
#include "survey/survey-data.h"

#include <glibmm/ustring.h>
#include <gtkmm/window.h>
#include <string>

class SaveFlow {
public:
    // What the flow needs of the window that shows the survey.
    struct Host {
        // What a successful save does next.
        enum DoSaveFlags { SAVE_OFFER_NEXT = 0, SAVE_SILENT = 1, SAVE_REPORT_ONLY = 2 };
        virtual Gtk::Window& dialog_parent() = 0;
        virtual RetCode generate_xml_string(Glib::ustring& error_message, bool without_member) = 0;
        // The store's name for the survey, without folder and extension.
        virtual std::string survey_file_name() const = 0;
        virtual bool file_needs_saving() = 0;
        // The Start page's list of saved surveys, read again.
        virtual void refresh_survey_list() = 0;
        // The next steps a save report offers.
        virtual RetCode select_and_open_saved_survey() = 0;
        virtual void on_action_FileNew(const std::string& name) = 0;
        virtual void close_for_good() = 0;

    protected:
        ~Host() = default;
    };

    SaveFlow(Host& host, MyAppCore& app, SurveyData& survey, RecoveryKeeper& recovery)
        : host(host), app(app), survey(survey), recovery(recovery) {}

    // Saves the survey into a store folder; reports a failure and returns its code.
    RetCode save(MyAppCore::WhichDir which, Host::DoSaveFlags flags);
    // The dialog after a save, and the next step it offers.
    void report_save(Host::DoSaveFlags flags);
    // True when it is safe to go on with `what`: nothing unsaved, discarded or saved.
    bool check_file_save_okay(const Glib::ustring& what);
    // Asks, and moves the saved survey to the desktop's trash (or deletes it
    // where there is none); true only when it is gone.
    bool maybe_delete_survey(const std::string& path);
    // A survey went: its description, and whether it is in the trash.
    sigc::signal<void, const Glib::ustring&, bool> deleted;

    // Answers restored after a crash, not saved since.
    bool restored = false;
    // The survey's old file, left until a save is surely on the disk.
    std::string superseded_file, superseded_etag;

private:
    // Restored answers whose original changed: whether to save them as a new
    // survey of folder.
    bool ask_to_save_as_new(const std::string& folder);
    // The survey's file is now path; the old one, when it is the same survey
    // of the store, is to go.
    void took_file(const std::string& path, const std::string& etag, const std::string& had_file,
                   const std::string& had_etag);

    Host& host;
    MyAppCore& app;
    SurveyData& survey;
    RecoveryKeeper& recovery;
};
