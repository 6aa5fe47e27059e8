#include "data-archive.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <unistd.h>

namespace {
// Removes the temporary folder and what build_data_archive put in it.
struct TempFolder {
    gchar* path = nullptr;
    ~TempFolder() {
        if (!path) return;
        gchar* link = g_build_filename(path, "data-files", nullptr);
        gchar* archive = g_build_filename(path, "data.tar.bz2", nullptr);
        g_unlink(link);
        g_unlink(archive);
        g_rmdir(path);
        g_free(link);
        g_free(archive);
        g_free(path);
    }
};
} // namespace

bool build_data_archive(const std::string& data_dir, std::string& bytes, std::string& error) {
    if (!g_file_test(data_dir.c_str(), G_FILE_TEST_IS_DIR)) {
        error = "no data-set folder " + data_dir;
        return false;
    }
    GError* err = nullptr;
    TempFolder tmp;
    tmp.path = g_dir_make_tmp("tavro-server-XXXXXX", &err);
    if (!tmp.path) {
        error = err->message;
        g_error_free(err);
        return false;
    }
    // The folder may have any name; a link named "data-files" puts its files
    // where the program looks for them, and tar follows it (-h).
    gchar* absolute = g_canonicalize_filename(data_dir.c_str(), nullptr);
    gchar* link = g_build_filename(tmp.path, "data-files", nullptr);
    gchar* archive = g_build_filename(tmp.path, "data.tar.bz2", nullptr);
    bool ok = symlink(absolute, link) == 0;
    if (!ok) error = "cannot link the data set into " + std::string(tmp.path);
    gchar* out = nullptr;
    gint status = 0;
    if (ok) {
        const gchar* argv[] = {"tar", "-cjhf", archive, "-C", tmp.path, "data-files", nullptr};
        ok = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                          nullptr, nullptr, &out, &status, &err) &&
             g_spawn_check_wait_status(status, &err);
        if (!ok) error = std::string("tar failed: ") + err->message + " " + (out ? out : "");
    }
    gchar* contents = nullptr;
    gsize length = 0;
    if (ok) {
        ok = g_file_get_contents(archive, &contents, &length, &err);
        if (ok)
            bytes.assign(contents, length);
        else
            error = err->message;
    }
    if (err) g_error_free(err);
    g_free(contents);
    g_free(out);
    g_free(archive);
    g_free(link);
    g_free(absolute);
    return ok;
}
