// The "Unlisted Species" page: search the rest of the region's catalogue.
#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/grid.h>

class MyApp;
class SurveyWindow;

class UnlistedPanel : public Gtk::Grid {
public:
    MyApp* app = nullptr;
    SurveyWindow* window = nullptr;
    int page_number = -1;

    UnlistedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, SurveyWindow* window);
    // Brings the list of species added on this page up to date.
    void refilter();
};
