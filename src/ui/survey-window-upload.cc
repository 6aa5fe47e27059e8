// Uploading surveys to the TAVRO server, one file per request.
#include "core/errors.h"
#include "core/misc.h"
#include "net/upload-log.h"
#include "survey/survey-file.h"
#include "ui/confirm-panel.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/progress-window.h"
#include "ui/start-panel.h"
#include "ui/survey-window.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <giomm/file.h>
#include <glibmm/miscutils.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/stock.h>

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

NetSession& SurveyWindow::network() {
    if (!net) {
        // One exchange at a time: the window waits for it, drawing, with
        // a way to stop it, and takes no other command meanwhile.
        net = NetSession::create();
        progress = std::make_unique<ProgressWindow>(*this, *net);
        net->progress = progress.get();
        menus.action_group->set_sensitive(false);
    }
    return *net;
}

void SurveyWindow::end_network() {
    if (!net) return;
    progress.reset();
    net.reset();
    menus.action_group->set_sensitive(true);
}

void SurveyWindow::record_upload(const std::string& bytes, const std::string& name,
                                 const char* verdict) {
    try {
        UploadLog(app->upload_log_path()).record(bytes, name, verdict);
    } catch (const std::exception& e) {
        printf("%s\n", e.what()); // the upload itself is done; the server has it
    }
}

bool SurveyWindow::send_again(std::vector<std::string>& paths) {
    const std::vector<MyApp::SentBefore> sent = app->sent_before(paths);
    if (sent.empty()) return true;
    Glib::ustring text;
    for (const MyApp::SentBefore& before : sent)
        text += "A survey with the same contents was sent to TAVRO on " + before.when + " (" +
                before.name + ")." + (sent.size() > 1 ? "\n" : " ");
    if (ask_or_cancel(*this, "Survey Sent Before",
                      text + (sent.size() > 1 ? "Send them again?" : "Send it again?"), "",
                      "Send Again"))
        return true;

    for (const MyApp::SentBefore& before : sent)
        paths.erase(std::remove(paths.begin(), paths.end(), before.path), paths.end());
    return false;
}

RetCode SurveyWindow::do_upload_file(const std::string& path) {
    // Only a survey is sent, read the one safe way; anything else in the
    // folder stays where it is.
    upload_failure = NOT_SENT;
    std::string bytes;
    Glib::ustring why;
    SurveyDocument survey;
    if (!read_survey_file(path, bytes, why) || !survey.load_text(bytes))
        return error("Failed to read survey file %s", escape_markup(path).c_str());
    const std::string name = Glib::path_get_basename(path);
    NetSession& session = network();
    progress->step(upload_step.empty() ? "Uploading " + name : upload_step);
    const NetAnswer answer = session.upload(app->upload_url, name, bytes);
    if (debug_level > 0) printf("upload response code is %u\n", answer.status);
    if (!answer.answered) {
        // No answer is no refusal: the survey stays ready to be sent again.
        upload_failure = NO_ANSWER;
        if (answer.body_sent) record_upload(bytes, name, "maybe");
        return titled_error(
            "Upload Failed!", "Failed to upload file: Unknown (error header missing)\n%s",
            escape_markup("No answer from the TAVRO server at " +
                          NetSession::server_of(app->upload_url) + ": " + answer.failure)
                .c_str());
    }
    upload_failure = REFUSED;
    const char* failure = answer.header("X-Survey-Upload-Error");
    if (!answer.location.empty() && answer.status >= 300 && answer.status < 400)
        return titled_error(
            "Upload Failed!", "Failed to upload file: %s",
            escape_markup("the server sent it on to " + answer.location + ", where it was not sent")
                .c_str());
    if (answer.status != 201)
        return titled_error("Upload Failed!", "Failed to upload file: %s",
                            failure ? escape_markup(failure).c_str()
                                    : "Unknown (error header missing)");
    if (!answer.header("X-Survey-Upload-Successful"))
        return titled_error("Upload Failed!",
                            "Confusion: response is %d but success header is missing!?", 201);
    record_upload(bytes, name, "accepted");
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
    summary.add_button("Open Saved Survey", OPEN_SAVED_SURVEY);
    summary.add_button("Start New Survey", START_NEW_SURVEY);
    summary.add_button("Quit Program", QUIT_PROGRAM);
    summary.set_title(title);
    summary.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(summary);
    summary.hide();
    return response;
}

RetCode SurveyWindow::do_upload_single(const std::string& path) {
    std::vector<std::string> one = {path};
    if (!send_again(one)) return RC_CANCELLED;
    upload_step.clear();
    if (do_upload_file(path) != RC_OK) return check_for_updates("", NOTHING_FURTHER);
    return check_for_updates(
        "",
        upload_summary("Upload Successful", "Survey uploaded successfully.\n" + step_one_notice()));
}

void SurveyWindow::do_upload_all_ready(const std::vector<std::string>& all) {
    std::vector<std::string> paths = all;
    send_again(paths);
    int succeeded = 0, failed = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        upload_step =
            format("Uploading %zu of %zu: ", i + 1, paths.size()) + Glib::path_get_basename(path);
        if (do_upload_file(path) == RC_OK) {
            ++succeeded;
            continue;
        }
        ++failed;
        // Without an answer nothing is wrong with the surveys: they all stay
        // ready, and the rest is not tried.
        if (upload_failure == NO_ANSWER) break;
        if (upload_failure == NOT_SENT) continue;
        // Refused: not offered again in this run.
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
    upload_step.clear();
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
