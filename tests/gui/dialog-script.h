// Answers the program's dialogs in tests and records what they showed.
#pragma once

#include "ui/dialogs.h"

#include <deque>
#include <gtkmm/dialog.h>
#include <gtkmm/messagedialog.h>
#include <string>
#include <vector>

struct SeenDialog {
    std::string title;
    std::string text;
    int message_type = -1;        // Gtk::MessageType, -1 when not a message dialog
    std::vector<std::string> buttons;  // labels of the action-area buttons
    size_t icon_count = 0;
    bool use_markup = false;
};

class DialogScript {
public:
    // Installs itself as the responder; the destructor removes it and fails the
    // test when scripted answers were left over.
    DialogScript();
    ~DialogScript();
    // Queue the response for the next dialog.
    DialogScript& answer(int response);
    // Queue a callback that may act on the dialog (fill a file chooser...) and answer.
    DialogScript& answer_with(std::function<int(Gtk::Dialog&)> fn);

    std::vector<SeenDialog> seen;

private:
    std::deque<std::function<int(Gtk::Dialog&)>> script;
};

// Outside a DialogScript, a dialog fails the test instead of waiting for a user.
void install_unexpected_dialog_guard();

// Lets the toolkit handle everything that is pending.
void run_pending_events();
