// Large text can make a page wider than the window's first size; the window
// then grows to show the page whole instead of making the volunteer scroll
// sideways through it.
#pragma once
#include <gtkmm/notebook.h>
#include <gtkmm/window.h>

// Each time the window is shown or a page of the notebook is chosen, widens
// the window to the page's least width, within the screen's work area. It
// never narrows the window: a volunteer who made it smaller keeps it so
// until a page needs more.
void widen_for_pages(Gtk::Window& window, Gtk::Notebook& notebook);
