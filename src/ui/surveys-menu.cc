#include "ui/surveys-menu.h"

#include "app/member-memory.h"
#include "app/store-backup.h"
#include "core/beside-loop.h"
#include "core/errors.h"
#include "core/misc.h"
#include "survey/survey-checks.h"
#include "survey/survey-file.h"
#include "survey/survey-reader.h"
#include "ui/dialogs.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/page-navigator.h"
#include "ui/progress-window.h"
#include "ui/start-panel.h"
#include "ui/survey-window.h"

#include <atomic>
#include <ctime>
#include <glibmm/convert.h>
#include <glibmm/main.h>
#include <glibmm/miscutils.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/messagedialog.h>

namespace {

// Runs work on a thread of its own behind the progress window, the main loop
// going on meanwhile; Cancel or Escape asks work to stop.
template <class Result>
Result beside_the_window(Gtk::Window& parent, const std::string& what,
                         const std::function<Result(const StoreProgress&)>& work) {
    NetSession session;
    ProgressWindow progress(parent, session);
    progress.step(what);
    progress.window.show();
    std::atomic<uint64_t> so_far{0}, total{0};
    Result result;
    run_beside_main_loop(
        [&] {
            result = work([&](uint64_t d, uint64_t t) {
                so_far = d;
                total = t;
                return !session.cancelled();
            });
        },
        [&] { progress.bytes(so_far, static_cast<int64_t>(total)); });
    return result;
}

void tell(Gtk::Window& parent, const Glib::ustring& title, const Glib::ustring& text,
          Gtk::MessageType kind = Gtk::MESSAGE_INFO) {
    Gtk::MessageDialog message(parent, text, false, kind, Gtk::BUTTONS_OK, true);
    message.set_title(title);
    message.set_icon_list(MyApp::icon_list);
    run_dialog(message);
}

std::string choose_archive(Gtk::Window& parent, bool saving, const std::string& name) {
    Gtk::FileChooserDialog chooser(parent, saving ? "Back Up Surveys" : "Restore Surveys",
                                   saving ? Gtk::FILE_CHOOSER_ACTION_SAVE
                                          : Gtk::FILE_CHOOSER_ACTION_OPEN);
    chooser.set_icon_list(MyApp::icon_list);
    chooser.set_local_only(true);
    chooser.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    chooser.add_button(saving ? "_Back Up" : "_Restore", Gtk::RESPONSE_ACCEPT);
    chooser.set_default_response(Gtk::RESPONSE_ACCEPT);
    auto filter = Gtk::FileFilter::create();
    filter->set_name("Survey backups (.tar.gz)");
    filter->add_pattern("*.tar.gz");
    chooser.add_filter(filter);
    if (saving) {
        chooser.set_current_folder(Glib::get_home_dir());
        chooser.set_current_name(name);
        chooser.set_do_overwrite_confirmation(true);
    }
    if (run_dialog(chooser) != Gtk::RESPONSE_ACCEPT) return "";
    return chooser.get_filename();
}

} // namespace

SurveysMenu::SurveysMenu(SurveyWindow& survey_window) : window(survey_window) {}

SurveysMenu::~SurveysMenu() {
    keeping.disconnect();
}

void SurveysMenu::add_handlers(WindowMenus::Handlers& handlers) {
    handlers["SurveysRepeat"] = [this] { new_survey_from_this(); };
    handlers["SurveysBackUp"] = [this] { back_up(); };
    handlers["SurveysRestore"] = [this] { restore(); };
    handlers["SurveysForget"] = [this] { forget_member_details(); };
}

void SurveysMenu::connect_pages() {
    window.start_panel->repeat_button.signal_clicked().connect([this] { new_survey_from_this(); });
    MemberPanel& member = *window.member_panel;
    if (!member.member_id || !member.last_name) return;
    const MemberDetails kept = remembered_member(window.app->get_local_data_dir());
    if (!kept.empty() && member.member_id->get_text().empty() &&
        member.last_name->get_text().empty()) {
        member.member_id->set_text(kept.member_id);
        member.last_name->set_text(kept.last_name);
        member.show_kept_details(true);
    }
    // Only what is typed into a new survey: a survey opened from its file
    // (someone else's, perhaps) does not change whose details are kept.
    auto keep = [this] {
        keeping.disconnect();
        if (!window.survey_data.filename.empty()) return;
        keeping = Glib::signal_timeout().connect(
            [this] {
                MemberPanel& m = *window.member_panel;
                if (!window.survey_data.filename.empty()) return false;
                remember_member(
                    window.app->get_local_data_dir(),
                    {trim_ws(m.member_id->get_text()), trim_ws(m.last_name->get_text())});
                return false;
            },
            500);
    };
    member.member_id->signal_changed().connect(keep);
    member.last_name->signal_changed().connect(keep);
}

