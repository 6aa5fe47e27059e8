#include "app/recovery-keeper.h"

#include "core/errors.h"

#include <cstdio>
#include <stdexcept>

unsigned RecoveryKeeper::delay_ms = 2000;

RecoveryKeeper::RecoveryKeeper(std::string copies_folder, Source& of)
    : folder(std::move(copies_folder)), source(of) {}

RecoveryKeeper::~RecoveryKeeper() {
    timer.disconnect();
}

void RecoveryKeeper::note_change() {
    // Only a timer restart per keystroke: the copy is made once typing
    // pauses, but typing that goes on puts it off by two waits at most.
    const gint64 now = g_get_monotonic_time();
    if (!timer.connected())
        due_since = now;
    else if (now - due_since > 2000 * gint64(delay_ms))
        return;
    timer.disconnect();
    timer = Glib::signal_timeout().connect(
        [this] {
            update();
            return false;
        },
        delay_ms);
}

bool RecoveryKeeper::update() {
    timer.disconnect();
    if (!source.holds_unsaved()) {
        if (copies) copies->remove();
        written.clear();
        return true;
    }
    std::string document;
    // A survey that can't be written has no copy to keep either.
    if (!source.current_document(document)) return false;
    if (document == written) return true;
    if (!copies) copies = std::make_unique<RecoveryStore>(folder);
    try {
        copies->write(document, source.origin());
    } catch (const std::exception& e) {
        // Only printed: a report every few seconds would keep the user from working.
        printf("Can't keep a recovery copy of the survey: %s\n", e.what());
        return false;
    }
    written = document;
    if (debug_level > 0) printf("recovery copy written to %s\n", copies->survey_path().c_str());
    return true;
}

void RecoveryKeeper::drop(const std::string& document) {
    timer.disconnect();
    if (copies) copies->remove();
    written = document;
}

void RecoveryKeeper::stop() {
    timer.disconnect();
    copies.reset();
}
