#include "data-archive.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <glib.h>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// Removes the temporary folder and all that was staged in it: links go, never
// what they point at.
struct TempFolder {
    std::string path;
    ~TempFolder() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
};

bool run(std::vector<std::string> args, std::string& error) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    gchar* out = nullptr;
    gint status = 0;
    GError* err = nullptr;
    bool ok = g_spawn_sync(nullptr, argv.data(), nullptr,
                           GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL), nullptr,
                           nullptr, nullptr, &out, &status, &err) &&
              g_spawn_check_wait_status(status, &err);
    if (!ok) error = args[0] + " failed: " + err->message + " " + (out ? out : "");
    if (err) g_error_free(err);
    g_free(out);
    return ok;
}

// Puts the hostile member KIND stands for into a copy of the data set.
void add_member(const fs::path& files, const std::string& kind) {
    if (kind == "fifo") {
        if (mkfifo((files / "pipe.csv").c_str(), 0644) != 0)
            throw fs::filesystem_error("mkfifo", files / "pipe.csv",
                                       std::error_code(errno, std::generic_category()));
    } else if (kind == "symlink") {
        fs::remove(files / "habitat.csv");
        fs::create_symlink("/etc/passwd", files / "habitat.csv");
    } else if (kind == "hardlink") {
        // Sorted by name, habitat.csv comes first and linked.csv is the link.
        fs::create_hard_link(files / "habitat.csv", files / "linked.csv");
    } else if (kind == "huge-member") {
        // A hole: nothing on disk, and tar -S stores only its map.
        std::ofstream(files / "big.csv").close();
        fs::resize_file(files / "big.csv", 300u << 20);
    } else if (kind == "unknown-file") {
        std::ofstream(files / "notes.exe") << "MZ not a data file\n";
    }
}

// The data set staged as real files plus the hostile member, archived without
// following links; for outside-link-folder "data-files" itself is first
// archived as a link out of the unpacking folder, and the files follow it.
bool build_hostile(const std::string& data_dir, const std::string& kind, const fs::path& tmp,
                   std::string& error) {
    fs::path stage = tmp / "stage", tar = tmp / "data.tar";
    try {
        fs::create_directories(stage);
        fs::copy(data_dir, stage / "data-files", fs::copy_options::recursive);
        add_member(stage / "data-files", kind);
        if (kind == "outside-link-folder") {
            fs::create_directories(tmp / "link");
            fs::create_directory_symlink("..", tmp / "link" / "data-files");
        }
    } catch (const fs::filesystem_error& e) {
        error = std::string("cannot stage the archive: ") + e.what();
        return false;
    }
    bool ok = true;
    if (kind == "outside-link-folder")
        ok = run({"tar", "-cf", tar, "-C", tmp / "link", "data-files"}, error);
    return ok &&
           run({"tar", kind == "outside-link-folder" ? "-rSf" : "-cSf", tar, "--sort=name", "-C",
                stage, "data-files"},
               error) &&
           run({"bzip2", tar}, error);
}
} // namespace

bool build_data_archive(const std::string& data_dir, const std::string& hostile_kind,
                        std::string& bytes, std::string& error) {
    if (!g_file_test(data_dir.c_str(), G_FILE_TEST_IS_DIR)) {
        error = "no data-set folder " + data_dir;
        return false;
    }
    GError* err = nullptr;
    TempFolder tmp;
    gchar* made = g_dir_make_tmp("tavro-server-XXXXXX", &err);
    if (!made) {
        error = err->message;
        g_error_free(err);
        return false;
    }
    tmp.path = made;
    g_free(made);
    std::string archive = tmp.path + "/data.tar.bz2";
    bool ok;
    if (hostile_kind.empty()) {
        // The folder may have any name; a link named "data-files" puts its
        // files where the program looks for them, and tar follows it (-h).
        gchar* absolute = g_canonicalize_filename(data_dir.c_str(), nullptr);
        std::error_code failed;
        fs::create_directory_symlink(absolute, tmp.path + "/data-files", failed);
        g_free(absolute);
        ok = !failed;
        if (!ok) error = "cannot link the data set into " + tmp.path;
        ok = ok && run({"tar", "-cjhf", archive, "-C", tmp.path, "data-files"}, error);
    } else {
        ok = build_hostile(data_dir, hostile_kind, tmp.path, error);
    }
    gchar* contents = nullptr;
    gsize length = 0;
    if (ok) {
        ok = g_file_get_contents(archive.c_str(), &contents, &length, &err);
        if (ok)
            bytes.assign(contents, length);
        else
            error = err->message;
    }
    if (err) g_error_free(err);
    g_free(contents);
    return ok;
}
