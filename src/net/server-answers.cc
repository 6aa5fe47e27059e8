#include "net/server-answers.h"

namespace {

std::optional<std::string> header(const NetAnswer& answer, const char* name) {
    const char* value = answer.header(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

unsigned status_of(const NetAnswer& answer) {
    return answer.answered ? answer.status : 0;
}

} // namespace

std::string no_answer_text(const NetAnswer& answer, const std::string& url) {
    if (answer.answered) return "";
    return "No answer from the TAVRO server at " + NetSession::server_of(url) + ": " +
           answer.failure;
}

UploadVerdict judge_upload(const NetAnswer& answer, const std::string& url) {
    UploadVerdict verdict;
    const std::string failed = "Failed to upload file: ";
    const char* unknown = "Unknown (error header missing)";
    if (!answer.answered) {
        verdict.outcome = UploadVerdict::NO_ANSWER;
        verdict.maybe_taken = answer.body_sent;
        verdict.message = failed + unknown + "\n" + no_answer_text(answer, url);
    } else if (!answer.location.empty() && answer.status >= 300 && answer.status < 400) {
        // A redirect is never followed with the survey: it did not arrive.
        verdict.message =
            failed + "the server sent it on to " + answer.location + ", where it was not sent";
    } else if (answer.status != 201) {
        const char* why = answer.header("X-Survey-Upload-Error");
        verdict.message = failed + (why ? why : unknown);
    } else if (!answer.header("X-Survey-Upload-Successful")) {
        verdict.message = "Confusion: response is 201 but success header is missing!?";
    } else {
        verdict.outcome = UploadVerdict::ACCEPTED;
    }
    return verdict;
}

ProgramOffer::ProgramOffer(const NetAnswer& answer)
    : status(status_of(answer)), version(header(answer, "X-Current-App-Version-Is")),
      download(header(answer, "X-Download-App-From")) {}

DataOffer::DataOffer(const NetAnswer& answer)
    : status(status_of(answer)), version(header(answer, "X-Current-Data-Version-Is")),
      updated(header(answer, "X-Data-Last-Updated-Is")),
      archive(header(answer, "X-Download-Data-Files-From")) {}

bool is_data_archive(const NetAnswer& answer) {
    const char* type = answer.header("Content-Type");
    return status_of(answer) == 200 && type && std::string(type) == "application/x-bzip2";
}
