#include "dialog-script.h"

#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/main.h>

namespace {
void collect_buttons(Gtk::Widget* w, std::vector<std::string>& out) {
    if (auto* b = dynamic_cast<Gtk::Button*>(w)) {
        out.push_back(b->get_label());
        return;
    }
    if (auto* c = dynamic_cast<Gtk::Container*>(w))
        for (auto* child : c->get_children())
            collect_buttons(child, out);
}
} // namespace

DialogScript::DialogScript() {
    set_dialog_responder([this](Gtk::Dialog& d) {
        SeenDialog s;
        s.title = d.get_title();
        s.text = dialog_message_text(d);
        if (auto* m = dynamic_cast<Gtk::MessageDialog*>(&d)) {
            s.message_type = m->property_message_type().get_value();
            s.use_markup = m->property_use_markup().get_value();
        }
        collect_buttons(d.get_action_area(), s.buttons);
        s.icon_count = d.get_icon_list().size();
        seen.push_back(s);
        if (script.empty()) {
            ADD_FAILURE() << "unexpected dialog \"" << s.title << "\": " << s.text;
            return static_cast<int>(Gtk::RESPONSE_DELETE_EVENT);
        }
        auto fn = script.front();
        script.pop_front();
        return fn(d);
    });
}

void install_unexpected_dialog_guard() {
    set_dialog_responder([](Gtk::Dialog& d) {
        ADD_FAILURE() << "unexpected dialog \"" << d.get_title() << "\": " << dialog_message_text(d);
        fprintf(stderr, "unexpected dialog \"%s\": %s\n", d.get_title().c_str(),
                dialog_message_text(d).c_str());
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
