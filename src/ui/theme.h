// Which colours the windows use, by the theme they are shown in.
#pragma once
#include <gtkmm/widget.h>

// Chooses the dark palette when the theme's base colour, as the widget sees
// it, is darker than mid-grey, and the light one otherwise.
void choose_palette(Gtk::Widget& widget);
