#include "ui/confirm-panel.h"

#include "core/errors.h"
#include "core/misc.h"
#include "core/palette.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/page-host.h"
#include "ui/species-rows.h"

#include <cstdio>

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
                                  PageHost* survey_window) {
    window = survey_window;
    app = window->app;
    look_up_widgets(builder);
    add_fault_guides();
    if (confirm_bottom_time)
        confirm_bottom_time->signal_toggled().connect(sigc::mem_fun(*this, &ConfirmPanel::refresh));
    if (conf_listed_box) conf_listed_box->hide();
    if (conf_unlisted_box) conf_unlisted_box->hide();

    struct Tree {
        Gtk::TreeView* view;
        const char* which;
        Gtk::TreeViewColumn& id_column;
        Gtk::CellRendererText& id_renderer;
        void (ConfirmPanel::*render)(Gtk::CellRenderer*, const Gtk::TreeIter&);
        Gtk::TreeViewColumn& name_column;
        Gtk::CellRendererText& name_renderer;
    };
    Tree trees[] = {{conf_listed_tree, "conf_listed", listed_id_column, listed_id_renderer,
                     &ConfirmPanel::listed_render_id, listed_name_column, listed_name_renderer},
                    {conf_unlisted_tree, "conf_unlisted", unlisted_id_column, unlisted_id_renderer,
                     &ConfirmPanel::unlisted_render_id, unlisted_name_column,
                     unlisted_name_renderer}};
    for (Tree& tree : trees) {
        if (Gtk::TreeView* view = tree.view)
            SpeciesRows::connect(
                *view, window->species_columns, tree.which,
                [this, view](const Gtk::TreePath& path, int id, int button) {
                    if (window->survey_data.already_uploaded) return;
                    window->popup_abundance_menu(*view, path, button, id);
                },
                [this](int id, int digit) { window->choose_abundance_by_digit(id, digit); });
        tree.id_column.set_title("ID");
        tree.id_column.pack_start(tree.id_renderer, false);
        tree.id_column.set_cell_data_func(tree.id_renderer, sigc::mem_fun(*this, tree.render));
        tree.name_column.pack_start(tree.name_renderer, true);
    }
    // The trees take the new filters when the page is next checked: a tree
    // given a filter makes it look at every row, which would slow down a
    // survey type change over thousands of species.
    SpeciesStores& stores = window->species_stores;
    stores.watch(SpeciesStores::LISTED, sigc::mem_fun(*this, &ConfirmPanel::listed_check_visible),
                 [this](const Glib::RefPtr<Gtk::TreeModelFilter>& filter) {
                     listed_filter = filter;
                     if (conf_listed_tree) conf_listed_tree->unset_model();
                 });
    stores.watch(SpeciesStores::UNLISTED,
                 sigc::mem_fun(*this, &ConfirmPanel::unlisted_check_visible),
                 [this](const Glib::RefPtr<Gtk::TreeModelFilter>& filter) {
                     unlisted_filter = filter;
                     if (conf_unlisted_tree) conf_unlisted_tree->unset_model();
                 });
}

void ConfirmPanel::set_redbold(Gtk::Label* label) {
    if (!label) return;
    clear_redbold(label);
    label->set_markup(fault_markup(label->get_label()));
}

void ConfirmPanel::clear_redbold(Gtk::Label* label) {
    if (!label) return;
    const Glib::ustring markup = label->get_label();
    if (!has_prefix(markup, red_start) || markup.size() < red_start.size() + red_end.size()) return;
    label->set_markup(
        markup.substr(red_start.size(), markup.size() - red_start.size() - red_end.size()));
}

void ConfirmPanel::refresh() {
    SurveyData& survey = window->survey_data;
    const CheckReference reference{app ? app->region_info : nullptr, app ? app->data_defs : nullptr,
                                   app ? app->data_params : nullptr,
                                   app ? app->habitat_info : nullptr};
    const SurveyChecks checks =
        check_survey(window->gather_answers(false), survey, reference, local_today());
    show_checks(checks);
    survey.is_complete = checks.complete;
    if (confirm_instructions)
        confirm_instructions->set_markup(
            checks.complete ? Glib::ustring("Please check that all information is correct.")
                            : "Please check that all information is correct; items " +
                                  fault_markup("marked in red") + " need to be fixed.");
    const bool can_upload = survey.is_complete && !survey.already_uploaded;
    window->set_can_upload(can_upload);
    show_species_trees(checks.listed, checks.unlisted);
    update_columns();
}

std::vector<std::pair<Gtk::Label*, Gtk::Label*>> ConfirmPanel::answer_rows() const {
    return {
        {conf_label_member_id, conf_member_id},
        {conf_label_last_name, conf_last_name},
        {conf_label_survey_type, conf_survey_type},
        {conf_label_survey_date, conf_survey_date},
        {conf_label_dive_start, conf_dive_start},
        {conf_label_zone_code, conf_zone_code},
        {conf_label_surface_temp, conf_surface_temp},
        {conf_label_bottom_temp, conf_bottom_temp},
        {conf_label_bottom_time, conf_bottom_time},
        {conf_label_visibility, conf_visibility},
        {conf_label_avg_depth, conf_avg_depth},
        {conf_label_max_depth, conf_max_depth},
        {conf_label_current, conf_current},
        {conf_label_habitat, conf_habitat},
        {conf_label_total_species, conf_total_species},
    };
}

