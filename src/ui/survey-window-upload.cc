// Uploading surveys to the TAVRO server, one file per request.
#include "core/errors.h"
#include "core/misc.h"
#include "ui/confirm-panel.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/start-panel.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <giomm/file.h>
#include <gtkmm/messagedialog.h>
#include <libsoup/soup.h>

namespace {

// "Step 1 of 2 completed..." with a link to the online data entry page.
Glib::ustring step_one_notice() {
    const std::string address = MyAppCore::web_entry_url();
    const auto scheme = address.find("://");
    const std::string shown = scheme == std::string::npos ? address : address.substr(scheme + 3);
    return "Step 1 of 2 completed. <b>You are not done yet!</b> To transmit your surveys to TAVRO, "
           "logon to the TAVRO Online Data Entry page (<a href=\"" +
           escape_markup(address) + "\">" + escape_markup(shown) +
           "</a>) to error check and submit your survey(s).";
}

} // namespace

bool SurveyWindow::upload_question(const Glib::ustring& text, bool with_no, int& response) {
    Gtk::MessageDialog question(*this, text, true, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, true);
    question.add_button(Gtk::Stock::YES, Gtk::RESPONSE_YES);
    if (with_no) question.add_button(Gtk::Stock::NO, Gtk::RESPONSE_NO);
    question.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
    question.set_title("Upload all surveys that are ready?");
    question.set_icon_list(MyApp::icon_list);
    response = run_dialog(question);
    question.hide();
    return response == Gtk::RESPONSE_YES;
}

bool SurveyWindow::ready_to_upload() {
    confirm_panel->refresh();
    if (survey_data.is_complete) return true;
    titled_error("Can't upload yet", "Survey data is missing or invalid.");
    notebook->set_current_page(confirm_panel->page_number);
    return false;
}

void SurveyWindow::on_upload_button() {
    if (!ready_to_upload()) return;
    if (do_save(MyApp::READY_TO_UPLOAD, SAVE_SILENT) != RC_OK) return;
    const std::vector<std::string> ready = app->get_ready_survey_list();
    if (ready.size() <= 1) {
        do_upload_single(survey_data.filename);
        return;
    }
    int response = 0;
    if (upload_question("The following surveys are ready to be uploaded:\n\n" +
                            escape_markup(app->prettify_survey_list(ready, survey_data.filename)) +
                            "\nUpload all of these now?\nClick Yes to upload all of them now,\n"
                            "Click No to upload only the currently open survey, or\nClick Cancel "
                            "to not upload anything yet.",
                        true, response))
        do_upload_all_ready(ready);
    else if (response != Gtk::RESPONSE_CANCEL)
        do_upload_single(survey_data.filename);
}

void SurveyWindow::on_action_FileUploadThis(const std::string&) {
    if (survey_data.already_uploaded) {
        titled_error("ERROR: Survey Already Uploaded!!!",
                     "This survey was already uploaded and cannot be changed offline.");
        return;
    }
    if (!ready_to_upload()) return;
    if (do_save(MyApp::READY_TO_UPLOAD, SAVE_SILENT) == RC_OK)
        do_upload_single(survey_data.filename);
}

void SurveyWindow::on_action_FileUploadAll(const std::string&) {
    const std::string ready_dir = app->get_survey_dir(MyApp::READY_TO_UPLOAD) + "/";
    if (survey_data.filename.compare(0, ready_dir.size(), ready_dir) == 0 && file_needs_saving())
        do_save(MyApp::READY_TO_UPLOAD, SAVE_SILENT);
    const std::vector<std::string> ready = app->get_ready_survey_list();
    if (ready.empty()) {
        titled_error("No Surveys Ready!",
                     "No surveys are marked as ready to upload.\nFor each survey that you wish "
                     "to upload, please open it and then click the \"Mark For Upload\" button.");
        return;
    }
    int response = 0;
    if (upload_question("The following surveys are ready to be uploaded:\n\n" +
                            escape_markup(app->prettify_survey_list(ready, survey_data.filename)) +
                            "\nUpload all of these now?\nClick Yes to upload all of them now, or\n"
                            "Click Cancel to not upload anything yet.",
                        false, response))
        do_upload_all_ready(ready);
}

