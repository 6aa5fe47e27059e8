// The file chooser of saved surveys.
#pragma once

#include <functional>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/label.h>
#include <string>

// Fills the preview label for the file the chooser points at.
using Preview = std::function<void(Gtk::FileChooserDialog* chooser, Gtk::Label* preview)>;

// A chooser of the surveys the Start page would list, opened in folder, with
// their descriptions as preview; the chosen file, or empty when none was
// chosen (trace names the command in the printed line).
std::string choose_survey_file(Gtk::Window& parent, const std::string& folder, const char* title,
                               const char* accept, const char* trace, const Preview& preview_of);
