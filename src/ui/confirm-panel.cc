#include "ui/confirm-panel.h"

#include "core/errors.h"
#include "core/misc.h"
#include "refdata/data-params.h"
#include "refdata/species-views.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/my-app.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"
#include "ui/survey-window.h"

#include <cstdio>
#include <ctime>
#include <glibmm/main.h>
#include <set>

namespace {

// Entries are read without the blanks around their text.
Glib::ustring entry_text(const Gtk::Entry* entry) {
    return entry ? trim_ws(entry->get_text()) : Glib::ustring();
}

Glib::ustring box_text(const DropDownBox* box) {
    return box ? box->get_selected_label() : Glib::ustring();
}

int box_id(const DropDownBox* box) {
    return box ? box->get_selected_id() : 0;
}

} // namespace

ConfirmPanel::ConfirmPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void ConfirmPanel::look_up_widgets(const Glib::RefPtr<Gtk::Builder>& builder) {
    const std::pair<const char*, Gtk::Label**> labels[] = {
        {"confirm_instructions", &confirm_instructions},
        {"conf_label_member_id", &conf_label_member_id},
        {"conf_member_id", &conf_member_id},
        {"conf_label_last_name", &conf_label_last_name},
        {"conf_last_name", &conf_last_name},
        {"conf_label_survey_type", &conf_label_survey_type},
        {"conf_survey_type", &conf_survey_type},
        {"conf_label_survey_date", &conf_label_survey_date},
        {"conf_survey_date", &conf_survey_date},
        {"conf_label_dive_start", &conf_label_dive_start},
        {"conf_dive_start", &conf_dive_start},
        {"conf_label_zone_code", &conf_label_zone_code},
        {"conf_zone_code", &conf_zone_code},
        {"conf_zone_name", &conf_zone_name},
        {"conf_label_surface_temp", &conf_label_surface_temp},
        {"conf_surface_temp", &conf_surface_temp},
        {"conf_label_bottom_temp", &conf_label_bottom_temp},
        {"conf_bottom_temp", &conf_bottom_temp},
        {"conf_label_bottom_time", &conf_label_bottom_time},
        {"conf_bottom_time", &conf_bottom_time},
        {"conf_label_visibility", &conf_label_visibility},
        {"conf_visibility", &conf_visibility},
        {"conf_label_avg_depth", &conf_label_avg_depth},
        {"conf_avg_depth", &conf_avg_depth},
        {"conf_label_max_depth", &conf_label_max_depth},
        {"conf_max_depth", &conf_max_depth},
        {"conf_label_current", &conf_label_current},
        {"conf_current", &conf_current},
        {"conf_label_habitat", &conf_label_habitat},
        {"conf_habitat", &conf_habitat},
        {"conf_label_total_species", &conf_label_total_species},
        {"conf_total_species", &conf_total_species},
        {"conf_listed_species", &conf_listed_species},
        {"conf_unlisted_species", &conf_unlisted_species},
    };
    for (const auto& [id, field] : labels)
        builder->get_widget(id, *field);
    builder->get_widget("confirm_bottom_time", confirm_bottom_time);
    builder->get_widget("conf_listed_box", conf_listed_box);
    builder->get_widget("conf_listed_tree", conf_listed_tree);
    builder->get_widget("conf_unlisted_box", conf_unlisted_box);
    builder->get_widget("conf_unlisted_tree", conf_unlisted_tree);
}

void ConfirmPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                  SurveyWindow* survey_window) {
    window = survey_window;
    app = window->app;
    look_up_widgets(builder);
    if (confirm_bottom_time)
        confirm_bottom_time->signal_toggled().connect(sigc::mem_fun(*this, &ConfirmPanel::refresh));
    if (conf_listed_box) conf_listed_box->hide();
    if (conf_unlisted_box) conf_unlisted_box->hide();

    struct Tree {
        Gtk::TreeView* view;
        Glib::RefPtr<Gtk::TreeSelection>& selection;
        void (ConfirmPanel::*clicked)();
        Gtk::TreeViewColumn& id_column;
        Gtk::CellRendererText& id_renderer;
        void (ConfirmPanel::*render)(Gtk::CellRenderer*, const Gtk::TreeIter&);
        Gtk::TreeViewColumn& name_column;
        Gtk::CellRendererText& name_renderer;
    };
    Tree trees[] = {{conf_listed_tree, listed_selection, &ConfirmPanel::on_listed_clicked,
                     listed_id_column, listed_id_renderer, &ConfirmPanel::listed_render_id,
                     listed_name_column, listed_name_renderer},
                    {conf_unlisted_tree, unlisted_selection, &ConfirmPanel::on_unlisted_clicked,
                     unlisted_id_column, unlisted_id_renderer, &ConfirmPanel::unlisted_render_id,
                     unlisted_name_column, unlisted_name_renderer}};
    for (Tree& tree : trees) {
        if (tree.view) {
            tree.view->signal_cursor_changed().connect(sigc::mem_fun(*this, tree.clicked));
            tree.selection = tree.view->get_selection();
        }
        tree.id_column.set_title("ID");
        tree.id_column.pack_start(tree.id_renderer, false);
        tree.id_column.set_cell_data_func(tree.id_renderer, sigc::mem_fun(*this, tree.render));
        tree.name_column.pack_start(tree.name_renderer, true);
        tree.name_column.set_expand(true);
    }
    attach_to_stores();
    window->signal_species_stores_rebuilt.connect(
        sigc::mem_fun(*this, &ConfirmPanel::attach_to_stores));
}

void ConfirmPanel::attach_to_stores() {
    // The old filters hold the last references to the old stores: freeing
    // their rows waits for an idle moment, so that the rebuild answers sooner.
    Glib::signal_idle().connect_once([old = std::make_pair(listed_filter, unlisted_filter)] {});
    // The trees take the new filters when the page is next checked: a tree
    // given a filter makes it look at every row, which would slow down a
    // survey type change over thousands of species.
    listed_filter = Gtk::TreeModelFilter::create(window->listed_store);
    listed_filter->set_visible_func(sigc::mem_fun(*this, &ConfirmPanel::listed_check_visible));
    if (conf_listed_tree) conf_listed_tree->unset_model();
    unlisted_filter = Gtk::TreeModelFilter::create(window->unlisted_store);
    unlisted_filter->set_visible_func(sigc::mem_fun(*this, &ConfirmPanel::unlisted_check_visible));
    if (conf_unlisted_tree) conf_unlisted_tree->unset_model();
}

void ConfirmPanel::set_redbold(Gtk::Label* label) {
    if (!label) return;
    clear_redbold(label);
    label->set_markup(red(label->get_label()));
}

void ConfirmPanel::clear_redbold(Gtk::Label* label) {
    if (!label) return;
    const Glib::ustring markup = label->get_label();
    if (!has_prefix(markup, red_start) || markup.size() < red_start.size() + red_end.size()) return;
    label->set_markup(
        markup.substr(red_start.size(), markup.size() - red_start.size() - red_end.size()));
}

void ConfirmPanel::show_fault(Gtk::Label* caption, Gtk::Label* value, const Glib::ustring& markup,
                              bool& verdict) {
    verdict = false;
    set_redbold(caption);
    if (value) value->set_markup(red(markup));
}

void ConfirmPanel::show_pass(Gtk::Label* caption, Gtk::Label* value, const Glib::ustring& markup) {
    clear_redbold(caption);
    if (value) value->set_markup(markup);
}

bool ConfirmPanel::required_by_type() const {
    // Until a survey type is chosen everything is asked for.
    const Region* subtype = window->survey_data.survey_subtype;
    return !subtype || subtype->has_abundance;
}

bool ConfirmPanel::set_simple_field(Gtk::Label* caption, Gtk::Label* value,
                                    const Glib::ustring& text, bool& verdict, int required) {
    const bool needed = required > 0 || (required < 0 && required_by_type());
    if (needed && text.empty()) {
        show_fault(caption, value, "Required", verdict);
        return false;
    }
    show_pass(caption, value, text);
    return true;
}

int ConfirmPanel::param(const Glib::ustring& name) const {
    if (!app || !app->data_params) return 0;
    const auto& params = app->data_params->params;
    auto found = params.find(name);
    return found == params.end() ? 0 : found->second;
}

