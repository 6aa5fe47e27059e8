#include "app/upload-report.h"

#include "core/errors.h"
#include "core/misc.h"

#include <algorithm>

std::string step_one_notice(const std::string& address) {
    const auto scheme = address.find("://");
    const std::string shown = scheme == std::string::npos ? address : address.substr(scheme + 3);
    return "Step 1 of 2 completed. <b>You are not done yet!</b> To transmit your surveys to TAVRO, "
           "logon to the TAVRO Online Data Entry page (<a href=\"" +
           escape_markup(address).raw() + "\">" + escape_markup(shown).raw() +
           "</a>) to error check and submit your survey(s).";
}

std::string sent_before_question(const std::vector<MyAppCore::SentBefore>& sent) {
    std::string text;
    for (const MyAppCore::SentBefore& before : sent)
        text += "A survey with the same contents was sent to TAVRO on " + before.when + " (" +
                before.name + ")." + (sent.size() > 1 ? "\n" : " ");
    return text + (sent.size() > 1 ? "Send them again?" : "Send it again?");
}

void drop_sent_before(std::vector<std::string>& paths,
                      const std::vector<MyAppCore::SentBefore>& sent) {
    for (const MyAppCore::SentBefore& before : sent)
        paths.erase(std::remove(paths.begin(), paths.end(), before.path), paths.end());
}

UploadSummary summarize_uploads(int succeeded, int failed, const std::string& entry_address) {
    UploadSummary summary{"Upload Failed", ""};
    if (failed == 1) summary.text = "Failed to upload one survey.\n";
    if (failed > 1) summary.text = format("Failed to upload %d surveys.\n", failed);
    if (succeeded > 0) {
        summary.text += succeeded == 1 ? std::string("Successfully uploaded one survey.\n")
                                       : format("Successfully uploaded %d surveys.\n", succeeded);
        summary.text += step_one_notice(entry_address);
        summary.title = failed ? "Upload Partially Successful" : "Upload Successful";
    }
    return summary;
}
