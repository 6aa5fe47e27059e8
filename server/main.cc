// The reference TAVRO server. Prints "listening on ADDRESS:PORT" as its first
// line ("listening on https://ADDRESS:PORT" with a certificate), so that a test
// or a script can start it on port 0 and find it.
#include "reference-server.h"

#include <cstdio>
#include <glib.h>

int main(int argc, char** argv) {
    ServerOptions options;
    if (!options.parse(argc, argv)) return 2;
    ReferenceServer server(options);
    std::string error;
    if (!server.start(error)) {
        fprintf(stderr, "tavro-server: %s\n", error.c_str());
        return 1;
    }
    const std::string& base = server.base_url();
    bool https = base.compare(0, 8, "https://") == 0;
    printf("listening on %s\n", https ? base.c_str() : base.substr(7).c_str());
    fflush(stdout);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
