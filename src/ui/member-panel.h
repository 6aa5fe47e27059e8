// The "Member Info" page: who did the survey.
#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/entry.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>

class MyApp;
class PageHost;

class MemberPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    PageHost* window = nullptr;
    int page_number = -1;
    Gtk::Entry* member_id = nullptr;
    Gtk::Entry* last_name = nullptr;
    // Under the entries when they were filled from the details kept on this
    // computer: a shared laptop must not send under someone else's number.
    Gtk::Label kept_note;

    MemberPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window);
    // Enter moves on: member number to last name, last name to the survey location.
    // Needs every page, so the window calls it once they all exist.
    void connect_focus_signals();
    void show_kept_details(bool shown);
};
