// The application's one kind of top-level window: one survey, seven pages.
#pragma once

#include "app/my-app-core.h"
#include "app/recovery-store.h"
#include "net/net-session.h"
#include "survey/survey-answers.h"
#include "survey/survey-data.h"
#include "survey/survey-reader.h"
#include "ui/abundance-menus.h"
#include "ui/focus-keeper.h"
#include "ui/page-host.h"
#include "ui/progress-window.h"
#include "ui/species-tree-columns.h"

#include <gtkmm/aboutdialog.h>
#include <gtkmm/action.h>
#include <gtkmm/actiongroup.h>
#include <gtkmm/box.h>
#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/dialog.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/label.h>
#include <gtkmm/notebook.h>
#include <gtkmm/stock.h>
#include <gtkmm/textview.h>
#include <gtkmm/toggleaction.h>
#include <gtkmm/treestore.h>
#include <gtkmm/treeview.h>
#include <gtkmm/uimanager.h>
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

class SurveyWindow : public Gtk::Window, public PageHost {
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
    Gtk::AboutDialog* about_dialog = nullptr;
    Gtk::Dialog* contact_dialog = nullptr;
    Gtk::Dialog* instructions_dialog = nullptr;
    Gtk::Box* survey_window_box = nullptr;
    Gtk::TextView* program_instructions = nullptr;
    Glib::ustring base_title;
    std::map<std::string, Glib::RefPtr<Gtk::Action>> actions;
    std::map<std::string, Glib::RefPtr<Gtk::ToggleAction>> toggle_actions;
    Glib::RefPtr<Gtk::ActionGroup> action_group;
    Glib::RefPtr<Gtk::UIManager> ui_manager;
    Gtk::Widget* menubar = nullptr;
    Gtk::Widget* toolbar = nullptr;
    // The abundance pop-up menus of the species pages.
    AbundanceMenus abundance_popups{species_columns,
                                    [this](int abun) { on_abundance_menu_item(abun); }};

    // A complete, hidden window built from the UI file.
    static SurveyWindow* create(MyApp& app);
    SurveyWindow(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    ~SurveyWindow() override;
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, MyApp* app);

    template <class T>
    T* make_panel(const Glib::RefPtr<Gtk::Builder>& builder, T*& panel, const char* id,
                  const Glib::ustring& tab_title);

    void create_menu_action(const std::string& name, const std::string& label);
    void create_action(const std::string& name, const std::string& label,
                       void (SurveyWindow::*handler)(const std::string&),
                       const std::string& tooltip, const Gtk::StockID& stock);
    void create_action(const std::string& name, const std::string& label,
                       void (SurveyWindow::*handler)(const std::string&,
                                                     const Glib::RefPtr<Gtk::ToggleAction>&),
                       const std::string& tooltip, const Gtk::StockID& stock);

    void on_action_FileOpen(const std::string& name);
    void on_action_FileDelete(const std::string& name);
    void on_action_FileNew(const std::string& name) override;
    void on_action_FileSaveForLater(const std::string& name);
    void on_action_FileSaveForUpload(const std::string& name);
    void on_action_FileUploadThis(const std::string& name) override;
    void on_action_FileUploadAll(const std::string& name) override;
    void on_action_FileClose(const std::string& name);
    void on_action_FileQuit(const std::string& name);
    void on_action_EditCut(const std::string& name);
    void on_action_EditCopy(const std::string& name);
    void on_action_EditPaste(const std::string& name);
    void on_action_ViewToolbar(const std::string& name,
                               const Glib::RefPtr<Gtk::ToggleAction>& action);
    void on_action_HelpInstructions(const std::string& name);
    void on_action_HelpContact(const std::string& name);
    void on_action_HelpCheckForUpdates(const std::string& name);
    void on_action_HelpReleaseNotes(const std::string& name);
    void on_action_HelpAbout(const std::string& name);

    void on_save_button();
    void on_ready_button();
    void on_upload_button();
    void on_back_button();
    void on_next_button();
    void on_switch_page(Gtk::Widget* page, guint page_number);

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
    void replace_with_survey(const std::string& path) override;
    // Window title from the date, dive start and zone of Survey Info Part 1.
    void set_title_string() override;

