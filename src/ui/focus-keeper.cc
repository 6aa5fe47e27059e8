#include "ui/focus-keeper.h"

#include <glibmm/main.h>
#include <gtkmm/container.h>

namespace {

// A reference of our own to the widget, or null when it is gone.
GtkWidget* take(GWeakRef& ref) {
    return static_cast<GtkWidget*>(g_weak_ref_get(&ref));
}

// Points each container from window down to widget at the child holding it, so
// that moving the focus starts from widget, as if it were still focused.
void set_focus_path(GtkWidget* widget, GtkWidget* window) {
    for (GtkWidget* child = widget; child != window;) {
        GtkWidget* parent = gtk_widget_get_parent(child);
        if (!parent) return;
        gtk_container_set_focus_child(GTK_CONTAINER(parent), child);
        child = parent;
    }
}

void clear_focus_path(GtkWidget* widget, GtkWidget* window) {
    for (GtkWidget* w = widget; w != window && w; w = gtk_widget_get_parent(w))
        if (GtkWidget* parent = gtk_widget_get_parent(w))
            gtk_container_set_focus_child(GTK_CONTAINER(parent), nullptr);
}

} // namespace

FocusKeeper::FocusKeeper(Gtk::Window& window) : window(window) {
    g_weak_ref_init(&focused, nullptr);
    g_weak_ref_init(&locked, nullptr);
    window.signal_set_focus().connect(sigc::mem_fun(*this, &FocusKeeper::on_set_focus));
}

FocusKeeper::~FocusKeeper() {
    pending.disconnect();
    g_weak_ref_clear(&focused);
    g_weak_ref_clear(&locked);
}

// The toolkit drops the focus of a control that turns insensitive, so a user on
// the keyboard would find it nowhere. Moving it on waits until the change that
// locked the control is over.
void FocusKeeper::on_set_focus(Gtk::Widget* focus) {
    GtkWidget* before = take(focused);
    g_weak_ref_set(&focused, focus ? focus->gobj() : nullptr);
    if (before && !focus && gtk_widget_is_visible(before) && !gtk_widget_is_sensitive(before)) {
        g_weak_ref_set(&locked, before);
        if (!pending.connected())
            pending = Glib::signal_idle().connect(
                [this] {
                    move_on();
                    return false;
                },
                Glib::PRIORITY_HIGH_IDLE);
    }
    if (before) g_object_unref(before);
}

void FocusKeeper::move_on() {
    GtkWidget* from = take(locked);
    g_weak_ref_set(&locked, nullptr);
    if (!from) return;
    GtkWidget* top = GTK_WIDGET(window.gobj());
    // Something else may have taken the focus meanwhile, or the control moved away.
    if (!window.get_focus() && gtk_widget_get_toplevel(from) == top) {
        set_focus_path(from, top);
        // Past the last control Tab starts again at the top of the window.
        if (!window.child_focus(Gtk::DIR_TAB_FORWARD)) {
            clear_focus_path(from, top);
            window.child_focus(Gtk::DIR_TAB_FORWARD);
        }
    }
    g_object_unref(from);
}
