// tavro-startup-bench: time from starting the program to its first window drawn,
// with the shipped and the large data set, against a process that only builds
// a window from the same UI file with no data loaded. Each start is a process
// of its own (this program again, with --child), timed from just before it is
// spawned, so loading the libraries counts too. Needs a display: run-bench.sh
// runs it under Xvfb.
#include "bench-support.h"
#include "data-set-generator.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtkmm/application.h>
#include <gtkmm/builder.h>
#include <gtkmm/window.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int STARTS = 11;

long long monotonic_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// The child: starts as the program's main does and prints the moment its
// window is first drawn and its peak resident set then, and leaves.
int run_child(const std::string& mode, const std::string& dir) {
    if (chdir(dir.c_str()) != 0) return 1;
    // The program's own output would mix with the figures.
    if (!freopen("/dev/null", "w", stderr)) return 1;
    const int figures = dup(1);
    if (!freopen("/dev/null", "w", stdout)) return 1;
    int argc = 1;
    char name[] = "tavro-startup-bench";
    char* argv[] = {name, nullptr};
    char** args = argv;
    auto app =
        Gtk::Application::create(argc, args, "org.tavro.StartupBench", Gio::APPLICATION_NON_UNIQUE);
    Gtk::Window* window = nullptr;
    std::unique_ptr<MyApp> my_app;
    Glib::RefPtr<Gtk::Builder> builder;
    if (mode == "bare") {
        app->register_application();
        builder = Gtk::Builder::create_from_file("resources/survey-ui.glade");
        builder->get_widget("survey_window", window);
    } else {
        // As the program starts: registering and reading the UI file while
        // the data set is read.
        Glib::RefPtr<Gtk::Builder> ui;
        my_app = std::make_unique<MyApp>(app, [&app, &ui] {
            app->register_application();
            ui = SurveyWindow::read_ui();
        });
        window = SurveyWindow::create(*my_app, ui);
    }
    if (!window) return 1;
    window->signal_draw().connect(
        [&](const Cairo::RefPtr<Cairo::Context>&) {
            dprintf(figures, "%lld %ld\n", monotonic_ns(), peak_rss_kib());
            _exit(0); // the figure is taken; tearing down is not part of it
            return false;
        },
        false);
    return app->run(*window);
}

struct Start {
    double ms = 0;
    long rss_kib = 0;
};

bool start_once(const std::string& self, const std::string& mode, const std::string& dir,
                Start& out) {
    int pipefd[2];
    if (pipe(pipefd) != 0) return false;
    const long long began = monotonic_ns();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipefd[1], 1);
        close(pipefd[0]);
        execl(self.c_str(), self.c_str(), "--child", mode.c_str(), dir.c_str(), (char*)nullptr);
        _exit(127);
    }
    close(pipefd[1]);
    char line[100] = "";
    FILE* in = fdopen(pipefd[0], "r");
    const bool got = in && fgets(line, sizeof line, in);
    if (in) fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    long long shown = 0;
    if (!got || sscanf(line, "%lld %ld", &shown, &out.rss_kib) != 2) return false;
    out.ms = (shown - began) / 1e6;
    return true;
}

// A folder the child starts in: the UI file and icons, and a data set.
std::string prepare(const ScratchDir& root, const char* name, const std::string& data) {
    const std::string dir = root.path() + "/" + name;
    if (system(("mkdir -p '" + dir + "'").c_str()) != 0 ||
        symlink(TAVRO_SOURCE_DIR "/resources", (dir + "/resources").c_str()) != 0)
        return "";
    if (!data.empty() && symlink(data.c_str(), (dir + "/data-files").c_str()) != 0) return "";
    return dir;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--child") == 0) return run_child(argv[2], argv[3]);

    ScratchDir root("startup-bench");
    // A downloaded data set in the user's folders must not take the place of
    // the one under test.
    setenv("HOME", root.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root.path() + "/config").c_str(), 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    const std::string large = root.path() + "/large-data";
    printf("Writing the large data set...\n");
    if (!write_data_set(large, large_data_set_shape())) return 1;
    const std::string self = "/proc/self/exe";
    char path[4096] = "";
    const ssize_t n = readlink(self.c_str(), path, sizeof path - 1);
    if (n <= 0) return 1;

    struct Case {
        const char* mode;
        const char* what;
        std::string dir;
        double median_ms = 0, median_rss = 0;
    } cases[] = {
        {"bare", "window from the UI file, no data", prepare(root, "bare", "")},
        {"shipped", "program, shipped data set",
         prepare(root, "shipped", TAVRO_SOURCE_DIR "/data-files")},
        {"large", "program, large data set", prepare(root, "large", large)},
    };
    printf("\n===== Start-up to the first window drawn (%d starts each) =====\n", STARTS);
    int over = 0;
    // Interleaved, so that a machine busy for a while weighs on every case alike.
    std::vector<double> ms[3];
    std::vector<long> rss[3];
    for (int i = 0; i < STARTS; ++i)
        for (int k = 0; k < 3; ++k) {
            Start s;
            if (cases[k].dir.empty() || !start_once(path, cases[k].mode, cases[k].dir, s)) {
                printf("  %s: did not start\n", cases[k].what);
                return 1;
            }
            ms[k].push_back(s.ms);
            rss[k].push_back(s.rss_kib);
        }
    for (int k = 0; k < 3; ++k) {
        Case& c = cases[k];
        std::sort(ms[k].begin(), ms[k].end());
        std::sort(rss[k].begin(), rss[k].end());
        c.median_ms = ms[k][ms[k].size() / 2];
        c.median_rss = static_cast<double>(rss[k][rss[k].size() / 2]) / 1024.0;
        const double bare = cases[0].median_ms;
        if (&c == &cases[0]) {
            printf("  %-40s median %6.0f ms, peak memory %5.1f MiB\n", c.what, c.median_ms,
                   c.median_rss);
            continue;
        }
        // The first window within a second, and the data loaded costing at
        // most half of what the window itself does.
        const bool ok = c.median_ms <= 1000 && c.median_ms <= 1.5 * bare;
        over += ok ? 0 : 1;
        printf("  %-40s median %6.0f ms (%.2f x bare; goal 1000 ms and 1.5 x), peak memory %5.1f "
               "MiB  %s\n",
               c.what, c.median_ms, c.median_ms / bare, c.median_rss, ok ? "OK" : "OVER");
    }
    return over == 0 ? 0 : 1;
}
