// The "Survey Info Part 1" page: where and when the survey took place.
#pragma once

#include "core/errors.h"
#include "ui/no-match-heading.h"

#include <glibmm/ustring.h>
#include <gtkmm/builder.h>
#include <gtkmm/entry.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>
#include <gtkmm/treestore.h>
#include <gtkmm/treeview.h>
#include <vector>

class DropDownBox;
class MyApp;
class RegionFishInfo;
class PageHost;

// Columns of the zone tree: the zone id (its code), its name, and "id: name".
class GeogTreeColumns : public Gtk::TreeModelColumnRecord {
public:
    Gtk::TreeModelColumn<int> id;
    Gtk::TreeModelColumn<Glib::ustring> name;
    Gtk::TreeModelColumn<Glib::ustring> label;

    GeogTreeColumns() {
        add(id);
        add(name);
        add(label);
    }
    void set(const Gtk::TreeRow& row, int id, const Glib::ustring& name);
    // A new row, filled, after sibling or else first under parent (either
    // may be null): thousands are added on a keystroke of the zone search.
    GtkTreeIter insert_row(GtkTreeStore* store, GtkTreeIter* parent, GtkTreeIter* sibling, int id,
                           const Glib::ustring& name) const;
};

class SurveyPanel1 : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    PageHost* window = nullptr;
    // Readable description of the zone code typed; the window title shows it.
    Glib::ustring zone_description;
    // While set, this page's change handlers do nothing.
    bool triggers_suppressed = true;
    GeogTreeColumns geog_columns;
    Glib::RefPtr<Gtk::TreeStore> geog_store;
    DropDownBox* subregion = nullptr;
    DropDownBox* survey_subtype = nullptr;
    DropDownBox* month = nullptr;
    DropDownBox* mday = nullptr;
    DropDownBox* year = nullptr;
    DropDownBox* dive_start = nullptr;
    Gtk::Entry* zonecode = nullptr;
    Gtk::Label* zone_name_status = nullptr;
    Gtk::Label* zone_name = nullptr;
    Gtk::Entry* zone_search = nullptr;
    Gtk::Label* no_geog_matches = nullptr;
    Gtk::TreeView* geog_tree = nullptr;
    Glib::RefPtr<Gtk::TreeSelection> geog_selection;
    int page_number = -1;

    SurveyPanel1(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window);

    // Makes this page, and the pages that depend on the location, show the
    // subregion; the file reader calls it for the survey's own subregion too.
    RetCode setup_for_subregion(const Glib::ustring& subregion_code);
    // Selects a survey type by id, adding it first when the subregion only
    // knows it as one no longer offered. RC_ERROR, changing nothing, when no
    // subregion is given.
    RetCode set_survey_subtype_even_invisible(const Glib::ustring& subregion_code, int subtype_id);
    void on_subregion_changed();
    void on_survey_subtype_changed();
    void on_zonecode_changed();
    void on_zone_search_changed();
    void on_geog_clicked();
    // A site row takes its code; an area row opens or closes.
    void act_on_zone_row();
    void look_through_by_keys();
    void keys_move_cursor();
    void keys_done() { cursor_by_keys = false; }
    bool cursor_by_keys = false; // the zone tree's cursor moves by keys or focus
    // Refills the zone tree from the region's zones and the search text.
    void rebuild_zone_tree();
    // A zone store in the tree, opened when a search made it.
    void show_zones(const Glib::RefPtr<Gtk::TreeStore>& store, bool any,
                    const Glib::ustring& search);
    // Whether the zone of a code belongs to the survey's subregion.
    bool in_subregion(const std::string& code) const;
    // Shows this page and puts the keyboard focus on widget.
    void focus_on(Gtk::Widget* widget);
    // The window title's part from this page: date, dive start and zone.
    Glib::ustring title_prefix() const;
    // Selects a year, adding one the year box does not offer.
    void select_year(int year_id);
    // What a new survey carries over from the one before.
    void take_location_and_type(const SurveyPanel1& from);
    // Read-only page for uploaded surveys; the zone finder stays usable.
    void disable_inputs();
    // Dive start as four digits ("0700"); "0000" when none or midnight.
    Glib::ustring get_dive_start_string() const;

private:
    // The dive start, month, day and year choices.
    void fill_date_boxes();
    // The zones' names in lower case, for the search, once per catalogue.
    void index_zone_names(const RegionFishInfo* fish);
    // Prints the "suppressed" line for handler and tells whether it must stop.
    bool suppressed(const char* handler) const;
    // Restores the subregion box to the survey's subregion without asking again.
    void restore_subregion_choice();
    void show_zone(const Glib::ustring& status, const Glib::ustring& name);

    // Lower-cased zone names of zone_catalogue, in its geog_ids order: a search
    // keystroke compares against these instead of lower-casing every name again.
    const RegionFishInfo* zone_catalogue = nullptr;
    std::vector<Glib::ustring> zone_names_lower;
    NoMatchHeading no_zone_match;
    // The zones nearest to a search that found none, as the data set names them.
    std::vector<Glib::ustring> zone_suggestions(const Glib::ustring& search) const;
};
