#include "bench-support.h"

#include "refdata/from-csv.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <glibmm/fileutils.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>

ScratchDir::ScratchDir(const char* tag) {
    std::string tmpl = std::string("/tmp/tavro-") + tag + "-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
        perror("mkdtemp");
        exit(1);
    }
    dir = buf.data();
}

ScratchDir::~ScratchDir() {
    std::string cmd = "rm -rf '" + dir + "'";
    if (system(cmd.c_str()) != 0) fprintf(stderr, "could not remove %s\n", dir.c_str());
}

std::vector<std::string> data_set_files(const std::string& dir) {
    std::vector<std::string> files;
    Glib::Dir d(dir);
    for (const std::string& name : d) {
        bool csv = name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0;
        if (csv || name == "data-file-info.txt") files.push_back(dir + "/" + name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {
// Only the splitter is wanted; no file is read through this object.
class SplitOnly : public FromCSV {
public:
    RetCode process_line(const std::vector<Glib::ustring>&) override { return RC_OK; }
};
} // namespace

ReadFigures read_and_split(const std::vector<std::string>& files) {
    ReadFigures fig;
    SplitOnly splitter;
    std::vector<Glib::ustring> fields;
    std::string line;
    for (const std::string& path : files) {
        std::ifstream in(path, std::ios::in | std::ios::binary);
        int line_no = 0;
        while (std::getline(in, line)) {
            ++line_no;
            fig.bytes += line.size() + 1;
            ++fig.lines;
            splitter.split_line(line, line_no, fields);
            fig.fields += fields.size();
        }
    }
    return fig;
}

size_t file_size(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
}

long peak_rss_kib() {
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

size_t heap_in_use() {
    struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}
