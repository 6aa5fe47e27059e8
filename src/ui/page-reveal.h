// The window's first frame shows one page; sizing the others, whose widgets
// are many, would hold that frame back by tens of milliseconds.
#pragma once
#include <gtkmm/notebook.h>
#include <gtkmm/window.h>

// Hides the contents of every page of notebook but the current one until
// window's next frame is drawn, or at once when a page is chosen. Called
// as the window is shown, before it is sized. The tabs stay, and the
// window's size does not change, since each page lies in a scroller.
void hide_pages_until_drawn(Gtk::Window& window, Gtk::Notebook& notebook);