void SurveysMenu::forget_member_details() {
    MemberPanel& member = *window.member_panel;
    // A survey not yet saved loses them too; a saved one keeps whose it is.
    if (window.survey_data.filename.empty() && member.member_id && member.last_name) {
        member.member_id->set_text("");
        member.last_name->set_text("");
    }
    keeping.disconnect(); // the clearing is nothing to keep
    forget_member(window.app->get_local_data_dir());
    member.show_kept_details(false);
}

void SurveysMenu::new_survey_from_this() {
    // On the Start page with a survey chosen, that survey; otherwise the one open.
    SurveyAnswers first = window.gather_answers(false);
    StartPanel& start = *window.start_panel;
    const std::string chosen = window.notebook->get_current_page() == start.page_number
                                   ? start.lookup_selected_survey(nullptr)
                                   : std::string();
    if (!chosen.empty()) {
        SurveyDocument document;
        SurveyAnswersRead read;
        Glib::ustring problem;
        if (!document.load(chosen) ||
            read_survey_answers(*document.survey, *window.app->region_info, read, problem) !=
                RC_OK) {
            titled_error("ERROR: Survey NOT loaded!", "%s: %s",
                         escape_markup(Glib::filename_display_name(chosen)).c_str(),
                         escape_markup(document.error.empty() ? problem : document.error).c_str());
            return;
        }
        first = read.answers;
    }
    if (!window.check_file_save_okay("closing it to start a new survey")) return;
    open_repeat(first);
}

void SurveysMenu::open_repeat(const SurveyAnswers& first) {
    SurveyWindow* fresh = SurveyWindow::create(*window.app);
    window.app->app->add_window(*fresh);
    fresh->apply_answers(repeat_dive(first));
    fresh->listed_panel->take_name_options(*window.listed_panel);
    // Untouched, the repeat is as good as a new survey: closing it asks nothing.
    Glib::ustring problem;
    if (fresh->generate_xml_string(problem, true) == RC_OK)
        fresh->survey_data.baseline_xml = fresh->survey_data.generated_xml;
    if (fresh->generate_xml_string(problem, false) == RC_OK)
        fresh->survey_data.saved_xml = fresh->survey_data.generated_xml;
    fresh->show();
    // The first answer left to give, in the pages' order.
    const CheckReference reference{window.app->region_info, window.app->data_defs,
                                   window.app->data_params, window.app->habitat_info};
    const std::vector<CheckedAnswer> faults =
        check_survey(fresh->gather_answers(false), fresh->survey_data, reference, local_today())
            .faults();
    if (faults.empty())
        fresh->navigator->focus_page_start(true);
    else
        fresh->go_to_field(faults.front().field);
    window.close_for_good();
}

void SurveysMenu::back_up() {
    const time_t now = time(nullptr);
    struct tm today = {};
    localtime_r(&now, &today);
    const std::string archive = choose_archive(
        window, true, default_backup_name(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday));
    if (archive.empty()) return;
    const std::string store = window.app->get_survey_dir(MyApp::SURVEY_ROOT);
    const BackupResult result = beside_the_window<BackupResult>(
        window, "Backing up surveys",
        [&](const StoreProgress& progress) { return back_up_store(store, archive, progress); });
    if (!result.ok) {
        tell(window, "Backup Failed", "The surveys were not backed up: " + result.error,
             Gtk::MESSAGE_ERROR);
        return;
    }
    tell(window, "Surveys Backed Up",
         format("%zu %s saved in %s, and read back to check them.", result.surveys,
                result.surveys == 1 ? "survey" : "surveys",
                escape_markup(Glib::filename_display_name(archive)).c_str()));
}

void SurveysMenu::restore() {
    const std::string archive = choose_archive(window, false, "");
    if (archive.empty()) return;
    const std::string store = window.app->get_survey_dir(MyApp::SURVEY_ROOT);
    const RestoreResult result = beside_the_window<RestoreResult>(
        window, "Restoring surveys",
        [&](const StoreProgress& progress) { return restore_store(archive, store, progress); });
    window.start_panel->build_survey_model();
    if (!result.ok && result.added.empty()) {
        tell(window, "Restore Failed", "No survey was restored: " + escape_markup(result.error),
             Gtk::MESSAGE_ERROR);
        return;
    }
    Glib::ustring text =
        format("%zu %s added to your surveys, %zu skipped.", result.added.size(),
               result.added.size() == 1 ? "survey" : "surveys", result.skipped.size());
    if (!result.added.empty())
        text += "\n\nSurveys are added to In Progress (uploaded ones to Uploaded): mark them "
                "again for upload when they are ready.";
    for (const RestoreResult::Skipped& skipped : result.skipped)
        text += "\n" + escape_markup(skipped.member + ": " + skipped.reason);
    if (!result.ok) text += "\n\nThe restore stopped early: " + escape_markup(result.error);
    tell(window, "Surveys Restored", text);
}
