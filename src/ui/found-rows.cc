#include "ui/found-rows.h"

#include <gtk/gtk.h>
#include <unordered_map>

namespace {

// What the list holds: the store's iters of its rows, which a tree store
// keeps valid while the rows are there.
struct Found {
    GtkTreeModel* store = nullptr;
    int id_column = 0;
    gulong changed_handler = 0;
    int stamp = 0;
    std::vector<GtkTreeIter> families;
    std::vector<GtkTreeIter> species; // every family's, one after another
    std::vector<size_t> first;        // per family, its first in species; one more at the end
    std::vector<int> family_of;       // by position in species
    std::vector<int> position_of_id;  // by species id; -1 where not shown
    std::unordered_map<const void*, int> family_of_node;
};

struct FoundRows {
    GObject parent;
    Found* found;
};
struct FoundRowsClass {
    GObjectClass parent_class;
};

void found_rows_tree_model_init(GtkTreeModelIface* iface);

G_DEFINE_TYPE_WITH_CODE(FoundRows, found_rows, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, found_rows_tree_model_init))

Found& found_of(GtkTreeModel* model) {
    return *reinterpret_cast<FoundRows*>(model)->found;
}

// A row of the list in an iter: its family, and 1 + its place in species for
// a species row, 0 for the family's own.
bool set_iter(const Found& f, GtkTreeIter* iter, size_t family, size_t species_plus_one) {
    if (family >= f.families.size()) return false;
    iter->stamp = f.stamp;
    iter->user_data = GSIZE_TO_POINTER(family);
    iter->user_data2 = GSIZE_TO_POINTER(species_plus_one);
    iter->user_data3 = nullptr;
    return true;
}
size_t family_in(const GtkTreeIter* iter) {
    return GPOINTER_TO_SIZE(iter->user_data);
}
size_t species_in(const GtkTreeIter* iter) {
    return GPOINTER_TO_SIZE(iter->user_data2);
}
const GtkTreeIter& store_iter(const Found& f, const GtkTreeIter* iter) {
    const size_t s = species_in(iter);
    return s == 0 ? f.families[family_in(iter)] : f.species[s - 1];
}

GtkTreeModelFlags get_flags(GtkTreeModel*) {
    return GTK_TREE_MODEL_ITERS_PERSIST;
}
gint get_n_columns(GtkTreeModel* model) {
    return gtk_tree_model_get_n_columns(found_of(model).store);
}
GType get_column_type(GtkTreeModel* model, gint column) {
    return gtk_tree_model_get_column_type(found_of(model).store, column);
}

gboolean get_iter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
    const Found& f = found_of(model);
    const int depth = gtk_tree_path_get_depth(path);
    const gint* at = gtk_tree_path_get_indices(path);
    if (depth < 1 || depth > 2 || at[0] < 0 || static_cast<size_t>(at[0]) >= f.families.size())
        return false;
    const size_t family = static_cast<size_t>(at[0]);
    if (depth == 1) return set_iter(f, iter, family, 0);
    const size_t species = f.first[family] + static_cast<size_t>(at[1]);
    if (at[1] < 0 || species >= f.first[family + 1]) return false;
    return set_iter(f, iter, family, species + 1);
}

GtkTreePath* get_path(GtkTreeModel* model, GtkTreeIter* iter) {
    const Found& f = found_of(model);
    GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<int>(family_in(iter)), -1);
    if (const size_t s = species_in(iter))
        gtk_tree_path_append_index(path, static_cast<int>(s - 1 - f.first[family_in(iter)]));
    return path;
}

void get_value(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value) {
    const Found& f = found_of(model);
    GtkTreeIter row = store_iter(f, iter);
    gtk_tree_model_get_value(f.store, &row, column, value);
}

gboolean iter_next(GtkTreeModel* model, GtkTreeIter* iter) {
    const Found& f = found_of(model);
    const size_t family = family_in(iter), s = species_in(iter);
    if (s == 0) return set_iter(f, iter, family + 1, 0);
    if (s < f.first[family + 1]) return set_iter(f, iter, family, s + 1);
    iter->stamp = 0;
    return false;
}

gboolean iter_previous(GtkTreeModel* model, GtkTreeIter* iter) {
    const Found& f = found_of(model);
    const size_t family = family_in(iter), s = species_in(iter);
    if (s == 0 ? family > 0 : s - 1 > f.first[family])
        return set_iter(f, iter, s == 0 ? family - 1 : family, s == 0 ? 0 : s - 1);
    iter->stamp = 0;
    return false;
}

gboolean iter_nth_child(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
    const Found& f = found_of(model);
    if (n < 0) return false;
    if (!parent) return set_iter(f, iter, static_cast<size_t>(n), 0);
    const size_t family = family_in(parent);
    if (species_in(parent) != 0) return false;
    const size_t species = f.first[family] + static_cast<size_t>(n);
    return species < f.first[family + 1] && set_iter(f, iter, family, species + 1);
}

