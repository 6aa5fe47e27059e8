#include "ui/member-panel.h"

#include "ui/drop-down-box.h"
#include "ui/page-host.h"

MemberPanel::MemberPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void MemberPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                 PageHost* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget("member_id", member_id);
    builder->get_widget("last_name", last_name);
    kept_note.set_text("Filled in from the last survey entered on this computer. Not you? Type "
                       "your own details, or choose Surveys > Forget Member Details.");
    kept_note.set_line_wrap(true);
    kept_note.set_xalign(0);
    kept_note.set_no_show_all(true);
    if (last_name) attach_next_to(kept_note, *last_name, Gtk::POS_BOTTOM);
}

void MemberPanel::show_kept_details(bool shown) {
    kept_note.set_visible(shown);
}

void MemberPanel::connect_focus_signals() {
    if (member_id && last_name)
        member_id->signal_activate().connect([this]() { last_name->grab_focus(); });
    if (last_name) last_name->signal_activate().connect([this]() { window->focus_location(); });
}