    // True when it is safe to go on with `what`: nothing unsaved, discarded or saved.
    bool check_file_save_okay(const Glib::ustring& what) override;
    // Puts the survey's XML into survey_data.generated_xml.
    // Writes the survey the pages show into survey_data.generated_xml;
    // RC_ERROR with the reason in error_message, showing nothing, when it can't.
    RetCode generate_xml_string(Glib::ustring& error_message, bool without_member);
    // Every answer the pages hold; without_member leaves the member's out.
    SurveyAnswers gather_answers(bool without_member) const override;
    // Loads a survey file into this fresh, not yet shown window; reports a
    // file it can't load and returns that code.
    RetCode do_open(std::string path);
    // Whether the survey holds anything not saved yet.
    bool file_needs_saving();
    // What a successful save does next.
    enum DoSaveFlags { SAVE_OFFER_NEXT = 0, SAVE_SILENT = 1, SAVE_REPORT_ONLY = 2 };
    // Saves the survey into a store folder; reports a failure and returns its code.
    RetCode do_save(MyAppCore::WhichDir which, DoSaveFlags flags);
    // The dialog after a save, and the next step it offers.
    void report_save(DoSaveFlags flags);
    RetCode select_and_open_saved_survey();
    // Asks, and deletes the saved survey; true only when it is gone.
    bool maybe_delete_survey(const std::string& path) override;
    void on_filedlg_update_preview(Gtk::FileChooserDialog* dialog, Gtk::Label* preview);
    // Writes a file whole, replacing what is there only once all of it is written.
    RetCode write_file(const std::string& path, const char* data, unsigned long length);
    // The store's name for this survey, from its answers, without folder and extension.
    std::string survey_file_name() const;
    // Answers restored after a crash, not saved since.
    bool restored = false;
    // The survey's old file, left until a save is surely on the disk.
    std::string superseded_file, superseded_etag;
    // Locks the window of an uploaded survey: it can be read, not changed.
    void set_survey_is_uploaded();
    // What follows an update check: the responses of the summaries' buttons.
    enum ResponseCode {
        START_NEW_SURVEY = 1,
        QUIT_PROGRAM = 2,
        OPEN_SAVED_SURVEY = 3,
        NOTHING_FURTHER = 4,
    };
    // Asks the server for newer program and data versions, offers them, then
    // carries out the follow-up.
    RetCode check_for_updates(const std::string& url_override, int follow_up);
    // The save question, then the check.
    void manual_check_for_updates() override;
    // Downloads, unpacks and loads a newer data set.
    RetCode download_data_files(NetSession* session, const char* url);
    // Uploads one saved survey that is not the open one.
    // Uploads one file, then shows the summary and checks for updates.
    RetCode do_upload_single(const std::string& path) override;
    // One HTTP exchange: the file posted, and moved into Uploaded when taken.
    RetCode do_upload_file(const std::string& path);
    void do_upload_all_ready(const std::vector<std::string>& paths);
    // The session of the exchange under way, made with its progress window
    // (the commands wait meanwhile); end_network closes both.
    NetSession& network();
    void end_network();
    std::unique_ptr<NetSession> net;
    std::unique_ptr<ProgressWindow> progress;
    // Why the last do_upload_file failed: the server refused the survey, no
    // answer came, or the file was no survey to send.
    enum UploadFailure { REFUSED, NO_ANSWER, NOT_SENT } upload_failure = NOT_SENT;

    // An item of the abundance menu chosen for abundance_target.
    void on_abundance_menu_item(int abun);
    void popup_abundance_menu(Gtk::TreeView& tree, const Gtk::TreePath& path, int button,
                              int species_id) override;

    // Hides the window for good; it is deleted once control is back in the
    // main loop, never inside one of its own handlers.
    void close_for_good() override;

    // Crash recovery: a moment after the last change, the survey's XML is
    // copied into the per-user data folder while it holds anything unsaved.
    // The wait, settable for tests.
    static unsigned recovery_delay_ms;
    std::unique_ptr<RecoveryStore> recovery; // made with the first copy
    // Restarts the wait; called on every change of the survey.
    void note_change();
    // Writes the copy, or removes it when nothing is unsaved; false when the
    // survey holds unsaved answers that are not on disk in a copy.
    bool update_recovery();
    // The survey's answers are dealt with (saved or abandoned): no copy.
    void drop_recovery();
    // Asks about each survey left by a window that did not close normally,
    // once; the windows of those restored, shown.
    static std::vector<SurveyWindow*> restore_unsaved_surveys(MyApp& app);
    // Loads a copy into this fresh window as a changed survey that keeps its
    // original file when that lay in In Progress or Ready To Upload.
    RetCode restore(const RecoveryStore::Orphan& orphan);

protected:
    bool on_delete_event(GdkEventAny* event) override;

private:
    void create_actions();
    RetCode build_menus();
    void connect_buttons(const Glib::RefPtr<Gtk::Builder>& builder);
    void show_contact_addresses(const Glib::RefPtr<Gtk::Builder>& builder);
    void make_panels(const Glib::RefPtr<Gtk::Builder>& builder);
    void show_help_file(const std::string& path, const Glib::ustring& contents,
                        const Glib::ustring& title);
    void run_and_hide(Gtk::Dialog* dialog);
    bool clipboard_action(const std::string& name);

    std::string choose_survey_file(const char* title, const char* accept, MyAppCore::WhichDir start,
                                   const char* trace);
    // The open survey checked before an upload; shows what is missing.
    bool ready_to_upload();
    bool upload_question(const Glib::ustring& text, bool with_no, int& response);
    // The summary after uploads with its follow-up choices; the choice.
    int upload_summary(const Glib::ustring& title, const Glib::ustring& text);
    RetCode follow_up_after_check(int follow_up, RetCode rc);
    // The data-version half of the update check, and the download it may offer.
    RetCode check_data_version(NetSession& session, bool& told, RetCode rc);
    // The children of a survey file's "survey" element, into the pages.
    void load_survey(const xmlpp::Element& survey);
    // Puts a file's answers into the pages, those whose elements it has, in
    // the order the writer writes them.
    void apply_answers(const SurveyAnswersRead& read);
    // Selects a year, adding one the year box does not offer.
    void apply_year(int year);

    void watch_for_changes(Gtk::Widget& widget);
    // Asks once about those of paths the server may hold already; false, with
    // them taken out of paths, when they are not to be sent again.
    bool send_again(std::vector<std::string>& paths);
    void record_upload(const std::string& bytes, const std::string& name, const char* verdict);
    std::string upload_step; // what the progress window says while a file goes
    // Restored answers whose original changed: whether to save them as a new
    // survey of folder.
    bool ask_to_save_as_new(const std::string& folder);
    // The survey's file is now path; the old one, when it is the same survey
    // of the store, is to go.
    void took_file(const std::string& path, const std::string& etag, const std::string& had_file,
                   const std::string& had_etag);

    bool closing = false; // close_for_good has run
    sigc::connection recovery_timer;
    gint64 recovery_due_since = 0; // first change the pending timer waits on
    Glib::ustring recovery_xml;    // what the copy holds, or was dropped with
    FocusKeeper focus_keeper{*this};
};
