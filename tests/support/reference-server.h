// Our reference TAVRO server as a child process on 127.0.0.1, port 0, with a
// temporary upload folder and the installed data set to serve.
#pragma once

#include "temp-dir.h"

#include <cstdio>
#include <cstring>
#include <glib.h>
#include <glibmm/fileutils.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <vector>

struct Server {
    TempDir dir;
    std::string base, uploads = dir.path() + "/uploads";
    GPid pid = 0;
    FILE* out = nullptr; // kept open: the server logs every request to it

    explicit Server(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {TAVRO_SERVER_BIN, "--upload-dir", uploads, "--data-dir",
                                   std::string(TAVRO_SOURCE_DIR) + "/data-files"});
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        int fd = -1;
        if (!g_spawn_async_with_pipes(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr,
                                      nullptr, &pid, nullptr, &fd, nullptr, nullptr))
            return;
        out = fdopen(fd, "r");
        // "listening on 127.0.0.1:PORT", or "listening on https://127.0.0.1:PORT".
        char line[200] = "";
        if (!fgets(line, sizeof line, out)) return;
        std::string at(line + 13, strcspn(line + 13, "\n"));
        if (g_str_has_prefix(line, "listening on 127.0.0.1:"))
            base = "http://" + at;
        else if (g_str_has_prefix(line, "listening on https://127.0.0.1:"))
            base = at;
    }
    ~Server() {
        if (pid) kill(pid, SIGTERM), waitpid(pid, nullptr, 0);
        if (out) fclose(out);
    }
    std::vector<std::string> stored() const {
        std::vector<std::string> names;
        for (const std::string& name : Glib::Dir(uploads))
            names.push_back(uploads + "/" + name);
        return names;
    }
};
