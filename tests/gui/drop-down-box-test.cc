#include "ui/drop-down-box.h"

#include <gtest/gtest.h>
#include <gtkmm/window.h>

namespace {

// A box built the way the window builds its boxes: a derived widget from a UI
// description, owned by its container.
class DropDownBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        builder = Gtk::Builder::create_from_string(
            "<interface><object class='GtkComboBoxText' id='box'/></interface>");
        builder->get_widget_derived("box", box);
        ASSERT_NE(box, nullptr);
        holder.add(*Gtk::manage(box));
    }
    // Ids of the items, after checking that the rows show the items' labels.
    std::vector<int> ids() {
        std::vector<int> result;
        auto row = box->get_model()->children().begin();
        for (const auto& item : box->items) {
            Glib::ustring text;
            row++->get_value(0, text);
            EXPECT_EQ(text, item.second);
            result.push_back(item.first);
        }
        EXPECT_EQ(box->get_model()->children().size(), box->items.size());
        return result;
    }
    Glib::RefPtr<Gtk::Builder> builder;
    Gtk::Window holder;
    DropDownBox* box = nullptr;
};

TEST_F(DropDownBoxTest, RotationAndShortIdLists) {
    const std::vector<int> tens{0, 10, 20, 30, 40, 50, 60, 70};
    const std::vector<Glib::ustring> names{"a", "b", "c", "d", "e", "f", "g", "h"};
    box->init(tens, names, -1, 6);
    EXPECT_EQ(ids(), (std::vector<int>{60, 70, 0, 10, 20, 30, 40, 50}));
    // Fewer entries than the rotation keep their order.
    box->init({0, 10}, {"a", "b"}, 0, 6);
    EXPECT_EQ(ids(), (std::vector<int>{0, 10}));
    // A label without an id is left out instead of reading past the ids.
    box->init({0, 10}, names, -1, 1);
    EXPECT_EQ(ids(), (std::vector<int>{10, 0}));
    box->set_active(1);
    box->init({{7, "Seven"}}, 9);
    EXPECT_EQ(box->get_active_row_number(), -1);
    EXPECT_EQ(box->get_selected_id(), 9);
}

TEST_F(DropDownBoxTest, SelectionRules) {
    box->init({{1, "Sand"}, {0, "Zero"}, {2, "Sand & rubble"}, {2, "Sand"}}, 0);
    box->select_id(2);
    EXPECT_EQ(box->get_selected_label(), "Sand & rubble");
    // The unset id means "nothing", even though an item carries it.
    box->select_id(0);
    EXPECT_EQ(box->get_active_row_number(), -1);
    EXPECT_EQ(box->get_selected_label(), "");
    box->select_label("Sand");
    EXPECT_EQ(box->get_selected_id(), 1);
    // Unknown values from a saved file are dropped, not kept from before.
    box->select_label("sand");
    EXPECT_EQ(box->get_active_row_number(), -1);
    box->select_id(1);
    box->select_id(42);
    EXPECT_EQ(box->get_active_row_number(), -1);
    // A row added behind the items' back reports its text and the unset id.
    box->append("loose row");
    box->set_active(4);
    EXPECT_EQ(box->get_selected_label(), "loose row");
    EXPECT_EQ(box->get_selected_id(), 0);
}

} // namespace
