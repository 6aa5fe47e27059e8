#include "ui/drop-down-box.h"

#include <gtest/gtest.h>
#include <gtkmm/window.h>

namespace {

// A box built the way the window builds its boxes: a derived widget from a UI
// description, owned by its container.
TEST(DropDownBox, RotationShortListsAndSelection) {
    auto builder = Gtk::Builder::create_from_string(
        "<interface><object class='GtkComboBoxText' id='box'/></interface>");
    DropDownBox* box = nullptr;
    builder->get_widget_derived("box", box);
    ASSERT_NE(box, nullptr);
    Gtk::Window holder;
    holder.add(*Gtk::manage(box));
    // The rows show the labels of the items, in the items' order.
    auto rows = [&] {
        std::vector<std::string> shown;
        for (const auto& row : box->get_model()->children()) {
            Glib::ustring text;
            row.get_value(0, text);
            shown.push_back(text);
        }
        return shown;
    };
    using V = std::vector<std::string>;

    box->init({0, 10, 20, 30, 40, 50, 60, 70}, {"a", "b", "c", "d", "e", "f", "g", "h"}, -1, 6);
    EXPECT_EQ(rows(), (V{"g", "h", "a", "b", "c", "d", "e", "f"}));
    box->init({0, 10}, {"a", "b"}, 0, 6); // fewer entries than the rotation
    EXPECT_EQ(rows(), (V{"a", "b"}));
    box->init({0, 10}, {"a", "b", "c"}, -1, 1); // a label without an id is left out
    EXPECT_EQ(rows(), (V{"b", "a"}));

    box->init({{1, "Sand"}, {0, "Zero"}, {2, "Sand & rubble"}, {2, "Sand"}}, 0);
    box->select_id(2);
    EXPECT_EQ(box->get_selected_label(), "Sand & rubble");
    // The unset id means "nothing", even though an item carries it.
    box->select_id(0);
    EXPECT_EQ(box->get_active_row_number(), -1);
    box->select_label("Sand");
    EXPECT_EQ(box->get_selected_id(), 1);
    // Unknown values from a saved file are dropped, not kept from before.
    box->select_label("sand");
    EXPECT_EQ(box->get_active_row_number(), -1);
    box->select_id(1);
    box->select_id(42);
    EXPECT_EQ(box->get_active_row_number(), -1);
}

} // namespace
