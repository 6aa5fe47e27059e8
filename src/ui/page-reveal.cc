#include "ui/page-reveal.h"

#include <glibmm/main.h>
#include <gtkmm/bin.h>
#include <memory>
#include <sigc++/adaptors/track_obj.h>

namespace {

// Marks the contents this hides, so that only they are shown again.
const char* const HIDDEN_KEY = "tavro-hidden-until-drawn";

Gtk::Widget* contents_of(Gtk::Notebook& notebook, int n) {
    auto* page = dynamic_cast<Gtk::Bin*>(notebook.get_nth_page(n));
    return page ? page->get_child() : nullptr;
}

struct Reveal {
    Gtk::Notebook& notebook;
    sigc::connection after_draw, on_switch;

    // The pages are looked up again: one may have gone since they were hidden.
    void operator()() {
        after_draw.disconnect();
        on_switch.disconnect();
        if (notebook.in_destruction()) return;
        for (int n = 0; n < notebook.get_n_pages(); ++n) {
            Gtk::Widget* contents = contents_of(notebook, n);
            if (!contents || !contents->get_data(HIDDEN_KEY)) continue;
            contents->remove_data(HIDDEN_KEY);
            contents->show();
        }
        // Laid out now, not at the next frame: where the keyboard goes on a
        // page is found from where its fields lie.
        if (auto* window = dynamic_cast<Gtk::Window*>(notebook.get_toplevel()))
            window->check_resize();
    }
};

} // namespace

void lay_out_pages_after_first_frame(Gtk::Window& window, Gtk::Notebook& notebook) {
    bool any = false;
    for (int n = 0; n < notebook.get_n_pages(); ++n) {
        Gtk::Widget* contents = contents_of(notebook, n);
        if (n == notebook.get_current_page() || !contents || !contents->get_visible()) continue;
        contents->set_data(HIDDEN_KEY, &notebook);
        contents->hide();
        any = true;
    }
    if (!any) return;
    auto reveal = std::make_shared<Reveal>(Reveal{notebook, {}, {}});
    reveal->after_draw = window.signal_draw().connect(
        [reveal, &window, &notebook](const Cairo::RefPtr<Cairo::Context>&) {
            auto keep = reveal;
            keep->after_draw.disconnect();
            // Once the frame is on its way, not while it is drawn.
            Glib::signal_idle().connect_once(
                sigc::track_obj([keep] { (*keep)(); }, window, notebook));
            return false;
        },
        true);
    // Before the page's own handlers, which may put the keyboard on it.
    reveal->on_switch = notebook.signal_switch_page().connect(
        [reveal](Gtk::Widget*, guint) {
            auto keep = reveal;
            (*keep)();
        },
        false);
}
