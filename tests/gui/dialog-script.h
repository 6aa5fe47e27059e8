// Answers the program's dialogs in tests and records what they showed.
#pragma once

#include "ui/dialogs.h"

#include <deque>
#include <string>
#include <vector>

struct SeenDialog {
    std::string title;
    std::string text;
};

class DialogScript {
public:
    // Installs itself as the responder; the destructor removes it and fails the
    // test when scripted answers were left over.
    DialogScript();
    ~DialogScript();
    // Queue the response for the next dialog.
    DialogScript& answer(int response);
    // Queue a callback that may look at or act on the dialog, and answers it.
    DialogScript& answer_with(std::function<int(Gtk::Dialog&)> fn);

    std::vector<SeenDialog> seen;

private:
    std::deque<std::function<int(Gtk::Dialog&)>> script;
};

// Outside a DialogScript, a dialog fails the test instead of waiting for a user.
void install_unexpected_dialog_guard();

// Lets the toolkit handle everything that is pending.
void run_pending_events();
