#include "ui/survey-window.h"

#include "core/errors.h"
#include "core/misc.h"
#include "core/version.h"
#include "survey/survey-data.h"
#include "ui/accessible-ids.h"
#include "ui/confirm-panel.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/my-app.h"
#include "ui/page-focus.h"
#include "ui/page-navigator.h"
#include "ui/page-reveal.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"
#include "ui/theme.h"
#include "ui/ui-file.h"
#include "ui/unlisted-panel.h"
#include "ui/window-fit.h"

#include <cstdio>
#include <glibmm/fileutils.h>
#include <glibmm/main.h>
#include <glibmm/markup.h>
#include <gtkmm/scrolledwindow.h>

Glib::RefPtr<Gtk::Builder> SurveyWindow::read_ui() {
    return load_ui_file("resources/survey-ui.glade");
}

SurveyWindow* SurveyWindow::create(MyApp& app, Glib::RefPtr<Gtk::Builder> ui) {
    auto builder = ui ? ui : read_ui();
    require_object(builder, "survey_window", Gtk::Window::get_base_type());
    SurveyWindow* window = nullptr;
    builder->get_widget_derived("survey_window", window);
    if (!window) fatal("Failed to find %s in UI", "survey_window");
    // Before the pages write any colour into their markup.
    choose_palette(*window);
    window->ctor_continued(builder, &app);
    set_accessible_ids(builder);
    window->hide();
    return window;
}

void SurveyWindow::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, MyApp* my_app) {
    app = my_app;
    species_columns.app = my_app;
    recovery = std::make_unique<RecoveryKeeper>(app->get_local_data_dir() + "/recovery", *this);
    saves = std::make_unique<SaveFlow>(*this, *app, survey_data, *recovery);
    base_title = get_title();
    builder->get_widget("survey_window_box", survey_window_box);

    abundance_popups.build(app ? app->abundance_choices : nullptr);
    connect_buttons(builder);
    make_panels(builder);
    navigator = std::make_unique<PageNavigator>(
        PageNavigator::Pages{*this, *notebook, *start_panel, *member_panel, *survey_panel1,
                             *survey_panel2, *listed_panel, *confirm_panel, *ready_button});
    on_any_change(*notebook, sigc::mem_fun(*this, &SurveyWindow::note_change));
    saves->deleted.connect(sigc::mem_fun(*start_panel, &StartPanel::tell_deleted));
    if (build_menus() != RC_OK) return;

    notebook->signal_switch_page().connect(sigc::mem_fun(*this, &SurveyWindow::on_switch_page));
    widen_for_pages(*this, *notebook);
    notebook->set_current_page(start_panel->page_number);
    lay_out_pages_after_first_frame(*this, *notebook);
    member_panel->connect_focus_signals();

    if (!MyApp::icon_list.empty()) set_icon_list(MyApp::icon_list);
    help = std::make_unique<HelpDialogs>(builder, *this);
    resize(900, 600);

    // A fresh window counts as unchanged.
    Glib::ustring problem;
    generate_xml_string(problem, false);
    survey_data.saved_xml = survey_data.generated_xml;
    survey_data.baseline_xml = survey_data.generated_xml;
}

void SurveyWindow::connect_buttons(const Glib::RefPtr<Gtk::Builder>& builder) {
    builder->get_widget("notebook", notebook);
    builder->get_widget("save_button", save_button);
    builder->get_widget("ready_button", ready_button);
    builder->get_widget("upload_button", upload_button);
    builder->get_widget("back_button", back_button);
    builder->get_widget("next_button", next_button);
    const std::pair<Gtk::Button*, void (SurveyWindow::*)()> buttons[] = {
        {save_button, &SurveyWindow::on_save_button},
        {ready_button, &SurveyWindow::on_ready_button},
        {upload_button, &SurveyWindow::on_upload_button},
        {back_button, &SurveyWindow::on_back_button},
        {next_button, &SurveyWindow::on_next_button},
    };
    for (const auto& [button, handler] : buttons) {
        if (!button) continue;
        button->signal_clicked().connect(sigc::mem_fun(*this, handler));
        button->set_sensitive(button == next_button);
    }
}

template <class T>
T* SurveyWindow::make_panel(const Glib::RefPtr<Gtk::Builder>& builder, T*& panel, const char* id,
                            const Glib::ustring& tab_title) {
    panel = nullptr;
    require_object(builder, id, T::get_base_type());
    builder->get_widget_derived(id, panel);
    if (!panel) fatal("Failed to find %s in UI", id);
    panel->ctor_continued(builder, this);
    auto* scroller = Gtk::manage(new Gtk::ScrolledWindow());
    scroller->add(*panel);
    scroller->show();
    int n = notebook->get_n_pages();
    notebook->append_page(*scroller, tab_title, false);
    // A page that names itself: asked for its name while the window goes, it
    // would otherwise ask the notebook for a tab it no longer has.
    if (auto page = notebook->get_accessible()->get_accessible_child(n)) page->set_name(tab_title);
    panel->page_number = n;
    return panel;
}

