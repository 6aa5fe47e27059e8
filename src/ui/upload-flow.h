// Uploading surveys to the TAVRO server, one file per request, with the
// questions before and the summary after.
#pragma once

#include "core/errors.h"
#include "net/net-session.h"
#include "survey/survey-data.h"

#include <glibmm/ustring.h>
#include <gtkmm/window.h>
#include <string>
#include <vector>

class MyApp;

class UploadFlow {
public:
    // What an upload needs of the window with the open survey.
    struct Host {
        virtual Gtk::Window& dialog_parent() = 0;
        // The open survey checked; shows what is missing.
        virtual bool ready_to_upload() = 0;
        virtual bool file_needs_saving() = 0;
        // Saves the open survey, silently, as ready to upload.
        virtual RetCode save_for_upload() = 0;
        virtual void set_survey_is_uploaded() = 0;
        // The Start page's list of saved surveys, read again.
        virtual void refresh_survey_list() = 0;
        // The session of the exchange under way, with its progress window.
        virtual NetSession& network() = 0;
        // After the uploads: the update check, then the chosen follow-up.
        virtual RetCode check_for_updates(const std::string& url_override, int follow_up) = 0;

    protected:
        ~Host() = default;
    };

    UploadFlow(Host& host, MyApp& app, SurveyData& survey) : host(host), app(app), survey(survey) {}

    // The Upload button, and the File menu's two commands.
    void on_upload_button();
    void upload_this();
    void upload_all();
    // One file posted, and moved into Uploaded when taken.
    RetCode upload_file(const std::string& path);
    // One file, then the summary and the update check.
    RetCode upload_single(const std::string& path);
    void upload_all_ready(const std::vector<std::string>& paths);

private:
    bool upload_question(const Glib::ustring& text, bool with_no, int& response);
    // The question after a refused survey; true to go on with the rest.
    bool continue_after_refusal();
    // The summary with its follow-up choices; the choice.
    int upload_summary(const Glib::ustring& title, const Glib::ustring& text);
    // Asks once about those of paths the server may hold already; false, with
    // them taken out of paths, when they are not to be sent again.
    bool send_again(std::vector<std::string>& paths);
    void record_upload(const std::string& bytes, const std::string& name, const char* verdict);
    RetCode fail(const std::string& message);

    Host& host;
    MyApp& app;
    SurveyData& survey;
    std::string step; // what the progress window says while a file goes
    // Why the last upload_file failed: the server refused the survey, no
    // answer came, or the file was no survey to send.
    enum Failure { REFUSED, NO_ANSWER, NOT_SENT } failure = NOT_SENT;
};
