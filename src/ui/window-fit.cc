#include "ui/window-fit.h"

#include <algorithm>
#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <gtkmm/scrolledwindow.h>
#include <sigc++/adaptors/track_obj.h>

namespace {

void widen(Gtk::Window& window, Gtk::Notebook& notebook) {
    // Each page lies in a scroller of its own, which lets it be narrower
    // than the page asks.
    auto* scroller =
        dynamic_cast<Gtk::ScrolledWindow*>(notebook.get_nth_page(notebook.get_current_page()));
    Gtk::Widget* page = scroller ? scroller->get_child() : nullptr;
    if (!page || !window.get_realized() || scroller->get_allocated_width() <= 1) return;
    int least = 0, natural = 0;
    page->get_preferred_width(least, natural);
    const int short_by = least - scroller->get_allocated_width();
    if (short_by <= 0) return;
    Gdk::Rectangle area;
    window.get_display()->get_monitor_at_window(window.get_window())->get_workarea(area);
    window.resize(std::min(window.get_width() + short_by, area.get_width()), window.get_height());
}

// After the toolkit has laid the window out.
void widen_soon(Gtk::Window& window, Gtk::Notebook& notebook) {
    Glib::signal_idle().connect_once(
        sigc::track_obj([&window, &notebook] { widen(window, notebook); }, window, notebook));
}

} // namespace

void widen_for_pages(Gtk::Window& window, Gtk::Notebook& notebook) {
    window.signal_map().connect([&window, &notebook] { widen_soon(window, notebook); });
    notebook.signal_switch_page().connect(
        [&window, &notebook](Gtk::Widget*, guint) { widen_soon(window, notebook); }, true);
}
