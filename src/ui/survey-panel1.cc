#include "ui/survey-panel1.h"

#include "core/errors.h"
#include "core/misc.h"
#include "core/suggest.h"
#include "refdata/abundance-choices.h"
#include "refdata/data-defs.h"
#include "refdata/region-info.h"
#include "survey/survey-checks.h"
#include "ui/dialogs.h"
#include "ui/drop-down-box.h"
#include "ui/my-app.h"
#include "ui/page-host.h"
#include "ui/species-tree-columns.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <glibmm/main.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/stock.h>

namespace {
// The data set's dive start list begins at midnight; the small hours go last.
const unsigned DIVE_START_ROTATION = 6;
} // namespace

SurveyPanel1::SurveyPanel1(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void SurveyPanel1::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                  PageHost* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget_derived("subregion", subregion);
    builder->get_widget_derived("survey_subtype", survey_subtype);
    builder->get_widget_derived("month", month);
    builder->get_widget_derived("mday", mday);
    builder->get_widget_derived("year", year);
    builder->get_widget_derived("dive_start", dive_start);
    builder->get_widget("zonecode", zonecode);
    builder->get_widget("zone_name_status", zone_name_status);
    builder->get_widget("zone_name", zone_name);
    builder->get_widget("zone_search", zone_search);
    builder->get_widget("no_geog_matches", no_geog_matches);
    no_zone_match.attach(no_geog_matches, zone_search);
    builder->get_widget("geog_tree", geog_tree);

    fill_date_boxes();
    for (DropDownBox* box : {month, mday, year, dive_start})
        if (box) box->signal_changed().connect([this]() { window->set_title_string(); });
    if (subregion && app && app->region_info)
        subregion->init(app->region_info->subregion_name_values, app->region_info->subregion_names,
                        -1, 0);
    if (subregion)
        subregion->signal_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel1::on_subregion_changed));
    if (survey_subtype)
        survey_subtype->signal_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel1::on_survey_subtype_changed));
    for (Gtk::Widget* widget :
         {static_cast<Gtk::Widget*>(survey_subtype), static_cast<Gtk::Widget*>(zonecode),
          static_cast<Gtk::Widget*>(zone_search)})
        if (widget) widget->set_sensitive(false);
    if (zone_name) zone_name->set_text("");
    if (zone_name_status) zone_name_status->set_text("");
    if (zonecode)
        zonecode->signal_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel1::on_zonecode_changed));
    if (zone_search)
        zone_search->signal_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel1::on_zone_search_changed));
    if (no_geog_matches) no_geog_matches->hide();
    geog_store = Gtk::TreeStore::create(geog_columns);
    if (geog_tree) {
        geog_tree->set_model(geog_store);
        // Fixed-height rows let a search of thousands of zones redraw at once.
        int column = geog_tree->append_column("Geographic Zone", geog_columns.label) - 1;
        geog_tree->get_column(column)->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
        geog_tree->set_fixed_height_mode(true);
        keep_title_whole(*geog_tree, *geog_tree->get_column(column));
        geog_tree->signal_cursor_changed().connect(
            sigc::mem_fun(*this, &SurveyPanel1::on_geog_clicked));
        geog_selection = geog_tree->get_selection();
        look_through_by_keys();
    }
    triggers_suppressed = false;
}

void SurveyPanel1::fill_date_boxes() {
    if (dive_start && app && app->data_defs) {
        auto group = app->data_defs->defs.find("divestart");
        if (group != app->data_defs->defs.end())
            dive_start->init(group->second.values, group->second.labels, -1, DIVE_START_ROTATION);
    }
    if (month)
        month->init({{1, "January"},
                     {2, "February"},
                     {3, "March"},
                     {4, "April"},
                     {5, "May"},
                     {6, "June"},
                     {7, "July"},
                     {8, "August"},
                     {9, "September"},
                     {10, "October"},
                     {11, "November"},
                     {12, "December"}},
                    0);
    if (mday) {
        std::vector<int> ids;
        std::vector<Glib::ustring> labels;
        for (int day = 1; day <= 31; ++day) {
            ids.push_back(day);
            labels.push_back(Glib::ustring::format(day));
        }
        mday->init(ids, labels, 0, 0);
    }
    if (year) {
        time_t now = time(nullptr);
        struct tm local;
        localtime_r(&now, &local);
        int this_year = local.tm_year + 1900;
        year->init({{this_year, Glib::ustring::format(this_year)},
                    {this_year - 1, Glib::ustring::format(this_year - 1)},
                    {this_year - 2, Glib::ustring::format(this_year - 2)},
                    {this_year - 3, Glib::ustring::format(this_year - 3)}},
                   0);
    }
}

