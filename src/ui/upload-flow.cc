#include "ui/upload-flow.h"

#include "app/upload-report.h"
#include "core/misc.h"
#include "net/server-answers.h"
#include "net/upload-log.h"
#include "survey/survey-file.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/update-check.h"

#include <cstdio>
#include <exception>
#include <glibmm/miscutils.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/stock.h>

using FollowUp = UpdateCheck::Host;

bool UploadFlow::upload_question(const Glib::ustring& text, bool with_no, int& response) {
    Gtk::MessageDialog question(host.dialog_parent(), text, true, Gtk::MESSAGE_INFO,
                                Gtk::BUTTONS_NONE, true);
    question.add_button(Gtk::Stock::YES, Gtk::RESPONSE_YES);
    if (with_no) question.add_button(Gtk::Stock::NO, Gtk::RESPONSE_NO);
    question.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
    question.set_title("Upload all surveys that are ready?");
    question.set_icon_list(MyApp::icon_list);
    response = run_dialog(question);
    question.hide();
    return response == Gtk::RESPONSE_YES;
}

void UploadFlow::on_upload_button() {
    if (!host.ready_to_upload()) return;
    if (host.save_for_upload() != RC_OK) return;
    const std::vector<std::string> ready = app.get_ready_survey_list();
    if (ready.size() <= 1) {
        upload_single(survey.filename);
        return;
    }
    int response = 0;
    if (upload_question("The following surveys are ready to be uploaded:\n\n" +
                            escape_markup(app.prettify_survey_list(ready, survey.filename)) +
                            "\nUpload all of these now?\nClick Yes to upload all of them now,\n"
                            "Click No to upload only the currently open survey, or\nClick Cancel "
                            "to not upload anything yet.",
                        true, response))
        upload_all_ready(ready);
    else if (response != Gtk::RESPONSE_CANCEL)
        upload_single(survey.filename);
}

void UploadFlow::upload_this() {
    if (survey.already_uploaded) {
        titled_error("ERROR: Survey Already Uploaded!!!",
                     "This survey was already uploaded and cannot be changed offline.");
        return;
    }
    if (!host.ready_to_upload()) return;
    if (host.save_for_upload() == RC_OK) upload_single(survey.filename);
}

void UploadFlow::upload_all() {
    const std::string ready_dir = app.get_survey_dir(MyApp::READY_TO_UPLOAD) + "/";
    if (survey.filename.compare(0, ready_dir.size(), ready_dir) == 0 && host.file_needs_saving())
        host.save_for_upload();
    const std::vector<std::string> ready = app.get_ready_survey_list();
    if (ready.empty()) {
        titled_error("No Surveys Ready!",
                     "No surveys are marked as ready to upload.\nFor each survey that you wish "
                     "to upload, please open it and then click the \"Mark For Upload\" button.");
        return;
    }
    int response = 0;
    if (upload_question("The following surveys are ready to be uploaded:\n\n" +
                            escape_markup(app.prettify_survey_list(ready, survey.filename)) +
                            "\nUpload all of these now?\nClick Yes to upload all of them now, or\n"
                            "Click Cancel to not upload anything yet.",
                        false, response))
        upload_all_ready(ready);
}

void UploadFlow::record_upload(const std::string& bytes, const std::string& name,
                               const char* verdict) {
    try {
        UploadLog(app.upload_log_path()).record(bytes, name, verdict);
    } catch (const std::exception& e) {
        printf("%s\n", e.what()); // the upload itself is done; the server has it
    }
}

bool UploadFlow::send_again(std::vector<std::string>& paths) {
    const std::vector<MyApp::SentBefore> sent = app.sent_before(paths);
    if (sent.empty()) return true;
    if (ask_or_cancel(host.dialog_parent(), "Survey Sent Before", sent_before_question(sent), "",
                      "Send Again"))
        return true;
    drop_sent_before(paths, sent);
    return false;
}

RetCode UploadFlow::fail(const std::string& message) {
    return titled_error("Upload Failed!", "%s", escape_markup(message).c_str());
}

