#pragma once

#include <gtkmm/window.h>

class MyApp;

// The first window of a run.
Gtk::Window* create_main_window(MyApp& app);
