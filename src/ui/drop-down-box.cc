#include "ui/drop-down-box.h"

#include "core/errors.h"

#include <algorithm>
#include <cstdio>

DropDownBox::DropDownBox(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::ComboBoxText(cobject) {}

void DropDownBox::clear_contents(int new_unset_id) {
    unset_id = new_unset_id;
    items.clear();
    remove_all();
}

void DropDownBox::add_item(int id, const Glib::ustring& label) {
    items.emplace_back(id, label);
    append(label);
}

void DropDownBox::init(std::initializer_list<std::pair<int, Glib::ustring>> list, int unset_id) {
    clear_contents(unset_id);
    for (const auto& item : list)
        add_item(item.first, item.second);
    set_active(-1);
}

void DropDownBox::init(const std::vector<int>& ids, const std::vector<Glib::ustring>& labels,
                       int unset_id, unsigned rotate) {
    clear_contents(unset_id);
    // A label without an id cannot be stored in a survey file, so it is left out
    // rather than read past the end of the id list.
    const size_t n = std::min(labels.size(), ids.size());
    auto add = [&](size_t i) {
        if (debug_level >= 10) printf("Adding item: %d = \"%s\"\n", ids[i], labels[i].c_str());
        add_item(ids[i], labels[i]);
    };
    const size_t r = rotate;
    if (n > r)
        for (size_t i = r; i < n; ++i)
            add(i);
    for (size_t i = 0; i < std::min(r, n); ++i)
        add(i);
    set_active(-1);
}

int DropDownBox::get_selected_id() const {
    int row = get_active_row_number();
    if (row < 0 || static_cast<size_t>(row) >= items.size()) return unset_id;
    return items[row].first;
}

Glib::ustring DropDownBox::get_selected_label() const {
    int row = get_active_row_number();
    if (row < 0) return Glib::ustring();
    if (static_cast<size_t>(row) >= items.size()) return get_active_text();
    return items[row].second;
}

void DropDownBox::select_id(int id) {
    int row = -1;
    if (id != unset_id) {
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].first == id) {
                row = static_cast<int>(i);
                break;
            }
        }
    }
    set_active(row);
}

void DropDownBox::select_label(const Glib::ustring& label) {
    int row = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].second == label) {
            row = static_cast<int>(i);
            break;
        }
    }
    set_active(row);
}
