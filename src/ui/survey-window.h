// The application's one kind of top-level window: one survey, seven pages.
#pragma once

#include "app/recovery-keeper.h"
#include "survey/survey-reader.h"
#include "ui/abundance-menus.h"
#include "ui/focus-keeper.h"
#include "ui/help-dialogs.h"
#include "ui/page-host.h"
#include "ui/progress-window.h"
#include "ui/save-flow.h"
#include "ui/update-check.h"
#include "ui/upload-flow.h"
#include "ui/window-menus.h"

#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/notebook.h>
#include <gtkmm/treeview.h>
#include <gtkmm/window.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace xmlpp {
class Element;
} // namespace xmlpp

class MyApp;
class StartPanel;
class MemberPanel;
class SurveyPanel1;
class SurveyPanel2;
class ListedPanel;
class UnlistedPanel;
class ConfirmPanel;
class PageNavigator;
class SurveysMenu;

class SurveyWindow : public Gtk::Window,
                     public PageHost,
                     public UploadFlow::Host,
                     public UpdateCheck::Host,
                     public SaveFlow::Host,
                     public RecoveryKeeper::Source {
public:
    Gtk::Notebook* notebook = nullptr;
    Gtk::Button* save_button = nullptr;
    Gtk::Button* ready_button = nullptr;
    Gtk::Button* upload_button = nullptr;
    Gtk::Button* back_button = nullptr;
    Gtk::Button* next_button = nullptr;
    StartPanel* start_panel = nullptr;
    MemberPanel* member_panel = nullptr;
    SurveyPanel1* survey_panel1 = nullptr;
    SurveyPanel2* survey_panel2 = nullptr;
    ListedPanel* listed_panel = nullptr;
    UnlistedPanel* unlisted_panel = nullptr;
    ConfirmPanel* confirm_panel = nullptr;
    Gtk::Box* survey_window_box = nullptr;
    Glib::ustring base_title;
    std::unique_ptr<HelpDialogs> help;
    WindowMenus menus;
    std::map<std::string, Glib::RefPtr<Gtk::Action>>& actions = menus.actions;
    // The abundance pop-up menus of the species pages.
    AbundanceMenus abundance_popups{species_columns,
                                    [this](int abun) { on_abundance_menu_item(abun); }};

    // A complete, hidden window built from the UI file.
    // With ui, from that reading of the UI file rather than a fresh one.
    static SurveyWindow* create(MyApp& app, Glib::RefPtr<Gtk::Builder> ui = {});
    // The window's UI file, read.
    static Glib::RefPtr<Gtk::Builder> read_ui();
    SurveyWindow(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    ~SurveyWindow() override;
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, MyApp* app);

    template <class T>
    T* make_panel(const Glib::RefPtr<Gtk::Builder>& builder, T*& panel, const char* id,
                  const Glib::ustring& tab_title);

    void on_action_FileOpen(const std::string& name);
    void on_action_FileDelete(const std::string& name);
    void on_action_FileNew(const std::string& name) override;
    void on_action_FileSaveForLater(const std::string& name);
    void on_action_FileSaveForUpload(const std::string& name);
    void on_action_FileUploadThis(const std::string&) override { uploads().upload_this(); }
    void on_action_FileUploadAll(const std::string&) override { uploads().upload_all(); }
    void on_action_FileClose(const std::string& name);
    void on_action_FileQuit(const std::string& name);
    void on_action_EditCut(const std::string& name) { clipboard_action(name); }
    void on_action_EditCopy(const std::string& name) { clipboard_action(name); }
    void on_action_EditPaste(const std::string& name) { clipboard_action(name); }
    void on_action_ViewToolbar(const std::string& name, bool active);
    void on_action_HelpInstructions(const std::string&) { help->instructions(); }
    void on_action_HelpContact(const std::string&) { help->contact(); }
    void on_action_HelpCheckForUpdates(const std::string&) { manual_check_for_updates(); }
    void on_action_HelpReleaseNotes(const std::string&) { help->release_notes(); }
    void on_action_HelpAbout(const std::string&) { help->about(); }

    void on_save_button();
    void on_ready_button();
    void on_upload_button() { uploads().on_upload_button(); }
    void on_back_button();
    void on_next_button();
    void on_switch_page(Gtk::Widget* page, guint page_number);
    std::unique_ptr<PageNavigator> navigator;
    std::unique_ptr<SurveysMenu> surveys_menu;

    // The survey's name options as the Listed Species page's buttons set them.
    void sync_name_options() override;
    // What one page's change means for the others: the window passes it on,
    // so that no page reaches into another.
    void name_options_changed() override;
    void species_view_changed() override;
    void location_set_up(const Glib::ustring& code) override;
    void survey_type_set_up(int subtype_id) override;
    void bottom_time_edited() override;
    void focus_location() override;
    void allow_save() override;
    void set_can_upload(bool can_upload) override;
    void show_page(int page_number) override;
    Gtk::Window& dialog_parent() override { return *this; }
    RetCode replace_with_survey(const std::string& path) override;
    // Window title from the date, dive start and zone of Survey Info Part 1.
    void set_title_string() override;

    // True when it is safe to go on with `what`: nothing unsaved, discarded or saved.
    bool check_file_save_okay(const Glib::ustring& what) override {
        return saves->check_file_save_okay(what);
    }
    // Writes the survey the pages show into survey_data.generated_xml;
    // RC_ERROR with the reason in error_message, showing nothing, when it can't.
    RetCode generate_xml_string(Glib::ustring& error_message, bool without_member) override;
    // Every answer the pages hold; without_member leaves the member's out.
    SurveyAnswers gather_answers(bool without_member) const override;
    // Loads a survey file into this fresh, not yet shown window; reports a
    // file it can't load and returns that code.
    RetCode do_open(std::string path);
    // Whether the survey holds anything not saved yet.
    bool file_needs_saving() override;
    // Saving, the unsaved-answers question and deleting, by the store flow.
    std::unique_ptr<SaveFlow> saves;
    RetCode do_save(MyAppCore::WhichDir which, DoSaveFlags flags);
    void report_save(DoSaveFlags flags) { saves->report_save(flags); }
    RetCode select_and_open_saved_survey() override;
    bool maybe_delete_survey(const std::string& p) override {
        return saves->maybe_delete_survey(p);
    }
    void on_filedlg_update_preview(Gtk::FileChooserDialog* dialog, Gtk::Label* preview);
    // Writes a file whole, replacing what is there only once all of it is written.
    RetCode write_file(const std::string& path, const char* data, unsigned long length);
    // The store's name for this survey, from its answers, without folder and extension.
    std::string survey_file_name() const override;
    // Locks the window of an uploaded survey: it can be read, not changed.
    void set_survey_is_uploaded() override;
    // The update check and the uploads, for the commands and the Start page.
    RetCode check_for_updates(const std::string&, int follow_up) override {
        return updates().check(follow_up);
    }
    void manual_check_for_updates() override { updates().manual_check(); }
    RetCode download_data_files(NetSession* session, const char* url) {
        return updates().download_data_files(*session, url);
    }
    RetCode do_upload_single(const std::string& p) override { return uploads().upload_single(p); }
    RetCode do_upload_file(const std::string& path) { return uploads().upload_file(path); }
    void do_upload_all_ready(const std::vector<std::string>& p) { uploads().upload_all_ready(p); }
    // The session of the exchange under way, made with its progress window
    // (the commands wait meanwhile); end_network closes both.
    NetSession& network() override;
    void end_network() override;
    std::unique_ptr<NetSession> net;
    std::unique_ptr<ProgressWindow> progress;

    // An item of the abundance menu chosen for abundance_target.
    void on_abundance_menu_item(int abun);
    void popup_abundance_menu(Gtk::TreeView& tree, const Gtk::TreePath& path, int button,
                              int species_id) override;
    void go_to_field(SurveyField field) override;
    void choose_abundance_by_digit(int species_id, int digit) override;

    // Hides the window for good; it is deleted once control is back in the
    // main loop, never inside one of its own handlers.
    void close_for_good() override;

    // Crash recovery: a moment after the last change, the survey's XML is
    // copied into the per-user data folder while it holds anything unsaved.
    std::unique_ptr<RecoveryKeeper> recovery;
    // Passes a change of the survey on to the copies.
    void note_change();
    // Loads a copy into this fresh window as a changed survey that keeps its
    // original file when that lay in In Progress or Ready To Upload.
    RetCode restore(const RecoveryStore::Orphan& orphan);

protected:
    bool on_delete_event(GdkEventAny* event) override;

private:
    friend class SurveysMenu; // a repeat dive fills a new window as a file would
    RetCode build_menus();
    void connect_buttons(const Glib::RefPtr<Gtk::Builder>& builder);
    void make_panels(const Glib::RefPtr<Gtk::Builder>& builder);
    bool clipboard_action(const std::string& name);

    UploadFlow uploads() { return {*this, *app, survey_data}; }
    UpdateCheck updates() { return {*this, *app}; }
    bool ready_to_upload() override;
    RetCode save_for_upload() override { return do_save(MyAppCore::READY_TO_UPLOAD, SAVE_SILENT); }
    void refresh_survey_list() override;
    void rebuild_from_new_data() override;
    // The children of a survey file's "survey" element, into the pages.
    void load_survey(const xmlpp::Element& survey);
    // Puts a file's answers into the pages, those whose elements it has, in
    // the order the writer writes them.
    void apply_answers(const SurveyAnswersRead& read);

    bool closing = false; // close_for_good has run
    bool holds_unsaved() override;
    bool current_document(std::string& document) override;
    RecoveryStore::Origin origin() const override;
    FocusKeeper focus_keeper{*this};
};