RetCode UploadFlow::upload_file(const std::string& path) {
    // Only a survey is sent, read the one safe way; anything else in the
    // folder stays where it is.
    failure = NOT_SENT;
    std::string bytes;
    Glib::ustring why;
    SurveyDocument document;
    if (!read_survey_file(path, bytes, why) || !document.load_text(bytes))
        return error("Failed to read survey file %s", escape_markup(path).c_str());
    const std::string name = Glib::path_get_basename(path);
    NetSession& session = host.network();
    session.progress->step(step.empty() ? "Uploading " + name : step);
    const NetAnswer answer = session.upload(app.upload_url, name, bytes);
    if (debug_level > 0) printf("upload response code is %u\n", answer.status);
    const UploadVerdict verdict = judge_upload(answer, app.upload_url);
    if (verdict.outcome == UploadVerdict::NO_ANSWER) {
        // No answer is no refusal: the survey stays ready to be sent again.
        failure = NO_ANSWER;
        if (verdict.maybe_taken) record_upload(bytes, name, "maybe");
        return fail(verdict.message);
    }
    failure = REFUSED;
    if (verdict.outcome == UploadVerdict::REFUSED) return fail(verdict.message);
    record_upload(bytes, name, "accepted");
    const bool open_survey = path == survey.filename;
    if (open_survey) host.set_survey_is_uploaded();
    std::string moved = path;
    app.move_survey_to(MyApp::UPLOADED, moved);
    host.refresh_survey_list();
    if (open_survey) survey.filename = moved;
    return RC_OK;
}

int UploadFlow::upload_summary(const Glib::ustring& title, const Glib::ustring& text) {
    Gtk::MessageDialog summary(host.dialog_parent(), text, true, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK,
                               false);
    summary.add_button("Open Saved Survey", FollowUp::OPEN_SAVED_SURVEY);
    summary.add_button("Start New Survey", FollowUp::START_NEW_SURVEY);
    summary.add_button("Quit Program", FollowUp::QUIT_PROGRAM);
    summary.set_default_response(Gtk::RESPONSE_OK);
    summary.set_title(title);
    summary.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(summary);
    summary.hide();
    return response;
}

RetCode UploadFlow::upload_single(const std::string& path) {
    std::vector<std::string> one = {path};
    if (!send_again(one)) return RC_CANCELLED;
    step.clear();
    if (upload_file(path) != RC_OK) return host.check_for_updates("", FollowUp::NOTHING_FURTHER);
    return host.check_for_updates(
        "", upload_summary("Upload Successful", "Survey uploaded successfully.\n" +
                                                    step_one_notice(MyAppCore::web_entry_url())));
}

bool UploadFlow::continue_after_refusal() {
    const std::vector<std::string> remaining = app.get_ready_survey_list();
    if (remaining.empty()) return true;
    Gtk::MessageDialog question(
        host.dialog_parent(),
        "Continue uploading remaining surveys?\n\n" +
            escape_markup(app.prettify_survey_list(remaining, survey.filename)) +
            "\nClick Yes to contine uploading, or\nClick No to stop uploading.",
        true, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, true);
    question.add_button(Gtk::Stock::YES, Gtk::RESPONSE_YES);
    question.add_button(Gtk::Stock::NO, Gtk::RESPONSE_NO);
    question.set_title("Continue uploading surveys?");
    question.set_icon_list(MyApp::icon_list);
    const int response = run_dialog(question);
    question.hide();
    return response == Gtk::RESPONSE_YES;
}

void UploadFlow::upload_all_ready(const std::vector<std::string>& all) {
    std::vector<std::string> paths = all;
    send_again(paths);
    int succeeded = 0, failed = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        step =
            format("Uploading %zu of %zu: ", i + 1, paths.size()) + Glib::path_get_basename(path);
        if (upload_file(path) == RC_OK) {
            ++succeeded;
            continue;
        }
        ++failed;
        // Without an answer nothing is wrong with the surveys: they all stay
        // ready, and the rest is not tried.
        if (failure == NO_ANSWER) break;
        if (failure == NOT_SENT) continue;
        // Refused: not offered again in this run.
        std::string moved = path;
        if (app.move_survey_to(MyApp::IN_PROGRESS, moved) == RC_OK && path == survey.filename)
            survey.filename = moved;
        if (!continue_after_refusal()) break;
    }
    step.clear();
    host.refresh_survey_list();
    const UploadSummary summary = summarize_uploads(succeeded, failed, MyAppCore::web_entry_url());
    host.check_for_updates("", upload_summary(summary.title, summary.text));
}
