#include "temp-dir.h"

#include <cstdlib>
#include <fstream>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>

TempDir::TempDir() : owner(getpid()) {
    char tmpl[] = "/tmp/tavro-test-XXXXXX";
    dir = mkdtemp(tmpl);
}

TempDir::~TempDir() {
    if (getpid() == owner && system(("rm -rf '" + dir + "'").c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", dir.c_str());
}

std::string TempDir::write(const std::string& name, const std::string& contents) const {
    std::string path = dir + "/" + name;
    g_mkdir_with_parents(Glib::path_get_dirname(path).c_str(), 0755);
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

void use_private_home() {
    static TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home.path() + "/.local/share").c_str(), 1);
}

ScopedEnv::ScopedEnv(const char* n, const std::string& value) : name(n) {
    const char* o = getenv(n);
    had_old = o != nullptr;
    if (o) old = o;
    setenv(n, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_old)
        setenv(name.c_str(), old.c_str(), 1);
    else
        unsetenv(name.c_str());
}

size_t files_in(const std::string& folder) {
    size_t count = 0;
    if (Glib::file_test(folder, Glib::FILE_TEST_IS_DIR))
        for (const std::string& name : Glib::Dir(folder))
            count += !name.empty();
    return count;
}

std::string read_text_file(const std::string& path) {
    try {
        return Glib::file_get_contents(path);
    } catch (const Glib::Error&) {
        return "";
    }
}