RetCode SurveyWindow::do_upload_file(const std::string& path) {
    char* contents = nullptr;
    gsize length = 0;
    try {
        Gio::File::create_for_path(path)->load_contents(contents, length);
    } catch (const Glib::Error&) {
        return error("Failed to read survey file %s", escape_markup(path).c_str());
    }
    SoupBuffer* buffer = soup_buffer_new(SOUP_MEMORY_COPY, contents, length);
    g_free(contents);
    // A server that takes the connection and never answers fails like a lost one.
    const guint timeout = app->request_timeout_seconds;
    SoupSession* session = soup_session_new_with_options(
        SOUP_SESSION_TIMEOUT, timeout, SOUP_SESSION_IDLE_TIMEOUT, timeout, nullptr);
    if (debug_level > 0) {
        SoupLogger* logger = soup_logger_new(SOUP_LOGGER_LOG_BODY, -1);
        soup_session_add_feature(session, SOUP_SESSION_FEATURE(logger));
        g_object_unref(logger);
    }
    SoupMultipart* multipart = soup_multipart_new(SOUP_FORM_MIME_TYPE_MULTIPART);
    const std::string name = Gio::File::create_for_path(path)->get_basename();
    soup_multipart_append_form_file(multipart, "survey-file", name.c_str(), "application/xml",
                                    buffer);
    SoupMessage* message = soup_form_request_new_from_multipart(app->upload_url.c_str(), multipart);
    RetCode rc = RC_OK;
    if (!message) {
        rc = titled_error("Upload Failed!", "Failed to upload file: %s",
                          escape_markup("bad server address " + app->upload_url).c_str());
    } else {
        const guint status = soup_session_send_message(session, message);
        if (debug_level > 0) printf("upload response code is %u\n", status);
        const char* failure =
            soup_message_headers_get_one(message->response_headers, "X-Survey-Upload-Error");
        const char* success =
            soup_message_headers_get_one(message->response_headers, "X-Survey-Upload-Successful");
        if (status != 201)
            rc = titled_error("Upload Failed!", "Failed to upload file: %s",
                              failure ? escape_markup(failure).c_str()
                                      : "Unknown (error header missing)");
        else if (!success)
            rc = titled_error("Upload Failed!",
                              "Confusion: response is %d but success header is missing!?", 201);
        g_object_unref(message);
    }
    soup_multipart_free(multipart);
    soup_buffer_free(buffer);
    g_object_unref(session);
    if (rc != RC_OK) return rc;
    const bool open_survey = path == survey_data.filename;
    if (open_survey) set_survey_is_uploaded();
    std::string moved = path;
    app->move_survey_to(MyApp::UPLOADED, moved);
    if (start_panel) start_panel->build_survey_model();
    if (open_survey) survey_data.filename = moved;
    return RC_OK;
}

int SurveyWindow::upload_summary(const Glib::ustring& title, const Glib::ustring& text) {
    Gtk::MessageDialog summary(*this, text, true, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, false);
    summary.add_button("Open Saved Survey", 3);
    summary.add_button("Start New Survey", 1);
    summary.add_button("Quit Program", 2);
    summary.set_title(title);
    summary.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(summary);
    summary.hide();
    return response;
}

RetCode SurveyWindow::do_upload_single(const std::string& path) {
    if (do_upload_file(path) != RC_OK) return check_for_updates("", 4);
    return check_for_updates(
        "",
        upload_summary("Upload Successful", "Survey uploaded successfully.\n" + step_one_notice()));
}

void SurveyWindow::do_upload_all_ready(const std::vector<std::string>& paths) {
    int succeeded = 0, failed = 0;
    for (const std::string& path : paths) {
        if (do_upload_file(path) == RC_OK) {
            ++succeeded;
            continue;
        }
        ++failed;
        // Not offered again in this run.
        std::string moved = path;
        if (app->move_survey_to(MyApp::IN_PROGRESS, moved) == RC_OK && path == survey_data.filename)
            survey_data.filename = moved;
        const std::vector<std::string> remaining = app->get_ready_survey_list();
        if (remaining.empty()) continue;
        Gtk::MessageDialog question(
            *this,
            "Continue uploading remaining surveys?\n\n" +
                escape_markup(app->prettify_survey_list(remaining, survey_data.filename)) +
                "\nClick Yes to contine uploading, or\nClick No to stop uploading.",
            true, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, true);
        question.add_button(Gtk::Stock::YES, Gtk::RESPONSE_YES);
        question.add_button(Gtk::Stock::NO, Gtk::RESPONSE_NO);
        question.set_title("Continue uploading surveys?");
        question.set_icon_list(MyApp::icon_list);
        const int response = run_dialog(question);
        question.hide();
        if (response != Gtk::RESPONSE_YES) break;
    }
    if (start_panel) start_panel->build_survey_model();
    Glib::ustring text;
    if (failed == 1) text = "Failed to upload one survey.\n";
    if (failed > 1) text = format("Failed to upload %d surveys.\n", failed);
    Glib::ustring title = "Upload Failed";
    if (succeeded > 0) {
        text += succeeded == 1
                    ? Glib::ustring("Successfully uploaded one survey.\n")
                    : Glib::ustring(format("Successfully uploaded %d surveys.\n", succeeded));
        text += step_one_notice();
        title = failed ? "Upload Partially Successful" : "Upload Successful";
    }
    check_for_updates("", upload_summary(title, text));
}
