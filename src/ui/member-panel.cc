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
}

void MemberPanel::connect_focus_signals() {
    if (member_id && last_name)
        member_id->signal_activate().connect([this]() { last_name->grab_focus(); });
    if (last_name) last_name->signal_activate().connect([this]() { window->focus_location(); });
}
