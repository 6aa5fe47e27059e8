// The "Listed Species" page: the species of the chosen view, by family.
#pragma once

#include "core/errors.h"
#include "refdata/region-fish-info.h"

#include <gtkmm/builder.h>
#include <gtkmm/grid.h>
#include <gtkmm/treeview.h>

class MyApp;
class SurveyWindow;

class ListedPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    SurveyWindow* window = nullptr;
    int page_number = -1;
    Gtk::TreeView* species_tree = nullptr;

    ListedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, SurveyWindow* window);
    // Called by Survey Info Part 1 whenever the location is set up.
    RetCode setup_for_subregion(const Glib::ustring& subregion_code);
    // The instructions above the list, for the catalogue of the location.
    void setup_instructions(const RegionFishInfo& catalogue);
    // Rebuilds both species models and the columns for the chosen view and type.
    RetCode update_for_view();
};