void GeogTreeColumns::set(const Gtk::TreeRow& row, int zone_id, const Glib::ustring& zone_name) {
    row[id] = zone_id;
    row[name] = zone_name;
    row[label] = Glib::ustring::format(zone_id) + ": " + zone_name;
}

GtkTreeIter GeogTreeColumns::insert_row(GtkTreeStore* store, GtkTreeIter* parent,
                                        GtkTreeIter* sibling, int zone_id,
                                        const Glib::ustring& zone_name) const {
    GtkTreeIter row;
    gtk_tree_store_insert_after(store, &row, sibling ? nullptr : parent, sibling);
    const std::string text = std::to_string(zone_id) + ": " + zone_name.raw();
    gtk_tree_store_set(store, &row, id.index(), zone_id, name.index(), zone_name.c_str(),
                       label.index(), text.c_str(), -1);
    return row;
}

bool SurveyPanel1::suppressed(const char* handler) const {
    if (triggers_suppressed && debug_level > 0) printf("suppressed: %s\n", handler);
    return triggers_suppressed;
}

void SurveyPanel1::restore_subregion_choice() {
    // Selecting the old item runs on_subregion_changed again; when the old
    // subregion is not in the list nothing gets selected, which would differ
    // from the survey's subregion and ask the question a second time.
    triggers_suppressed = true;
    const auto& names = app->region_info->subregion_name_by_code;
    auto old = names.find(window->survey_data.subregion);
    subregion->select_label(old == names.end() ? Glib::ustring() : old->second);
    triggers_suppressed = false;
}

