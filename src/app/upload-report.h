// What the volunteer is told around uploads: the question about surveys sent
// before, and the summary after a batch. Markup where it says so.
#pragma once

#include "app/my-app-core.h"

#include <string>
#include <vector>

// "Step 1 of 2 completed...": the surveys still wait on the online data entry
// page at address, linked. Markup.
std::string step_one_notice(const std::string& address);

// The question whether to send again surveys the server may hold already.
std::string sent_before_question(const std::vector<MyAppCore::SentBefore>& sent);
// paths without those sent before.
void drop_sent_before(std::vector<std::string>& paths,
                      const std::vector<MyAppCore::SentBefore>& sent);

// The summary after uploading several surveys, with the next step once any
// went. Markup.
struct UploadSummary {
    std::string title, text;
};
UploadSummary summarize_uploads(int succeeded, int failed, const std::string& entry_address);
