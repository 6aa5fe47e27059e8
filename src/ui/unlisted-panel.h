// The "Unlisted Species" page: search the rest of the region's catalogue.
#pragma once

#include "core/errors.h"

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
    // Called whenever the location, the survey type or the species view changes.
    RetCode setup_for_subregion(const Glib::ustring& subregion_code);
    // Brings both lists of this page up to date.
    void refilter();
    // The first half of refilter: the list of species added on this page, its
    // frame shown only when it has rows.
    void refilter_added();
    // The name columns follow the name options of the Listed Species page.
    void update_columns();
};