void ConfirmPanel::refresh() {
    SurveyData& survey = window->survey_data;
    bool verdict = true;
    MemberPanel* member = window->member_panel;
    set_simple_field(conf_label_member_id, conf_member_id,
                     escape_markup(entry_text(member ? member->member_id : nullptr)), verdict, 1);
    set_simple_field(conf_label_last_name, conf_last_name,
                     escape_markup(entry_text(member ? member->last_name : nullptr)), verdict, 1);
    check_survey_type(verdict);
    check_date(verdict);
    SurveyPanel1* p1 = window->survey_panel1;
    set_simple_field(conf_label_dive_start, conf_dive_start,
                     escape_markup(box_text(p1 ? p1->dive_start : nullptr)), verdict, 1);
    check_zone(verdict);
    SurveyPanel2* p2 = window->survey_panel2;
    check_temperature(p2 ? p2->surface_temp : nullptr, conf_label_surface_temp, conf_surface_temp,
                      verdict);
    check_temperature(p2 ? p2->bottom_temp : nullptr, conf_label_bottom_temp, conf_bottom_temp,
                      verdict);
    check_bottom_time(verdict);
    check_conditions(verdict);
    int listed = 0, unlisted = 0;
    check_species(verdict, listed, unlisted);

    survey.is_complete = verdict;
    if (confirm_instructions)
        confirm_instructions->set_markup(
            verdict ? Glib::ustring("Please check that all information is correct.")
                    : "Please check that all information is correct; items " +
                          red("marked in red") + " need to be fixed.");
    const bool can_upload = survey.is_complete && !survey.already_uploaded;
    if (window->ready_button) window->ready_button->set_sensitive(can_upload);
    if (window->upload_button) window->upload_button->set_sensitive(can_upload);
    show_species_trees(listed, unlisted);
    update_columns();
}

void ConfirmPanel::check_survey_type(bool& verdict) {
    SurveyPanel1* p1 = window->survey_panel1;
    const Glib::ustring text = box_text(p1 ? p1->survey_subtype : nullptr);
    if (text.find(NO_LONGER_AVAILABLE) != Glib::ustring::npos)
        show_fault(conf_label_survey_type, conf_survey_type, escape_markup(text), verdict);
    else
        show_pass(conf_label_survey_type, conf_survey_type, escape_markup(text));
}

void ConfirmPanel::check_date(bool& verdict) {
    SurveyPanel1* p1 = window->survey_panel1;
    const int y = box_id(p1 ? p1->year : nullptr);
    const int m = box_id(p1 ? p1->month : nullptr);
    const int d = box_id(p1 ? p1->mday : nullptr);
    if (y == 0 || m == 0 || d == 0) {
        show_fault(conf_label_survey_date, conf_survey_date, "Required", verdict);
        return;
    }
    const Glib::ustring text = format("%04d-%02d-%02d", y, m, d);
    struct tm day = {};
    day.tm_mday = d;
    day.tm_mon = m - 1;
    day.tm_year = y - 1900;
    day.tm_isdst = -1;
    const time_t when = mktime(&day);
    const time_t now = time(nullptr);
    if (debug_level >= 10)
        printf("mktime ret %ld (now = %ld) %d-%d-%d for %d-%d-%d\n", long(when), long(now),
               day.tm_year + 1900, day.tm_mon + 1, day.tm_mday, y, m, d);
    // mktime moves 31 April to 1 May: a changed day or month means no such date.
    if (when == time_t(-1) || day.tm_mon != m - 1 || day.tm_mday != d)
        show_fault(conf_label_survey_date, conf_survey_date, text + "      Invalid date", verdict);
    else if (when > now)
        show_fault(conf_label_survey_date, conf_survey_date, text + "      Date is in the future",
                   verdict);
    else
        show_pass(conf_label_survey_date, conf_survey_date, text);
}

void ConfirmPanel::check_zone(bool& verdict) {
    SurveyPanel1* p1 = window->survey_panel1;
    const Glib::ustring code = entry_text(p1 ? p1->zonecode : nullptr);
    const Glib::ustring description = p1 ? p1->zone_description : Glib::ustring();
    if (code.size() >= 8 && !description.empty())
        show_pass(conf_label_zone_code, conf_zone_code, escape_markup(code));
    else if (code.empty())
        show_fault(conf_label_zone_code, conf_zone_code, "Required", verdict);
    else if (code.size() < 8)
        show_fault(conf_label_zone_code, conf_zone_code, escape_markup(code) + "   Incomplete zone",
                   verdict);
    else
        show_fault(conf_label_zone_code, conf_zone_code, escape_markup(code), verdict);
    if (conf_zone_name) conf_zone_name->set_markup(escape_markup(description));
}

