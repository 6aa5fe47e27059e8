// The window's first frame shows one page; sizing the others, whose widgets
// are many, would hold that frame back by tens of milliseconds.
#pragma once
#include <gtkmm/notebook.h>
#include <gtkmm/window.h>

// Hides the contents of every page of notebook but the current one until
// window's first frame is drawn, or at once when a page is chosen, so that
// the window is first sized and styled with one page. Called as the window
// is made. The tabs stay, and the window's size does not change, since each
// page lies in a scroller.
void lay_out_pages_after_first_frame(Gtk::Window& window, Gtk::Notebook& notebook);
