// Work that would hold the window still runs on a thread of its own while
// the main loop goes on.
#pragma once
#include <functional>

// Runs work on a new thread and the main loop meanwhile, calling tick on the
// main loop every 20 ms (to show progress or pass on a cancel) until work
// has returned.
void run_beside_main_loop(const std::function<void()>& work, const std::function<void()>& tick);
