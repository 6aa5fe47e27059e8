// A text combo box whose rows each carry an integer id: the survey file stores
// ids while the user sees labels.
#pragma once

#include <glibmm/ustring.h>
#include <gtkmm/builder.h>
#include <gtkmm/comboboxtext.h>

#include <initializer_list>
#include <utility>
#include <vector>

class DropDownBox : public Gtk::ComboBoxText {
public:
    // Row n of the combo box is items[n]; both always change together.
    std::vector<std::pair<int, Glib::ustring>> items;
    // Reported by get_selected_id when no row is selected.
    int unset_id = -1;

    DropDownBox(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    ~DropDownBox() override = default;

    // Replaces the contents by list, in its order; no row selected afterwards.
    void init(std::initializer_list<std::pair<int, Glib::ustring>> list, int unset_id);
    // Replaces the contents by (ids[i], labels[i]), starting at index rotate and
    // wrapping round; labels decides the count. No row selected afterwards.
    void init(const std::vector<int>& ids, const std::vector<Glib::ustring>& labels, int unset_id,
              unsigned rotate);

    int get_selected_id() const;
    Glib::ustring get_selected_label() const;
    // The unset id, or an id no row carries, leaves no row selected.
    void select_id(int id);
    // A label no row carries leaves no row selected.
    void select_label(const Glib::ustring& label);
    // Adds one row at the end.
    void add_item(int id, const Glib::ustring& label);

private:
    void clear_contents(int new_unset_id);
};