gboolean iter_children(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
    return iter_nth_child(model, iter, parent, 0);
}

gint iter_n_children(GtkTreeModel* model, GtkTreeIter* iter) {
    const Found& f = found_of(model);
    if (!iter) return static_cast<gint>(f.families.size());
    if (species_in(iter) != 0) return 0;
    return static_cast<gint>(f.first[family_in(iter) + 1] - f.first[family_in(iter)]);
}

gboolean iter_has_child(GtkTreeModel* model, GtkTreeIter* iter) {
    return iter_n_children(model, iter) > 0;
}

gboolean iter_parent(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* child) {
    const Found& f = found_of(model);
    if (species_in(child) == 0) return false;
    return set_iter(f, iter, family_in(child), 0);
}

void found_rows_tree_model_init(GtkTreeModelIface* iface) {
    iface->get_flags = get_flags;
    iface->get_n_columns = get_n_columns;
    iface->get_column_type = get_column_type;
    iface->get_iter = get_iter;
    iface->get_path = get_path;
    iface->get_value = get_value;
    iface->iter_next = iter_next;
    iface->iter_previous = iter_previous;
    iface->iter_children = iter_children;
    iface->iter_has_child = iter_has_child;
    iface->iter_n_children = iter_n_children;
    iface->iter_nth_child = iter_nth_child;
    iface->iter_parent = iter_parent;
}

void found_rows_init(FoundRows* self) {
    self->found = new Found;
    static int stamps = 0;
    self->found->stamp = ++stamps;
}

void found_rows_finalize(GObject* object) {
    Found* f = reinterpret_cast<FoundRows*>(object)->found;
    g_signal_handler_disconnect(f->store, f->changed_handler);
    g_object_unref(f->store);
    delete f;
    G_OBJECT_CLASS(found_rows_parent_class)->finalize(object);
}

void found_rows_class_init(FoundRowsClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = found_rows_finalize;
}

// A row of the store changed (an abundance chosen): so did its row here.
void on_store_row_changed(GtkTreeModel* store, GtkTreePath*, GtkTreeIter* row, gpointer model) {
    const Found& f = found_of(GTK_TREE_MODEL(model));
    int id = -1;
    gtk_tree_model_get(store, row, f.id_column, &id, -1);
    GtkTreeIter iter;
    if (id >= 0) {
        if (static_cast<size_t>(id) >= f.position_of_id.size() || f.position_of_id[id] < 0) return;
        const size_t s = static_cast<size_t>(f.position_of_id[id]);
        set_iter(f, &iter, static_cast<size_t>(f.family_of[s]), s + 1);
    } else {
        const auto known = f.family_of_node.find(row->user_data);
        if (known == f.family_of_node.end()) return;
        set_iter(f, &iter, static_cast<size_t>(known->second), 0);
    }
    GtkTreePath* path = get_path(GTK_TREE_MODEL(model), &iter);
    gtk_tree_model_row_changed(GTK_TREE_MODEL(model), path, &iter);
    gtk_tree_path_free(path);
}

} // namespace

Glib::RefPtr<Gtk::TreeModel> make_found_rows(const Glib::RefPtr<Gtk::TreeStore>& store,
                                             const SpeciesRowIndex& index,
                                             const std::vector<size_t>& species, int id_column) {
    auto* model = static_cast<FoundRows*>(g_object_new(found_rows_get_type(), nullptr));
    Found& f = *model->found;
    f.store = GTK_TREE_MODEL(g_object_ref(store->gobj()));
    f.id_column = id_column;
    f.species.reserve(species.size());
    f.family_of.reserve(species.size());
    int last_family = -1;
    for (size_t row : species) {
        if (row >= index.species_rows.size()) continue;
        const int family = index.family_of_row[row];
        if (family != last_family) {
            if (family < 0 || static_cast<size_t>(family) >= index.family_rows.size()) continue;
            last_family = family;
            f.first.push_back(f.species.size());
            f.families.push_back(*index.family_rows[static_cast<size_t>(family)].gobj());
            f.family_of_node[f.families.back().user_data] = static_cast<int>(f.families.size()) - 1;
        }
        const GtkTreeIter& row_iter = *index.species_rows[row].gobj();
        int id = -1;
        gtk_tree_model_get(f.store, const_cast<GtkTreeIter*>(&row_iter), id_column, &id, -1);
        if (id >= 0) {
            if (static_cast<size_t>(id) >= f.position_of_id.size())
                f.position_of_id.resize(static_cast<size_t>(id) + 1, -1);
            f.position_of_id[static_cast<size_t>(id)] = static_cast<int>(f.species.size());
        }
        f.family_of.push_back(static_cast<int>(f.families.size()) - 1);
        f.species.push_back(row_iter);
    }
    f.first.push_back(f.species.size());
    f.changed_handler =
        g_signal_connect(f.store, "row-changed", G_CALLBACK(on_store_row_changed), model);
    return Glib::wrap(GTK_TREE_MODEL(model), false);
}