void ConfirmPanel::check_temperature(Gtk::Entry* entry, Gtk::Label* caption, Gtk::Label* value,
                                     bool& verdict) {
    const Glib::ustring text = entry_text(entry);
    if (text.empty()) {
        show_pass(caption, value, "");
        return;
    }
    SurveyPanel2* p2 = window->survey_panel2;
    const Glib::ustring unit = p2 ? p2->get_temp_units_short() : Glib::ustring();
    const int min = param("temp_min_" + unit.lowercase());
    const int max = param("temp_max_" + unit.lowercase());
    const Glib::ustring shown = escape_markup(text + unit);
    const int degrees = parse_int_clamped(text.raw());
    if (degrees < min || degrees > max)
        show_fault(caption, value,
                   shown + "      Temperature must be between " + format("%d", min) +
                       escape_markup(unit) + " and " + format("%d", max) + escape_markup(unit),
                   verdict);
    else
        show_pass(caption, value, shown);
}

void ConfirmPanel::check_bottom_time(bool& verdict) {
    SurveyPanel2* p2 = window->survey_panel2;
    const Glib::ustring text = entry_text(p2 ? p2->bottom_time : nullptr);
    if (text.empty()) {
        show_fault(conf_label_bottom_time, conf_bottom_time, "Required", verdict);
        if (confirm_bottom_time) confirm_bottom_time->hide();
        return;
    }
    const int minutes = parse_int_clamped(text.raw());
    const bool unusual =
        minutes > param("bottom_time_confirm_over") || minutes < param("bottom_time_confirm_under");
    const bool confirmed = confirm_bottom_time && confirm_bottom_time->get_active();
    const Glib::ustring shown = escape_markup(text) + " minutes";
    if (unusual && !confirmed) {
        show_fault(conf_label_bottom_time, conf_bottom_time, shown, verdict);
        if (confirm_bottom_time) {
            confirm_bottom_time->set_label("Confirm unusual bottom time");
            confirm_bottom_time->show();
        }
        return;
    }
    show_pass(conf_label_bottom_time, conf_bottom_time, shown);
    if (confirm_bottom_time) {
        confirm_bottom_time->set_label("Unusual bottom time confirmed");
        confirm_bottom_time->set_visible(unusual);
    }
}

void ConfirmPanel::check_conditions(bool& verdict) {
    SurveyPanel2* p2 = window->survey_panel2;
    auto box = [p2](DropDownBox* SurveyPanel2::*field) { return p2 ? p2->*field : nullptr; };
    set_simple_field(conf_label_visibility, conf_visibility,
                     escape_markup(box_text(box(&SurveyPanel2::visibility))), verdict, -1);
    DropDownBox* avg = box(&SurveyPanel2::avg_depth);
    DropDownBox* max = box(&SurveyPanel2::max_depth);
    const Glib::ustring avg_text = box_text(avg), max_text = box_text(max);
    set_simple_field(conf_label_avg_depth, conf_avg_depth, escape_markup(avg_text), verdict, -1);
    // The depth list starts with a blank item, which a species-only survey
    // may keep for either depth: only two real depths can be out of order.
    if (set_simple_field(conf_label_max_depth, conf_max_depth, escape_markup(max_text), verdict,
                         -1) &&
        !avg_text.empty() && !max_text.empty() && box_id(max) < box_id(avg)) {
        verdict = false;
        set_redbold(conf_label_max_depth);
        if (conf_max_depth)
            conf_max_depth->set_markup(escape_markup(max_text) + " " +
                                       red(" Must be no less than Average Depth"));
    }
    set_simple_field(conf_label_current, conf_current,
                     escape_markup(box_text(box(&SurveyPanel2::current))), verdict, -1);
    Glib::ustring habitat = box_text(box(&SurveyPanel2::habitat));
    // The list's "(please choose)" item is no answer.
    if (has_prefix(habitat, Glib::ustring("(please"))) habitat.clear();
    set_simple_field(conf_label_habitat, conf_habitat, escape_markup(habitat), verdict, -1);
}

void ConfirmPanel::check_species(bool& verdict, int& listed, int& unlisted) {
    const SurveyData& survey = window->survey_data;
    // Without a view in use nothing is listed: recorded species count as unlisted.
    static const std::set<int> no_view;
    const std::set<int>& view =
        survey.species_views ? survey.species_views->species_of(survey.species_view) : no_view;
    listed = unlisted = 0;
    for (const auto& [id, abundance] : survey.abundances) {
        if (abundance == 0 || !survey.is_recorded(id)) continue;
        ++(view.count(id) ? listed : unlisted);
    }
    const int total = listed + unlisted;
    if (total == 0)
        show_fault(conf_label_total_species, conf_total_species, "0", verdict);
    else
        show_pass(conf_label_total_species, conf_total_species, format("%d", total));
}

