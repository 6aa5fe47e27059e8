// What the pages of a survey window share, and all a page may ask of the
// window that holds it. The window implements it; a page knows neither the
// window nor any other page, so what one page's change means for another is
// the window's to pass on.
#pragma once

#include "core/errors.h"
#include "survey/survey-answers.h"
#include "survey/survey-checks.h"
#include "survey/survey-data.h"
#include "ui/species-stores.h"
#include "ui/species-tree-columns.h"

#include <glibmm/ustring.h>
#include <gtkmm/treeview.h>
#include <gtkmm/window.h>
#include <string>

class MyApp;

class PageHost {
public:
    MyApp* app = nullptr;
    SurveyData survey_data;
    SpeciesTreeColumns species_columns{&survey_data};
    // The listed and unlisted species, and the filters the pages show over them.
    SpeciesStores species_stores{species_columns, survey_data};
    // The species whose abundance menu was opened last; -1 before any.
    int abundance_target = -1;

    // The Start page's commands.
    virtual void on_action_FileNew(const std::string& name) = 0;
    virtual void on_action_FileUploadThis(const std::string& name) = 0;
    virtual void on_action_FileUploadAll(const std::string& name) = 0;
    virtual bool check_file_save_okay(const Glib::ustring& what) = 0;
    virtual void close_for_good() = 0;
    // Opens the survey at path in a fresh window that takes this one's place;
    // a file that can't be loaded is reported and this window stays.
    virtual RetCode replace_with_survey(const std::string& path) = 0;
    virtual RetCode do_upload_single(const std::string& path) = 0;
    virtual bool maybe_delete_survey(const std::string& path) = 0;
    virtual void manual_check_for_updates() = 0;

    // A page's change, for the window to pass on to the others.
    virtual void sync_name_options() = 0;
    virtual void name_options_changed() = 0;
    virtual void species_view_changed() = 0;
    virtual void location_set_up(const Glib::ustring& code) = 0;
    // The chosen survey type, set up in survey_data; subtype_id picks its menu.
    virtual void survey_type_set_up(int subtype_id) = 0;
    virtual void bottom_time_edited() = 0;
    virtual void focus_location() = 0;
    virtual void set_title_string() = 0;
    // The location changed, so the survey may be saved again.
    virtual void allow_save() = 0;
    // Whether the survey as the pages hold it could be sent.
    virtual void set_can_upload(bool can_upload) = 0;
    virtual void show_page(int page_number) = 0;
    // What a page's questions stand over.
    virtual Gtk::Window& dialog_parent() = 0;

    // Every answer the pages hold; without_member leaves the member's out.
    virtual SurveyAnswers gather_answers(bool without_member) const = 0;
    // Opens the abundance menu for species_id from a row of tree: at the
    // pointer for a click (button above 0), below the row for a key.
    virtual void popup_abundance_menu(Gtk::TreeView& tree, const Gtk::TreePath& path, int button,
                                      int species_id) = 0;
    // A digit typed on a species row: 1-9 the nth category of its abundance
    // list, 0 its "none" entry; as if chosen from the menu.
    virtual void choose_abundance_by_digit(int species_id, int digit) = 0;
    // Shows the page of an answer and puts the keyboard on its field.
    virtual void go_to_field(SurveyField field) = 0;

protected:
    PageHost() = default;
    ~PageHost() = default;
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;
};
