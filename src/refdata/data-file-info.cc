#include "refdata/data-file-info.h"

#include "core/errors.h"
#include "core/misc.h"

#include <cstdio>
#include <fstream>

DataFileInfo::DataFileInfo(const std::string& dir, bool corruption_is_fatal) {
    std::ifstream in(dir + get_filename(), std::ios::in | std::ios::binary);
    if (!in.is_open()) return;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        auto eq = line.find('=');
        if (eq == std::string::npos) {
            if (corruption_is_fatal) fatal("Data file metadata is corrupted!");
            printf("Data file metadata in %s is corrupted!\n", dir.c_str());
            corrupted = true;
            timestamp.clear();
            updated.clear();
            valid = false;
            return;
        }
        std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        if (key == "version") {
            if (value != "1")
                error("Can't handle data file metadata version %s - please download a newer "
                      "version of this program!",
                      escape_markup(value).c_str());
        } else if (key == "timestamp") {
            timestamp = value;
        } else if (key == "updated") {
            updated = value;
        } else {
            printf("Ignoring unknown data-file-info key \"%s\" (= \"%s\")\n", key.c_str(),
                   value.c_str());
        }
    }
    valid = !timestamp.empty() && !updated.empty();
}