void ConfirmPanel::show_species_trees(int listed, int unlisted) {
    struct Summary {
        Gtk::TreeView* tree;
        const Glib::RefPtr<Gtk::TreeModelFilter>& filter;
        Gtk::Label* heading;
        Gtk::Box* box;
        const char* title;
        int count;
    };
    const Summary summaries[] = {{conf_listed_tree, listed_filter, conf_listed_species,
                                  conf_listed_box, "Listed Species: ", listed},
                                 {conf_unlisted_tree, unlisted_filter, conf_unlisted_species,
                                  conf_unlisted_box, "Unlisted Species: ", unlisted}};
    for (const Summary& s : summaries) {
        if (s.tree) s.tree->remove_all_columns();
        if (s.tree && s.tree->get_model() != s.filter)
            s.tree->set_model(s.filter);
        else if (s.filter)
            s.filter->refilter();
        if (s.tree) s.tree->expand_all();
        if (s.heading) s.heading->set_markup(s.title + format("%d", s.count));
        if (s.box) s.box->set_visible(s.count >= 1);
    }
}

void ConfirmPanel::update_columns() {
    SurveyData& survey = window->survey_data;
    if (window->listed_panel) window->listed_panel->sync_name_options();
    const SpeciesTreeColumns& c = window->species_columns;
    for (auto [view, id_column, name_column, name_renderer] :
         {std::make_tuple(conf_listed_tree, &listed_id_column, &listed_name_column,
                          &listed_name_renderer),
          std::make_tuple(conf_unlisted_tree, &unlisted_id_column, &unlisted_name_column,
                          &unlisted_name_renderer)}) {
        if (!view) continue;
        c.fill_tree_columns(*view, *id_column, *name_column, *name_renderer, survey, "Number seen",
                            160);
        view->expand_all();
    }
}

bool ConfirmPanel::species_row_visible(const Gtk::TreeIter& iter, bool listed) {
    const SpeciesTreeColumns& c = window->species_columns;
    const int id = (*iter)[c.id];
    if (id >= 0) {
        const bool in_view = (*iter)[c.in_view];
        return in_view == listed && window->survey_data.is_recorded(id);
    }
    for (const Gtk::TreeIter& child : iter->children())
        if (species_row_visible(child, listed)) return true;
    return false;
}

bool ConfirmPanel::listed_check_visible(const Gtk::TreeIter& iter) {
    return species_row_visible(iter, true);
}

bool ConfirmPanel::unlisted_check_visible(const Gtk::TreeIter& iter) {
    return species_row_visible(iter, false);
}

void ConfirmPanel::render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter) {
    if (!iter) return;
    const int id = (*iter)[window->species_columns.id];
    static_cast<Gtk::CellRendererText*>(renderer)->property_markup() =
        id < 0 ? Glib::ustring("<span weight=\"bold\" fgcolor=\"blue\">Family</span>")
               : Glib::ustring(format("%04d:", id));
}

void ConfirmPanel::listed_render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter) {
    render_id(renderer, iter);
}

void ConfirmPanel::unlisted_render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter) {
    render_id(renderer, iter);
}

void ConfirmPanel::toggle_family(Gtk::TreeView* tree,
                                 const Glib::RefPtr<Gtk::TreeSelection>& selection) {
    Gtk::TreeIter iter = selection ? selection->get_selected() : Gtk::TreeIter();
    if (!tree || !iter) return;
    const SpeciesTreeColumns& c = window->species_columns;
    const int id = (*iter)[c.id];
    if (debug_level >= 30)
        printf("species selected: id %d: %s\n", id, Glib::ustring((*iter)[c.common_name]).c_str());
    if (id >= 0) return;
    const Gtk::TreePath path = tree->get_model()->get_path(iter);
    if (tree->row_expanded(path))
        tree->collapse_row(path);
    else
        tree->expand_row(path, false);
}

void ConfirmPanel::on_listed_clicked() {
    toggle_family(conf_listed_tree, listed_selection);
}

void ConfirmPanel::on_unlisted_clicked() {
    toggle_family(conf_unlisted_tree, unlisted_selection);
}
