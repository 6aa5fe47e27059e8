#include "ui/ui-file.h"

#include "core/errors.h"

#include <glibmm/fileutils.h>
#include <glibmm/markup.h>

Glib::RefPtr<Gtk::Builder> load_ui_file(const char* path) {
    auto builder = Gtk::Builder::create();
    try {
        builder->add_from_file(path);
    } catch (const Glib::FileError& e) {
        fatal("FileError loading %s: %s", path, e.what().c_str());
    } catch (const Glib::MarkupError& e) {
        fatal("MarkupError loading %s: %s", path, e.what().c_str());
    } catch (const Gtk::BuilderError& e) {
        fatal("BuilderError loading %s: %s", path, e.what().c_str());
    } catch (const std::exception& e) {
        fatal("Unexpected error loading %s: %s", path, e.what());
    } catch (...) {
        fatal("Unknown error loading %s", path);
    }
    return builder;
}

void require_object(const Glib::RefPtr<Gtk::Builder>& builder, const char* id, GType type) {
    GObject* object = gtk_builder_get_object(builder->gobj(), id);
    if (!object || !G_TYPE_CHECK_INSTANCE_TYPE(object, type)) fatal("Failed to find %s in UI", id);
}
