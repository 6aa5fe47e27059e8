// The "Listed Species" page: the species of the chosen view, by family.
#pragma once

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
};
