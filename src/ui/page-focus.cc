#include "ui/page-focus.h"

#include <functional>
#include <gtkmm/combobox.h>
#include <gtkmm/entry.h>
#include <gtkmm/togglebutton.h>

namespace {

Gtk::Entry* first_entry(Gtk::Widget& within, Gtk::Widget& window) {
    Gtk::Entry* first = nullptr;
    int first_x = 0, first_y = 0;
    std::function<void(Gtk::Widget&)> look = [&](Gtk::Widget& w) {
        if (!w.get_mapped() || !w.is_sensitive()) return;
        auto* e = dynamic_cast<Gtk::Entry*>(&w);
        int x = 0, y = 0;
        if (e && e->get_can_focus() && e->get_editable() &&
            e->translate_coordinates(window, 0, 0, x, y) &&
            (!first || y < first_y || (y == first_y && x < first_x)))
            first = e, first_x = x, first_y = y;
        if (auto* c = dynamic_cast<Gtk::Container*>(&w))
            for (Gtk::Widget* child : c->get_children())
                look(*child);
    };
    look(within);
    return first;
}

} // namespace

void focus_page_top(Gtk::Window& window, Gtk::Widget& page, bool entry) {
    if (Gtk::Entry* first = entry ? first_entry(page, window) : nullptr) {
        first->grab_focus();
        return;
    }
    window.unset_focus();
    page.child_focus(Gtk::DIR_TAB_FORWARD);
}

void show_and_focus(Gtk::Notebook& notebook, Gtk::Widget* widget) {
    for (Gtk::Widget* page = widget; page; page = page->get_parent())
        if (page->get_parent() == &notebook) {
            notebook.set_current_page(notebook.page_num(*page));
            widget->grab_focus();
            return;
        }
}

void on_any_change(Gtk::Widget& widget, const sigc::slot<void>& changed) {
    if (auto* entry = dynamic_cast<Gtk::Entry*>(&widget))
        entry->signal_changed().connect(changed);
    else if (auto* combo = dynamic_cast<Gtk::ComboBox*>(&widget))
        combo->signal_changed().connect(changed);
    else if (auto* toggle = dynamic_cast<Gtk::ToggleButton*>(&widget))
        toggle->signal_toggled().connect(changed);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            on_any_change(*child, changed);
}
