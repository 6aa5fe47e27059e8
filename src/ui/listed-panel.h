// The "Listed Species" page: the species of the chosen view, by family.
#pragma once

#include "core/errors.h"
#include "refdata/region-fish-info.h"

#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>
#include <gtkmm/radiobutton.h>
#include <gtkmm/treeview.h>
#include <string>

class DropDownBox;
class MyApp;
class PageHost;

class ListedPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    PageHost* window = nullptr;
    int page_number = -1;
    Gtk::Label* listed_instructions = nullptr;
    DropDownBox* species_view = nullptr;
    Gtk::RadioButton* name_display_common = nullptr;
    Gtk::RadioButton* name_display_scientific = nullptr;
    Gtk::RadioButton* name_display_both = nullptr;
    Gtk::CheckButton* spanish_enable = nullptr;
    Gtk::TreeView* species_tree = nullptr;
    Gtk::Button* listed_expand_all_button = nullptr;
    Gtk::Button* listed_collapse_all_button = nullptr;
    Glib::RefPtr<Gtk::TreeSelection> species_selection;
    Gtk::TreeViewColumn id_column;
    Gtk::CellRendererText id_renderer;
    Gtk::TreeViewColumn name_column;
    Gtk::CellRendererText name_renderer;

    ListedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window);
    // Called by Survey Info Part 1 whenever the location is set up.
    RetCode setup_for_subregion(const Glib::ustring& subregion_code);
    // The instructions above the list, for the catalogue of the location.
    void setup_instructions(const RegionFishInfo& catalogue);
    // Rebuilds both species models and the columns for the chosen view and type.
    RetCode update_for_view();
    void update_columns();
    // The survey's name options as this page's buttons set them.
    void sync_name_options();
    // The name options of another survey's page, for a new survey.
    void take_name_options(const ListedPanel& from);
    // Opens every family that holds a species seen in this survey.
    void expand_selected_families();
    // A view named by a saved survey, taken only when it belongs to its location.
    void set_species_view_carefully(int view_id);

    void on_view_changed();
    void on_name_display_changed(Gtk::ToggleButton* button);
    void on_spanish_display_changed();
    void render_species_id(Gtk::CellRenderer* renderer, const Gtk::TreeIter& iter);

private:
    // The tree shows the listed store, new after every rebuild, and opens the
    // abundance menus of its rows.
    void connect_species_tree();
    bool expand_if_present(const Gtk::TreePath& path, const Gtk::TreeIter& iter);
    // While the view box is filled its changes are not the user's.
    bool view_changes_suppressed = false;
    // Letters typed on the list find the next species whose shown name holds
    // them; a pause of a second starts a new word.
    bool find_as_typed(GdkEventKey* event);
    Glib::ustring typed;
    gint64 typed_at = 0;
};
