// What the TAVRO server's answers to an upload and to the version queries
// mean, read from their status and headers; the windows only show it.
#pragma once

#include "net/net-session.h"

#include <optional>
#include <string>

// "No answer from the TAVRO server at host: why" when none came; empty otherwise.
std::string no_answer_text(const NetAnswer& answer, const std::string& url);

// One survey upload as the server answered it.
struct UploadVerdict {
    // Refused: the server had the survey and did not take it. No answer:
    // nothing is known, so the survey stays ready to be sent again.
    enum Outcome { ACCEPTED, REFUSED, NO_ANSWER } outcome = REFUSED;
    // The file went out whole before the answer failed: the server may hold it.
    bool maybe_taken = false;
    std::string message; // why it failed, plain text
};
// url: where the survey was sent.
UploadVerdict judge_upload(const NetAnswer& answer, const std::string& url);

// The newest program version and where to get it.
struct ProgramOffer {
    explicit ProgramOffer(const NetAnswer& answer);
    unsigned status = 0; // 0 when no answer came
    std::optional<std::string> version, download;
    bool complete() const { return status == 200 && version && download; }
};

// The newest data set: its version, when it was updated, and its archive.
struct DataOffer {
    explicit DataOffer(const NetAnswer& answer);
    unsigned status = 0; // 0 when no answer came
    std::optional<std::string> version, updated, archive;
    bool complete() const { return status == 200 && version && updated && archive; }
    // Whether it is another set than the one in use (its version; null when none is).
    bool differs_from(const std::string* in_use) const { return !in_use || *version != *in_use; }
};

// Whether a download's answer is the data archive, not some other page.
bool is_data_archive(const NetAnswer& answer);