void SurveyPanel1::on_subregion_changed() {
    if (suppressed("on_subregion_changed") || !app->region_info) return;
    const auto& codes = app->region_info->subregion_code_by_name;
    auto found = codes.find(subregion->get_selected_label());
    const Glib::ustring code = found == codes.end() ? Glib::ustring() : found->second;
    SurveyData& survey = window->survey_data;
    if (code == survey.subregion) return;
    int marked = 0;
    for (const auto& entry : survey.abundances)
        if (entry.second != 0) ++marked;
    if (marked > 0) {
        Gtk::MessageDialog question(
            window->dialog_parent(),
            Glib::ustring::format(marked) +
                " species you have selected will be lost if you change the survey region!\n"
                "Do you want to change the survey region and start over selecting species?\n"
                "Click Yes to proceed and clear the selected species,\n"
                "or Cancel to leave the survey region as it was for now.",
            true, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
        question.add_button(Gtk::Stock::YES, Gtk::RESPONSE_ACCEPT);
        question.add_button(Gtk::Stock::CANCEL, Gtk::RESPONSE_CANCEL);
        question.set_default_response(Gtk::RESPONSE_CANCEL);
        question.set_title("Clear selected species?");
        question.set_icon_list(MyApp::icon_list);
        if (run_dialog(question) != Gtk::RESPONSE_ACCEPT) {
            restore_subregion_choice();
            return;
        }
    }
    setup_for_subregion(code);
}

RetCode SurveyPanel1::setup_for_subregion(const Glib::ustring& code) {
    if (suppressed("setup_for_subregion") || !app->region_info) return RC_OK;
    triggers_suppressed = true;
    if (debug_level > 0) printf("*** Triggers suppressed by %s\n", "setup_for_subregion");
    const RegionInfo& regions = *app->region_info;
    window->allow_save();
    auto name = regions.subregion_name_by_code.find(code);
    subregion->select_label(name == regions.subregion_name_by_code.end() ? Glib::ustring()
                                                                         : name->second);
    SurveyData& survey = window->survey_data;
    if (code != survey.subregion) {
        survey.abundances.clear();
        auto region = regions.region_code_by_subregion.find(code);
        survey.region = region == regions.region_code_by_subregion.end() ? "" : region->second;
        survey.subregion = code;
        auto fish = regions.fish_info.find(survey.region);
        survey.region_fish_info = fish == regions.fish_info.end() ? nullptr : &fish->second;
        auto info = regions.subregion_info.find(code);
        survey.subregion_info = info == regions.subregion_info.end() ? nullptr : &info->second;
        survey.survey_subtype = nullptr;
        survey.filename.clear();
        survey.show_fish = survey.show_inverts = false;
        // The zone labels keep their text until the code is next edited.
        zonecode->set_text("");
    }
    auto subtypes = regions.subtype_defs.find(code);
    if (subtypes == regions.subtype_defs.end())
        survey_subtype->init(std::vector<int>(), std::vector<Glib::ustring>(), -1, 0);
    else
        survey_subtype->init(subtypes->second.values, subtypes->second.labels, -1, 0);
    window->location_set_up(code);
    rebuild_zone_tree();
    for (Gtk::Widget* widget :
         std::initializer_list<Gtk::Widget*>{survey_subtype, zonecode, zone_search})
        widget->set_sensitive(true);
    if (debug_level > 0) printf("*** Triggers released by %s\n", "setup_for_subregion");
    triggers_suppressed = false;
    on_survey_subtype_changed();
    return RC_OK;
}

void SurveyPanel1::on_survey_subtype_changed() {
    if (suppressed("on_survey_subtype_changed") || !app->region_info) return;
    SurveyData& survey = window->survey_data;
    const int id = survey_subtype->get_selected_id();
    const auto& regions = app->region_info->regions;
    if (id < 0 || static_cast<size_t>(id) >= regions.size()) {
        if (debug_level > 0) printf("survey subtype cleared\n");
        survey.survey_subtype = nullptr;
        return;
    }
    if (debug_level > 0) printf("survey subtype changed to %d\n", id);
    const Region& record = regions[id];
    survey.survey_subtype = &record;
    if (record.surveytypeid != id)
        printf("Uh oh, survey_subtype_id confusion: %d vs. %d\n", record.surveytypeid, id);
    if (debug_level > 0) printf("survey subtype set to %s\n", record.surveytypename.c_str());
    // A type that the abundance lists or menus do not know has no list and no menu.
    const auto* choices =
        app->abundance_choices ? &app->abundance_choices->subtype_choices : nullptr;
    survey.subtype_abundance_choices =
        choices && static_cast<size_t>(id) < choices->size() ? &(*choices)[id] : nullptr;
    survey.show_fish = record.has_fish;
    survey.show_inverts = record.has_inverts;
    window->species_columns.abundance_choices = survey.subtype_abundance_choices;
    window->survey_type_set_up(id);
}

RetCode SurveyPanel1::set_survey_subtype_even_invisible(const Glib::ustring& code, int subtype_id) {
    // The file reader reports this as a damaged survey file.
    if (code.empty() || !app->region_info) return RC_ERROR;
    const auto& hidden = app->region_info->hidden_subtypes;
    auto subtypes = hidden.find(code);
    if (subtypes != hidden.end()) {
        auto name = subtypes->second.find(subtype_id);
        if (name != subtypes->second.end()) {
            if (debug_level > 0)
                printf("Hey, invisible subtype %d %s\n", subtype_id, name->second.c_str());
            survey_subtype->add_item(subtype_id, name->second + " - " + NO_LONGER_AVAILABLE);
        }
    }
    survey_subtype->select_id(subtype_id);
    return RC_OK;
}

void SurveyPanel1::show_zone(const Glib::ustring& status, const Glib::ustring& name) {
    zone_name_status->set_text(status);
    zone_name->set_text(name);
    window->set_title_string();
}

void SurveyPanel1::on_zonecode_changed() {
    if (suppressed("on_zonecode_changed")) return;
    const Glib::ustring code = trim_ws(zonecode->get_text());
    const RegionFishInfo* fish = window->survey_data.region_fish_info;
    zone_description.clear();
    if (!fish || code.empty()) return show_zone("", "");
    const Glib::ustring text = ::zone_name(*fish, code);
    if (text.empty()) return show_zone("Zone Unknown  ", "");
    const bool partial = code.size() <= 7;
    zone_description = (partial ? "Partial Zone: " : "") + text;
    show_zone(partial ? "Partial Zone: " : "Zone Name: ", text);
}

void SurveyPanel1::on_zone_search_changed() {
    if (window->survey_data.region_fish_info) rebuild_zone_tree();
}

void SurveyPanel1::index_zone_names(const RegionFishInfo* fish) {
    if (!fish || zone_catalogue == fish) return;
    zone_catalogue = fish;
    zone_names_lower.clear();
    for (int id : fish->geog_ids) {
        auto zone = fish->geogs.find(id);
        zone_names_lower.push_back(zone == fish->geogs.end() ? "" : fold_for_search(zone->second));
    }
}

bool SurveyPanel1::in_subregion(const std::string& code) const {
    // The Pacific coast file holds both subregions: California's codes start with 4.
    const SurveyData& survey = window->survey_data;
    return survey.region != "PAC" || code.empty() ||
           (code[0] == '4') != (survey.subregion == "PNW");
}

void SurveyPanel1::rebuild_zone_tree() {
    const RegionFishInfo* fish = window->survey_data.region_fish_info;
    index_zone_names(fish);
    const Glib::ustring search = trim_ws(fold_for_search(zone_search->get_text()));
    // A fresh store, filled while no view shows it, and rows added after the
    // last sibling: appending would walk the siblings on every row.
    auto store = Gtk::TreeStore::create(geog_columns);
    struct Open {
        std::string code;
        int list_index;
        bool shown, any_child;
        GtkTreeIter row, last_child;
    };
    std::vector<Open> open; // ancestors of the zone at hand, outermost first
    GtkTreeIter last_top;
    bool any_top = false;
    auto add_row = [&](Open* parent, int id, const Glib::ustring& name) {
        GtkTreeIter& last = parent ? parent->last_child : last_top;
        bool& any_before = parent ? parent->any_child : any_top;
        last = geog_columns.insert_row(store->gobj(), parent ? &parent->row : nullptr,
                                       any_before ? &last : nullptr, id, name);
        any_before = true;
        return last;
    };
    auto name_at = [&](size_t i) -> const Glib::ustring& {
        auto zone = fish->geogs.find(fish->geog_ids[i]);
        return zone == fish->geogs.end() ? zone_names_lower[i] : zone->second;
    };
    bool any = false;
    for (size_t i = 0; fish && i < fish->geog_ids.size(); ++i) {
        const int id = fish->geog_ids[i];
        const Glib::ustring& name = name_at(i);
        if (debug_level > 8) printf("%d: %s\n", id, name.c_str());
        const std::string code = std::to_string(id);
        while (!open.empty() &&
               !(open.back().code.size() < code.size() && has_prefix(code, open.back().code)))
            open.pop_back();
        if (!in_subregion(code)) continue;
        // Bytes: a valid UTF-8 word can only match whole characters.
        if (!search.empty() && zone_names_lower[i].raw().find(search.raw()) == std::string::npos) {
            open.push_back({code, static_cast<int>(i), false, false, {}, {}});
            continue;
        }
        for (size_t k = 0; k < open.size(); ++k)
            if (!open[k].shown) {
                const size_t at = static_cast<size_t>(open[k].list_index);
                open[k].row = add_row(k ? &open[k - 1] : nullptr, fish->geog_ids[at], name_at(at));
                open[k].shown = true;
            }
        const GtkTreeIter row = add_row(open.empty() ? nullptr : &open.back(), id, name);
        if (code.size() < 8) open.push_back({code, static_cast<int>(i), true, false, row, {}});
        any = true;
    }
    show_zones(store, any, search);
}

void SurveyPanel1::show_zones(const Glib::RefPtr<Gtk::TreeStore>& store, bool any,
                              const Glib::ustring& search) {
    geog_store = store;
    geog_tree->set_model(geog_store);
    // Every row shown by a search leads to a match: show them all.
    if (!search.empty()) geog_tree->expand_all();
    no_geog_matches->set_visible(!any);
    no_zone_match.offer(any || search.empty() ? std::vector<Glib::ustring>()
                                              : zone_suggestions(search));
}

std::vector<Glib::ustring> SurveyPanel1::zone_suggestions(const Glib::ustring& search) const {
    const RegionFishInfo* fish = window->survey_data.region_fish_info;
    if (!fish) return {};
    std::vector<std::string> names;
    std::vector<int> ids;
    for (size_t i = 0; i < fish->geog_ids.size() && i < zone_names_lower.size(); ++i) {
        if (!in_subregion(std::to_string(fish->geog_ids[i]))) continue;
        names.push_back(zone_names_lower[i].raw());
        ids.push_back(fish->geog_ids[i]);
    }
    std::vector<Glib::ustring> offered;
    for (size_t i : nearest_names(names, search.raw())) {
        auto zone = fish->geogs.find(ids[i]);
        if (zone != fish->geogs.end()) offered.push_back(zone->second);
    }
    return offered;
}

void SurveyPanel1::look_through_by_keys() {
    // The cursor moved by keys, or put on a row as the focus arrives, only
    // shows the row: a keyboard user looks through the zones without
    // changing the answer. Return or Space then acts as a click.
    // The flag holds while the key or the focus is handled, which may or
    // may not move the cursor; the toolkit runs no handler after one that
    // handled it, so an idle moment clears it.
    auto moving = +[](GtkTreeView*, GtkMovementStep, gint, gpointer self) -> gboolean {
        static_cast<SurveyPanel1*>(self)->keys_move_cursor();
        return FALSE;
    };
    auto focusing = +[](GtkWidget*, GtkDirectionType, gpointer self) -> gboolean {
        static_cast<SurveyPanel1*>(self)->keys_move_cursor();
        return FALSE;
    };
    GtkWidget* tree = GTK_WIDGET(geog_tree->gobj());
    g_signal_connect(tree, "move-cursor", G_CALLBACK(moving), this);
    g_signal_connect(tree, "focus", G_CALLBACK(focusing), this);
    geog_tree->signal_row_activated().connect([this](const Gtk::TreePath&, Gtk::TreeViewColumn*) {
        GdkEvent* event = gtk_get_current_event();
        const bool key = event && event->type == GDK_KEY_PRESS;
        if (event) gdk_event_free(event);
        // A double click already acted on its first click.
        if (key) act_on_zone_row();
    });
}

void SurveyPanel1::keys_move_cursor() {
    if (cursor_by_keys) return;
    cursor_by_keys = true;
    Glib::signal_idle().connect_once(sigc::mem_fun(*this, &SurveyPanel1::keys_done));
}

void SurveyPanel1::on_geog_clicked() {
    if (!cursor_by_keys) act_on_zone_row();
}

void SurveyPanel1::act_on_zone_row() {
    Gtk::TreePath path;
    Gtk::TreeViewColumn* column = nullptr;
    geog_tree->get_cursor(path, column);
    if (path.empty()) return;
    Gtk::TreeIter iter = geog_store->get_iter(path);
    if (!iter) return;
    const int id = (*iter)[geog_columns.id];
    if (debug_level >= 30)
        printf("geog clicked: id %d: %s\n", id, Glib::ustring((*iter)[geog_columns.name]).c_str());
    if (id >= 10000000) {
        if (!window->survey_data.already_uploaded) zonecode->set_text(Glib::ustring::format(id));
    } else if (geog_tree->row_expanded(path)) {
        geog_tree->collapse_row(path);
    } else {
        geog_tree->expand_row(path, false);
    }
}

void SurveyPanel1::focus_on(Gtk::Widget* widget) {
    window->show_page(page_number);
    if (widget) widget->grab_focus();
}

void SurveyPanel1::disable_inputs() {
    Gtk::Widget* controls[] = {subregion, survey_subtype, month,           mday,
                               year,      dive_start,     zonecode,        zone_name_status,
                               zone_name, zone_search,    no_geog_matches, geog_tree};
    for (Gtk::Widget* widget : controls)
        if (widget) widget->set_sensitive(false);
    // An uploaded survey's zone can still be looked up.
    if (zone_search) zone_search->set_sensitive(true);
    if (geog_tree) geog_tree->set_sensitive(true);
}

Glib::ustring SurveyPanel1::get_dive_start_string() const {
    int id = dive_start ? dive_start->get_selected_id() : -1;
    if (id == 24 || id == -1) return "0000";
    return format("%04d", id * 100);
}

Glib::ustring SurveyPanel1::title_prefix() const {
    auto id_of = [](const DropDownBox* box) { return box ? box->get_selected_id() : 0; };
    Glib::ustring title;
    const std::string date = format("%04d-%02d-%02d", id_of(year), id_of(month), id_of(mday));
    if (date != "0000-00-00") title = date;
    const Glib::ustring start = dive_start ? dive_start->get_selected_label() : "";
    if (!start.empty()) title += " " + start;
    if (!zone_description.empty()) {
        if (!title.empty()) title += " - ";
        title += zone_description;
    }
    return title;
}

void SurveyPanel1::select_year(int year_id) {
    // A survey older than the years offered keeps its year.
    DropDownBox& box = *year;
    const bool offered = std::any_of(box.items.begin(), box.items.end(),
                                     [&](const auto& item) { return item.first == year_id; });
    if (year_id > 0 && !offered) box.add_item(year_id, format("%04d", year_id));
    box.select_id(year_id);
}

void SurveyPanel1::take_location_and_type(const SurveyPanel1& from) {
    const Glib::ustring location = from.subregion->get_selected_label();
    if (!location.empty()) subregion->select_label(location);
    const int subtype = from.survey_subtype->get_selected_id();
    if (subtype != from.survey_subtype->unset_id) survey_subtype->select_id(subtype);
}
