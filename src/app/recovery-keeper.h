// Keeps a copy of a survey's unsaved answers on disk while it is open: a
// moment after the last change the document is written into the recovery
// store, and removed once nothing is unsaved.
#pragma once

#include "app/recovery-store.h"

#include <glibmm/main.h>
#include <memory>
#include <string>

class RecoveryKeeper {
public:
    // The survey the copies are of.
    class Source {
    public:
        // Whether it holds answers that are not saved.
        virtual bool holds_unsaved() = 0;
        // The document as a save would write it; false when it can't be written.
        virtual bool current_document(std::string& document) = 0;
        // Where its file is, for the offer to restore it.
        virtual RecoveryStore::Origin origin() const = 0;

    protected:
        ~Source() = default;
    };

    // The wait after a change, settable for tests.
    static unsigned delay_ms;

    RecoveryKeeper(std::string folder, Source& source);
    ~RecoveryKeeper();
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    // Restarts the wait; called on every change of the survey.
    void note_change();
    // Writes the copy, or removes it when nothing is unsaved; false when the
    // survey holds unsaved answers that are not on disk in a copy.
    bool update();
    // The answers now in document are dealt with (saved or abandoned): no
    // copy, and the same answers are not copied again; a further change is.
    void drop(const std::string& document);
    // Answers just loaded from a copy: copied again at the next update.
    void forget_written() { written.clear(); }
    // The window goes normally: the copy of any abandoned answers goes too.
    void stop();
    // The store, made with the first copy; null before.
    RecoveryStore* store() const { return copies.get(); }

private:
    std::string folder;
    Source& source;
    std::unique_ptr<RecoveryStore> copies;
    sigc::connection timer;
    gint64 due_since = 0; // first change the pending timer waits on
    std::string written;  // what the copy holds, or was dropped with
};