void ConfirmPanel::add_fault_guides() {
    if (confirm_instructions && confirm_instructions->get_parent() == this) {
        insert_next_to(*confirm_instructions, Gtk::POS_BOTTOM);
        attach_next_to(conf_fault_count, *confirm_instructions, Gtk::POS_BOTTOM);
        conf_fault_count.set_xalign(0);
        conf_fault_count.show();
    }
    int field = 0;
    for (const auto& [caption, value] : answer_rows()) {
        Gtk::Button* button = nullptr;
        auto* grid = value ? dynamic_cast<Gtk::Grid*>(value->get_parent()) : nullptr;
        if (grid) {
            int row = 0;
            gtk_container_child_get(GTK_CONTAINER(grid->gobj()), GTK_WIDGET(value->gobj()),
                                    "top-attach", &row, nullptr);
            button = Gtk::manage(new Gtk::Button("Go to"));
            button->set_no_show_all(true);
            button->set_halign(Gtk::ALIGN_START);
            button->set_valign(Gtk::ALIGN_CENTER);
            // Read out with its answer's caption, not as one of many "Go to"s.
            if (caption)
                atk_object_set_name(
                    gtk_widget_get_accessible(GTK_WIDGET(button->gobj())),
                    ("Go to " + markup_as_plain_text(caption->get_label())).c_str());
            grid->attach(*button, 2, row);
            button->signal_clicked().connect(
                [this, field] { window->go_to_field(static_cast<SurveyField>(field)); });
        }
        go_to_buttons.push_back(button);
        ++field;
    }
}

Gtk::Button* ConfirmPanel::first_fault() {
    for (Gtk::Button* button : go_to_buttons)
        if (button && button->get_visible()) return button;
    return nullptr;
}

void ConfirmPanel::show_checks(const SurveyChecks& checks) {
    const auto shown = answer_rows();
    int faults = 0;
    for (const CheckedAnswer& answer : checks.answers) {
        const size_t field = static_cast<size_t>(answer.field);
        const auto& [caption, value] = shown[field];
        if (answer.fault)
            set_redbold(caption);
        else
            clear_redbold(caption);
        if (value) value->set_markup(answer.markup);
        faults += answer.fault ? 1 : 0;
        if (field < go_to_buttons.size() && go_to_buttons[field])
            go_to_buttons[field]->set_visible(answer.fault);
    }
    conf_fault_count.set_text(faults == 0   ? "Nothing to fix."
                              : faults == 1 ? "1 item to fix."
                                            : std::to_string(faults) + " items to fix.");
    if (conf_zone_name) conf_zone_name->set_markup(checks.zone_name);
    show_bottom_time_box(checks);
}

void ConfirmPanel::show_bottom_time_box(const SurveyChecks& checks) {
    if (!confirm_bottom_time) return;
    // Unconfirmed, the box asks; confirmed, it stays to be taken back.
    const bool asking = checks[SurveyField::bottom_time].fault && checks.bottom_time_unusual;
    confirm_bottom_time->set_label(asking ? "Confirm unusual bottom time"
                                          : "Unusual bottom time confirmed");
    confirm_bottom_time->set_visible(checks.bottom_time_unusual);
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
    window->sync_name_options();
    const SpeciesTreeColumns& c = window->species_columns;
    for (auto [view, id_column, name_column, name_renderer] :
         {std::make_tuple(conf_listed_tree, &listed_id_column, &listed_name_column,
                          &listed_name_renderer),
          std::make_tuple(conf_unlisted_tree, &unlisted_id_column, &unlisted_name_column,
                          &unlisted_name_renderer)}) {
        if (!view) continue;
        c.fill_tree_columns(*view, *id_column, *name_column, *name_renderer, survey, 200,
                            "Number seen", 110);
        view->expand_all();
    }
}

bool ConfirmPanel::species_row_visible(const Gtk::TreeIter& iter, bool listed) {
    const SpeciesTreeColumns& c = window->species_columns;
    const int id = (*iter)[c.id];
    const SurveyData& survey = window->survey_data;
    if (id >= 0) {
        const bool in_view = (*iter)[c.in_view];
        return in_view == listed && survey.is_recorded(id);
    }
    if (listed) {
        for (const Gtk::TreeIter& child : iter->children())
            if (species_row_visible(child, listed)) return true;
        return false;
    }
    // The unlisted store holds the whole catalogue: look only at the
    // species the survey records.
    SpeciesStores& stores = window->species_stores;
    const SpeciesStores::Rows& rows = stores.rows();
    const int family = stores.family_of(iter);
    for (const auto& [species, abundance] : survey.abundances) {
        const int row = rows.row_of(species);
        if (row >= 0 && rows.family_of_row[static_cast<size_t>(row)] == family &&
            !rows.in_view[static_cast<size_t>(row)] &&
            stores.offered_species_row(static_cast<size_t>(row)) && survey.is_recorded(species))
            return true;
    }
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
        id < 0 ? Glib::ustring(family_style() + "Family</span>")
               : Glib::ustring(format("%04d:", id));
}

void ConfirmPanel::listed_render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter) {
    render_id(renderer, iter);
}

void ConfirmPanel::unlisted_render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter) {
    render_id(renderer, iter);
}