void SurveyWindow::make_panels(const Glib::RefPtr<Gtk::Builder>& builder) {
    // Without the notebook there is nowhere to put the pages.
    if (!notebook) fatal("Failed to find %s in UI", "notebook");
    while (notebook->get_n_pages() > 0)
        notebook->remove_page(-1);
    make_panel(builder, start_panel, "start_panel", "Start/Open Survey");
    make_panel(builder, member_panel, "member_panel", "Member Info");
    make_panel(builder, survey_panel1, "survey_panel1", "Survey Info Part 1");
    make_panel(builder, survey_panel2, "survey_panel2", "Survey Info Part 2");
    make_panel(builder, listed_panel, "listed_panel", "Listed Species");
    make_panel(builder, unlisted_panel, "unlisted_panel", "Unlisted Species");
    make_panel(builder, confirm_panel, "confirm_panel", "Confirmation");
}

void SurveyWindow::on_save_button() {
    on_action_FileSaveForLater("FileSaveForLater");
}

void SurveyWindow::on_ready_button() {
    on_action_FileSaveForUpload("FileSaveForUpload");
}

void SurveyWindow::on_back_button() {
    navigator->back();
}

void SurveyWindow::on_next_button() {
    navigator->next();
}

void SurveyWindow::go_to_field(SurveyField field) {
    navigator->go_to(field);
}

void SurveyWindow::on_switch_page(Gtk::Widget*, guint page_number) {
    int page = static_cast<int>(page_number);
    if (confirm_panel && page == confirm_panel->page_number) confirm_panel->refresh();
    if (back_button) back_button->set_sensitive(page != 0);
    if (next_button) next_button->set_sensitive(page < notebook->get_n_pages() - 1);
}

void SurveyWindow::set_title_string() {
    const Glib::ustring prefix = survey_panel1 ? survey_panel1->title_prefix() : "";
    set_title(prefix.empty() ? base_title : prefix + " - " + base_title);
}

void SurveyWindow::sync_name_options() {
    if (listed_panel) listed_panel->sync_name_options();
}

void SurveyWindow::name_options_changed() {
    if (listed_panel) listed_panel->update_columns();
    if (unlisted_panel) unlisted_panel->update_columns();
    if (confirm_panel) confirm_panel->update_columns();
}

void SurveyWindow::species_view_changed() {
    if (!unlisted_panel) return;
    unlisted_panel->setup_for_subregion(survey_data.subregion);
    unlisted_panel->refilter_added();
}

void SurveyWindow::location_set_up(const Glib::ustring& code) {
    survey_panel2->setup_for_subregion(code);
    listed_panel->setup_for_subregion(code);
    unlisted_panel->setup_for_subregion(code);
}

void SurveyWindow::survey_type_set_up(int subtype_id) {
    abundance_popups.use_subtype(subtype_id);
    survey_panel2->setup_for_survey_subtype();
    if (survey_data.region_fish_info)
        listed_panel->setup_instructions(*survey_data.region_fish_info);
    listed_panel->update_for_view();
    unlisted_panel->setup_for_survey_type();
}

void SurveyWindow::bottom_time_edited() {
    // An unusual bottom time confirmed once has to be confirmed again.
    if (confirm_panel && confirm_panel->confirm_bottom_time)
        confirm_panel->confirm_bottom_time->set_active(false);
}

void SurveyWindow::focus_location() {
    if (survey_panel1) survey_panel1->focus_on(survey_panel1->subregion);
}

void SurveyWindow::allow_save() {
    if (save_button) save_button->set_sensitive(true);
}

void SurveyWindow::set_can_upload(bool can_upload) {
    if (ready_button) ready_button->set_sensitive(can_upload);
    if (upload_button) upload_button->set_sensitive(can_upload);
}

void SurveyWindow::show_page(int page_number) {
    notebook->set_current_page(page_number);
}

RetCode SurveyWindow::replace_with_survey(const std::string& path) {
    SurveyWindow* opened = create(*app);
    app->app->add_window(*opened);
    const RetCode rc = opened->do_open(path);
    if (rc == RC_OK) {
        opened->show();
        close_for_good();
    } else {
        // The reader has said why; this window goes on as it was.
        app->app->remove_window(*opened);
        delete opened;
    }
    return rc;
}

void SurveyWindow::rebuild_from_new_data() {
    SurveyWindow* rebuilt = create(*app);
    app->app->add_window(*rebuilt);
    if (!survey_data.filename.empty()) rebuilt->do_open(survey_data.filename);
    rebuilt->show();
    close_for_good();
}

bool SurveyWindow::ready_to_upload() {
    confirm_panel->refresh();
    if (survey_data.is_complete) return true;
    titled_error("Can't upload yet", "Survey data is missing or invalid.");
    notebook->set_current_page(confirm_panel->page_number);
    return false;
}

void SurveyWindow::refresh_survey_list() {
    if (start_panel) start_panel->build_survey_model();
}

NetSession& SurveyWindow::network() {
    if (!net) {
        // One exchange at a time: the window waits for it, drawing, with
        // a way to stop it, and takes no other command meanwhile.
        net = NetSession::create();
        progress = std::make_unique<ProgressWindow>(*this, *net);
        net->progress = progress.get();
        menus.set_sensitive(false);
    }
    return *net;
}

void SurveyWindow::end_network() {
    if (!net) return;
    progress.reset();
    net.reset();
    menus.set_sensitive(true);
}

void SurveyWindow::close_for_good() {
    if (closing) return;
    closing = true;
    // A normal close: the copy of any abandoned answers goes with the window.
    recovery->stop();
    hide();
    Glib::signal_idle().connect_once([this]() { delete this; });
}

bool SurveyWindow::on_delete_event(GdkEventAny*) {
    bool okay = check_file_save_okay("closing this survey");
    if (okay) close_for_good();
    return !okay;
}
