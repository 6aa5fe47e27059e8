#include "core/beside-loop.h"

#include <atomic>
#include <glib.h>
#include <thread>

void run_beside_main_loop(const std::function<void()>& work, const std::function<void()>& tick) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    struct Waiting {
        GMainLoop* loop;
        std::atomic<bool>* done;
        const std::function<void()>* tick;
    } waiting{g_main_loop_new(nullptr, FALSE), &done, &tick};
    const guint timer = g_timeout_add(
        20,
        [](gpointer data) {
            auto* w = static_cast<Waiting*>(data);
            if (*w->tick) (*w->tick)();
            if (*w->done) g_main_loop_quit(w->loop);
            return gboolean(G_SOURCE_CONTINUE);
        },
        &waiting);
    g_main_loop_run(waiting.loop);
    worker.join();
    g_source_remove(timer);
    g_main_loop_unref(waiting.loop);
}
