// The "Start/Open Survey" page: the saved surveys and what can be done with them.
#pragma once

#include "ui/my-app.h"

#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/grid.h>
#include <gtkmm/infobar.h>
#include <gtkmm/label.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/treestore.h>
#include <gtkmm/treeview.h>
#include <string>
#include <vector>

class PageHost;
struct ListRow;

// One row of the survey list: a survey file, or a folder or member group
// (empty path, NOT_A_SURVEY).
class SurveyTreeColumns : public Gtk::TreeModelColumnRecord {
public:
    Gtk::TreeModelColumn<std::string> path;
    Gtk::TreeModelColumn<MyApp::WhichDir> which;
    Gtk::TreeModelColumn<Glib::ustring> label;

    SurveyTreeColumns() {
        add(path);
        add(which);
        add(label);
    }
    void set(const Gtk::TreeRow& row, const std::string& path, MyApp::WhichDir which,
             const Glib::ustring& label) const;
};

class StartPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    PageHost* window = nullptr;
    int page_number = -1;
    Gtk::TreeView* survey_tree = nullptr;
    SurveyTreeColumns survey_columns;
    Glib::RefPtr<Gtk::TreeStore> survey_store;
    Glib::RefPtr<Gtk::TreeSelection> survey_selection;
    Gtk::Button* updates_button = nullptr;
    Gtk::Button* new_survey_button = nullptr;
    Gtk::Button* upload_all_button = nullptr;
    Gtk::Button* edit_view_button = nullptr;
    Gtk::Button* mark_button = nullptr;
    Gtk::Button* upload_button = nullptr;
    Gtk::Button* delete_button = nullptr;
    // "New Survey From This One": a repeat dive of the chosen survey.
    Gtk::Button repeat_button{"New Survey From This One"};
    // Finds surveys by any word of their description, member number or file name.
    Gtk::SearchEntry survey_search;
    // How many surveys each folder holds (and the search found), above the list.
    Gtk::Label survey_counts;
    // Says where a deleted survey went, without a dialog to answer.
    Gtk::InfoBar delete_notice;
    Gtk::Label delete_notice_text;

    StartPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window);

    // Reads the store again into the list.
    void build_survey_model();
    // Shows the surveys of the last reading that the search finds.
    void show_survey_rows();
    // Tells, above the list, what became of a deleted survey.
    void tell_deleted(const Glib::ustring& description, bool trashed);
    // Path of the survey under the list's cursor, its folder through which;
    // empty when no survey is chosen.
    std::string lookup_selected_survey(MyApp::WhichDir* which);
    // Opens the chosen survey in a new window.
    void on_edit_view_button();
    // Sets the buttons for the row at path; false when there is no such row.
    bool do_survey_line_trigger(const Gtk::TreePath& path, int button);
    // The buttons as they are while no survey is chosen.
    void deselect_survey();

private:
    void on_updates_button();
    void on_new_survey_button();
    void on_upload_all_button();
    void on_mark_button();
    void on_upload_button();
    void on_delete_button();
    bool on_survey_clicked(GdkEventButton* event);
    bool on_survey_kb_event(GdkEventKey* event);
    bool on_survey_kb_activated();
    Gtk::TreePath cursor_path();
    Gtk::TreeIter cursor_row();
    // A survey of the last reading of the store, as the search sees it.
    struct Listed {
        std::string path;
        int member = 0;
        Glib::ustring description, search_text;
    };
    std::vector<Listed> listed[3]; // by folder: In Progress, Ready To Upload, Uploaded
    void add_search_and_notice();
    // Makes rows show wanted, changing only the rows that differ.
    void sync_rows(const Gtk::TreeIter& parent, const Gtk::TreeNodeChildren& rows,
                   const std::vector<ListRow>& wanted);
    Gtk::TreeIter add_row(const Gtk::TreeIter& parent, const Gtk::TreeIter& before,
                          const ListRow& row);
};
