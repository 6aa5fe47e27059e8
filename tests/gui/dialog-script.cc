#include "dialog-script.h"

#include <gtest/gtest.h>
#include <gtkmm/main.h>

DialogScript::DialogScript() {
    set_dialog_responder([this](Gtk::Dialog& d) {
        seen.push_back({d.get_title(), dialog_message_text(d)});
        if (script.empty()) {
            ADD_FAILURE() << "unexpected dialog \"" << seen.back().title
                          << "\": " << seen.back().text;
            return static_cast<int>(Gtk::RESPONSE_DELETE_EVENT);
        }
        auto fn = script.front();
        script.pop_front();
        return fn(d);
    });
}

void install_unexpected_dialog_guard() {
    set_dialog_responder([](Gtk::Dialog& d) {
        ADD_FAILURE() << "unexpected dialog \"" << d.get_title()
                      << "\": " << dialog_message_text(d);
        return static_cast<int>(Gtk::RESPONSE_DELETE_EVENT);
    });
}

DialogScript::~DialogScript() {
    install_unexpected_dialog_guard();
    EXPECT_TRUE(script.empty()) << script.size() << " scripted dialog answer(s) not used";
}

DialogScript& DialogScript::answer(int response) {
    script.push_back([response](Gtk::Dialog&) { return response; });
    return *this;
}

DialogScript& DialogScript::answer_with(std::function<int(Gtk::Dialog&)> fn) {
    script.push_back(std::move(fn));
    return *this;
}

void run_pending_events() {
    while (Gtk::Main::events_pending())
        Gtk::Main::iteration();
}
