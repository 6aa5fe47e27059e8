#include "ui/accessible-ids.h"

#include <cstring>
#include <gtk/gtk.h>

void set_accessible_ids(const Glib::RefPtr<Gtk::Builder>& builder) {
    GSList* objects = gtk_builder_get_objects(builder->gobj());
    for (GSList* node = objects; node; node = node->next) {
        if (!GTK_IS_WIDGET(node->data)) continue;
        const char* id = gtk_buildable_get_name(GTK_BUILDABLE(node->data));
        // Objects the file gives no id get a generated one; that is no name to find them by.
        if (!id || strncmp(id, "___object_", 10) == 0) continue;
        AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(node->data));
        if (accessible) atk_object_set_accessible_id(accessible, id);
    }
    g_slist_free(objects);
}
