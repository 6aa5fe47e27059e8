// Column record of the two species tree models (listed and unlisted species).
#pragma once

#include "refdata/abundance-choices.h"

#include <gtkmm/treemodel.h>
#include <gtkmm/treemodelcolumn.h>

class SurveyWindow;

class SpeciesTreeColumns : public Gtk::TreeModelColumnRecord {
public:
    Gtk::TreeModelColumn<int> id; // -1 on family rows
    Gtk::TreeModelColumn<Glib::ustring> common_name;
    Gtk::TreeModelColumn<Glib::ustring> scientific_name;
    Gtk::TreeModelColumn<Glib::ustring> both_names;
    Gtk::TreeModelColumn<Glib::ustring> spanish_name;
    Gtk::TreeModelColumn<int> abundance; // -1 on family rows
    Gtk::TreeModelColumn<Glib::ustring> abundance_label;
    Gtk::TreeModelColumn<bool> in_view;

    // Categories of the chosen survey subtype; null until one is chosen.
    const AbundanceChoices::SurveySubtypeChoiceInfo* abundance_choices = nullptr;
    SurveyWindow* window;
    Glib::ustring empty_label;

    explicit SpeciesTreeColumns(SurveyWindow* window);

    // Fills a row; the names become markup, shaded by rarity (family rows in blue bold).
    void set(const Gtk::TreeRow& row, int id, const Glib::ustring& common,
             const Glib::ustring& scientific, const Glib::ustring& spanish, int abundance,
             bool in_view, int rarity);
    void set_abundance(const Gtk::TreeRow& row, int abundance);
};
