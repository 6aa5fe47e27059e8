#include "ui/survey-chooser.h"

#include "app/store-files.h"
#include "core/errors.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"

#include <cstdio>

std::string choose_survey_file(Gtk::Window& parent, const std::string& folder, const char* title,
                               const char* accept, const char* trace, const Preview& preview_of) {
    Gtk::FileChooserDialog chooser(parent, title, Gtk::FILE_CHOOSER_ACTION_OPEN);
    chooser.set_icon_list(MyApp::icon_list);
    chooser.set_local_only(true);
    chooser.set_current_folder(folder);
    chooser.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    chooser.add_button(accept, Gtk::RESPONSE_ACCEPT);
    // The files the Start page lists, a survey whose name begins with "."
    // included; the filter keeps every other hidden file out.
    chooser.set_show_hidden(true);
    auto filter = Gtk::FileFilter::create();
    filter->set_name("TAVRO survey files");
    filter->add_custom(Gtk::FILE_FILTER_FILENAME, [](const Gtk::FileFilter::Info& info) {
        return is_listed_survey(info.filename);
    });
    chooser.add_filter(filter);
    Gtk::Label preview;
    preview.set_line_wrap(true);
    preview.set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    chooser.set_extra_widget(preview);
    chooser.signal_update_preview().connect(
        [&preview_of, &chooser, &preview] { preview_of(&chooser, &preview); });
    const int response = run_dialog(chooser);
    chooser.hide();
    if (response != Gtk::RESPONSE_ACCEPT) {
        if (debug_level > 0) printf("filedlg for %s returned %d\n", trace, response);
        return "";
    }
    const std::string file = chooser.get_filename();
    if (debug_level > 0) printf("filedlg for open selected %s\n", file.c_str());
    return file;
}
