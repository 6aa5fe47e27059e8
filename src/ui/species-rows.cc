#include "ui/species-rows.h"

#include "core/errors.h"

#include <cstdio>
#include <gdk/gdkkeysyms.h>

namespace {

Gtk::TreePath cursor_of(Gtk::TreeView& tree) {
    Gtk::TreePath path;
    Gtk::TreeViewColumn* column = nullptr;
    tree.get_cursor(path, column);
    return path;
}

} // namespace

bool SpeciesRows::trigger(Gtk::TreeView& tree, const SpeciesTreeColumns& columns,
                          const Gtk::TreePath& path, int button, const Choose& choose) {
    Glib::RefPtr<Gtk::TreeModel> model = tree.get_model();
    Gtk::TreeIter iter = path.empty() || !model ? Gtk::TreeIter() : model->get_iter(path);
    if (!iter) return false;
    const int id = (*iter)[columns.id];
    if (debug_level >= 30)
        printf("species selected: id %d: %s\n", id,
               Glib::ustring((*iter)[columns.common_name]).c_str());
    if (id < 0) {
        if (button == 1) {
            if (tree.row_expanded(path))
                tree.collapse_row(path);
            else
                tree.expand_row(path, false);
        }
        return true;
    }
    choose(path, id, button);
    return true;
}

void SpeciesRows::connect(Gtk::TreeView& tree, const SpeciesTreeColumns& columns, const char* which,
                          Choose choose, Pick pick, Trace trace) {
    Gtk::TreeView* view = &tree;
    const SpeciesTreeColumns* c = &columns;
    tree.signal_button_press_event().connect(
        [=](GdkEventButton* event) {
            if (trace && debug_level >= 10) trace(event);
            if (event->type != GDK_BUTTON_PRESS || (event->button != 1 && event->button != 3))
                return false;
            GdkWindow* bin = view->get_bin_window() ? view->get_bin_window()->gobj() : nullptr;
            if (event->window != bin) {
                printf("hmm, %s click in some other window? %p vs. %p\n", which,
                       static_cast<void*>(event->window), static_cast<void*>(bin));
                return false;
            }
            view->grab_focus();
            Gtk::TreePath path;
            Gtk::TreeViewColumn* column = nullptr;
            int cell_x = 0, cell_y = 0;
            if (!view->get_path_at_pos(int(event->x), int(event->y), path, column, cell_x, cell_y))
                return false;
            if (Gtk::TreeViewColumn* names = view->get_column(1))
                view->set_cursor(path, *names, false);
            if (debug_level >= 10) printf("got path: %s\n", path.to_string().c_str());
            return trigger(*view, *c, path, int(event->button), choose);
        },
        false);
    tree.signal_key_press_event().connect(
        [=](GdkEventKey* event) {
            const bool plain =
                (event->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK)) == 0;
            if (event->type == GDK_KEY_PRESS && plain &&
                (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter ||
                 event->keyval == GDK_KEY_Right))
                return trigger(*view, *c, cursor_of(*view), 0, choose);
            const int digit = gdk_keyval_to_unicode(event->keyval) - '0';
            if (event->type == GDK_KEY_PRESS && plain && digit >= 0 && digit <= 9) {
                const Gtk::TreePath path = cursor_of(*view);
                Glib::RefPtr<Gtk::TreeModel> model = view->get_model();
                Gtk::TreeIter row =
                    path.empty() || !model ? Gtk::TreeIter() : model->get_iter(path);
                const int id = row ? int((*row)[c->id]) : -1;
                if (id >= 0 && pick) pick(id, digit);
                return true;
            }
            if (debug_level >= 40) printf("ignoring key %d\n", event->keyval);
            return false;
        },
        false);
    tree.signal_popup_menu().connect(
        [=] { return trigger(*view, *c, cursor_of(*view), 0, choose); }, false);
}
