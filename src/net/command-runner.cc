#include "net/command-runner.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <glib-unix.h>
#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Running {
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    GPid pid = 0;
    int fd = -1;
    bool exited = false, closed = false;
    CommandResult result;
    std::function<bool()> cancelled;

    ~Running() { g_main_loop_unref(loop); }
    void check_done() {
        if (exited && closed) g_main_loop_quit(loop);
    }
};

gboolean on_output(gint fd, GIOCondition, gpointer data) {
    auto* r = static_cast<Running*>(data);
    char block[4096];
    for (;;) {
        const ssize_t got = read(fd, block, sizeof block);
        if (got > 0) {
            r->result.output.append(block, size_t(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return G_SOURCE_CONTINUE;
        r->closed = true; // end of output, or it can't be read any more
        r->check_done();
        return G_SOURCE_REMOVE;
    }
}

void on_exit(GPid, gint status, gpointer data) {
    auto* r = static_cast<Running*>(data);
    r->result.status = status;
    r->exited = true;
    r->check_done();
}

gboolean on_tick(gpointer data) {
    auto* r = static_cast<Running*>(data);
    if (!r->result.cancelled && r->cancelled && r->cancelled()) {
        r->result.cancelled = true;
        kill(-r->pid, SIGKILL); // the shell and the pipeline it started
    }
    return G_SOURCE_CONTINUE;
}

void own_process_group(gpointer) {
    setpgid(0, 0);
}

} // namespace

CommandResult run_command(const std::string& command, const std::function<bool()>& cancelled) {
    Running r;
    r.cancelled = cancelled;
    const gchar* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    if (!g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr,
                                  GSpawnFlags(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_CLOEXEC_PIPES),
                                  own_process_group, nullptr, &r.pid, nullptr, &r.fd, nullptr,
                                  nullptr))
        return r.result;
    fcntl(r.fd, F_SETFL, fcntl(r.fd, F_GETFL) | O_NONBLOCK);
    const guint output =
        g_unix_fd_add(r.fd, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), on_output, &r);
    g_child_watch_add(r.pid, on_exit, &r);
    const guint tick = g_timeout_add(50, on_tick, &r);
    g_main_loop_run(r.loop);
    g_source_remove(tick);
    if (!r.closed) g_source_remove(output);
    close(r.fd);
    g_spawn_close_pid(r.pid);
    return r.result;
}
