// The "Confirmation" page: every answer shown and checked before upload.
#pragma once
#include "core/palette.h"

#include "survey/survey-checks.h"

#include <glibmm/ustring.h>
#include <gtkmm/box.h>
#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>
#include <gtkmm/treemodelfilter.h>
#include <gtkmm/treeview.h>
#include <gtkmm/treeviewcolumn.h>
#include <vector>

class MyApp;
class PageHost;

class ConfirmPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    PageHost* window = nullptr;
    int page_number = -1;
    Gtk::Label* confirm_instructions = nullptr;
    Gtk::Label* conf_label_member_id = nullptr;
    Gtk::Label* conf_member_id = nullptr;
    Gtk::Label* conf_label_last_name = nullptr;
    Gtk::Label* conf_last_name = nullptr;
    Gtk::Label* conf_label_survey_type = nullptr;
    Gtk::Label* conf_survey_type = nullptr;
    Gtk::Label* conf_label_survey_date = nullptr;
    Gtk::Label* conf_survey_date = nullptr;
    Gtk::Label* conf_label_dive_start = nullptr;
    Gtk::Label* conf_dive_start = nullptr;
    Gtk::Label* conf_label_zone_code = nullptr;
    Gtk::Label* conf_zone_code = nullptr;
    Gtk::Label* conf_zone_name = nullptr;
    Gtk::Label* conf_label_surface_temp = nullptr;
    Gtk::Label* conf_surface_temp = nullptr;
    Gtk::Label* conf_label_bottom_temp = nullptr;
    Gtk::Label* conf_bottom_temp = nullptr;
    Gtk::Label* conf_label_bottom_time = nullptr;
    Gtk::Label* conf_bottom_time = nullptr;
    Gtk::CheckButton* confirm_bottom_time = nullptr;
    Gtk::Label* conf_label_visibility = nullptr;
    Gtk::Label* conf_visibility = nullptr;
    Gtk::Label* conf_label_avg_depth = nullptr;
    Gtk::Label* conf_avg_depth = nullptr;
    Gtk::Label* conf_label_max_depth = nullptr;
    Gtk::Label* conf_max_depth = nullptr;
    Gtk::Label* conf_label_current = nullptr;
    Gtk::Label* conf_current = nullptr;
    Gtk::Label* conf_label_habitat = nullptr;
    Gtk::Label* conf_habitat = nullptr;
    Gtk::Label* conf_label_total_species = nullptr;
    Gtk::Label* conf_total_species = nullptr;
    Gtk::Box* conf_listed_box = nullptr;
    Gtk::Label* conf_listed_species = nullptr;
    Gtk::TreeView* conf_listed_tree = nullptr;
    Gtk::Box* conf_unlisted_box = nullptr;
    Gtk::Label* conf_unlisted_species = nullptr;
    Gtk::TreeView* conf_unlisted_tree = nullptr;
    Glib::RefPtr<Gtk::TreeModelFilter> listed_filter;
    Glib::RefPtr<Gtk::TreeModelFilter> unlisted_filter;
    Gtk::TreeViewColumn listed_id_column, listed_name_column;
    Gtk::CellRendererText listed_id_renderer, listed_name_renderer;
    Gtk::TreeViewColumn unlisted_id_column, unlisted_name_column;
    Gtk::CellRendererText unlisted_id_renderer, unlisted_name_renderer;
    // How many answers are at fault, under the instructions.
    Gtk::Label conf_fault_count;
    // Beside each answer at fault: shows the page and the field.
    std::vector<Gtk::Button*> go_to_buttons; // by SurveyField
    const Glib::ustring red_start = fault_start();
    const Glib::ustring red_end = FAULT_END;

    ConfirmPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window);
    // The "Go to" button of the first answer at fault; null when none is.
    Gtk::Button* first_fault();
    // Checks the survey, shows the verdict and sets is_complete and the
    // Ready and Upload buttons from it.
    void refresh();
    // Marking twice is marking once.
    void set_redbold(Gtk::Label* label);
    void clear_redbold(Gtk::Label* label);
    // Name columns by the name options of the Listed Species page.
    void update_columns();
    bool listed_check_visible(const Gtk::TreeIter& iter);
    bool unlisted_check_visible(const Gtk::TreeIter& iter);
    void listed_render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter);
    void unlisted_render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter);

private:
    void look_up_widgets(const Glib::RefPtr<Gtk::Builder>& builder);
    // The caption and value of each answer, by SurveyField.
    std::vector<std::pair<Gtk::Label*, Gtk::Label*>> answer_rows() const;
    void add_fault_guides();
    void show_checks(const SurveyChecks& checks);
    void show_bottom_time_box(const SurveyChecks& checks);
    void show_species_trees(int listed, int unlisted);
    bool species_row_visible(const Gtk::TreeIter& iter, bool listed);
    void render_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter);
};
