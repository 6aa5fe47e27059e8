// Reading the server's answers to an upload and to the version queries, and
// the texts around uploads.
#include "app/upload-report.h"
#include "net/server-answers.h"

#include <gtest/gtest.h>

namespace {

NetAnswer answered(unsigned status, std::vector<std::pair<std::string, std::string>> headers) {
    NetAnswer answer;
    answer.answered = true;
    answer.status = status;
    answer.headers = std::move(headers);
    return answer;
}

TEST(UploadAnswers, OnlyA201WithTheSuccessHeaderIsTaken) {
    const std::string url = "http://example.org:8080/dataentry/upload.php";
    EXPECT_EQ(judge_upload(answered(201, {{"x-survey-upload-successful", "1"}}), url).outcome,
              UploadVerdict::ACCEPTED);
    const UploadVerdict confused = judge_upload(answered(201, {}), url);
    EXPECT_EQ(confused.outcome, UploadVerdict::REFUSED);
    EXPECT_EQ(confused.message, "Confusion: response is 201 but success header is missing!?");
    // The server's reason stays plain text: the window escapes it.
    EXPECT_EQ(judge_upload(answered(500, {{"X-Survey-Upload-Error", "bad <zone>"}}), url).message,
              "Failed to upload file: bad <zone>");
    NetAnswer moved = answered(302, {{"X-Survey-Upload-Successful", "1"}});
    moved.location = "https://elsewhere/";
    EXPECT_EQ(judge_upload(moved, url).message,
              "Failed to upload file: the server sent it on to https://elsewhere/, where it was "
              "not sent");
    // A 3xx without a place to go is an ordinary refusal.
    EXPECT_EQ(judge_upload(answered(304, {}), url).message,
              "Failed to upload file: Unknown (error header missing)");

    NetAnswer silent;
    silent.failure = "timed out";
    silent.body_sent = true;
    const UploadVerdict lost = judge_upload(silent, url);
    EXPECT_EQ(lost.outcome, UploadVerdict::NO_ANSWER);
    EXPECT_TRUE(lost.maybe_taken);
    silent.body_sent = false;
    EXPECT_FALSE(judge_upload(silent, url).maybe_taken);
}

TEST(UploadAnswers, OffersNeedEveryHeaderAndA200) {
    const std::vector<std::pair<std::string, std::string>> program = {
        {"X-Current-App-Version-Is", "1.2"}, {"X-Download-App-From", "http://x/"}};
    EXPECT_TRUE(ProgramOffer(answered(200, program)).complete());
    EXPECT_FALSE(ProgramOffer(answered(404, program)).complete());
    EXPECT_FALSE(ProgramOffer(answered(200, {program[0]})).complete());
    NetAnswer none;
    none.status = 200; // left over, without an answer
    EXPECT_EQ(ProgramOffer(none).status, 0u);

    std::vector<std::pair<std::string, std::string>> data = {
        {"X-Current-Data-Version-Is", "2099-01-01 00:00:00"},
        {"X-Data-Last-Updated-Is", "1 Jan 2099"},
        {"X-Download-Data-Files-From", "http://x/data.tar.bz2"}};
    const DataOffer offer(answered(200, data));
    ASSERT_TRUE(offer.complete());
    const std::string same = "2099-01-01 00:00:00", older = "2020-01-01 00:00:00";
    EXPECT_FALSE(offer.differs_from(&same));
    EXPECT_TRUE(offer.differs_from(&older));
    EXPECT_TRUE(offer.differs_from(nullptr)); // no set in use: any is offered
    data.pop_back();
    EXPECT_FALSE(DataOffer(answered(200, data)).complete());

    EXPECT_FALSE(is_data_archive(answered(200, {{"Content-Type", "text/html"}})));
    EXPECT_FALSE(is_data_archive(answered(200, {})));
    EXPECT_FALSE(is_data_archive(answered(404, {{"Content-Type", "application/x-bzip2"}})));
}

TEST(UploadReport, SummaryAndSentBeforeQuestion) {
    const std::string notice = step_one_notice("http://a.org/entry?x=1&y=2");
    EXPECT_NE(notice.find("<a href=\"http://a.org/entry?x=1&amp;y=2\">a.org/entry?x=1&amp;y=2</a>"),
              std::string::npos);
    EXPECT_NE(step_one_notice("a.org/e").find(">a.org/e</a>"), std::string::npos);

    const auto text = [](int sent, int failed) {
        return summarize_uploads(sent, failed, "http://a.org/").text;
    };
    EXPECT_EQ(text(0, 0), "");
    EXPECT_EQ(text(0, 1), "Failed to upload one survey.\n");
    EXPECT_EQ(text(2, 3), "Failed to upload 3 surveys.\nSuccessfully uploaded 2 surveys.\n" +
                              step_one_notice("http://a.org/"));
    EXPECT_EQ(text(1, 0).rfind("Successfully uploaded one survey.\nStep 1 of 2", 0), 0u);

    const MyAppCore::SentBefore a{"/r/a", "May 1", "a.TAVRO-Survey"};
    const MyAppCore::SentBefore b{"/r/b", "May 2", "b.TAVRO-Survey"};
    EXPECT_EQ(sent_before_question({a}), "A survey with the same contents was sent to TAVRO on "
                                         "May 1 (a.TAVRO-Survey). Send it again?");
    EXPECT_EQ(sent_before_question({a, b}),
              "A survey with the same contents was sent to TAVRO on May 1 (a.TAVRO-Survey).\n"
              "A survey with the same contents was sent to TAVRO on May 2 (b.TAVRO-Survey).\n"
              "Send them again?");
    std::vector<std::string> paths = {"/r/a", "/r/c", "/r/b", "/r/a"};
    drop_sent_before(paths, {a, b});
    EXPECT_EQ(paths, std::vector<std::string>{"/r/c"});
}

} // namespace
