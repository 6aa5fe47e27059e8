// The reference TAVRO server: survey upload, the two version queries and the
// data archive, as the program expects them.
#pragma once

#include "server-options.h"

#include <libsoup/soup.h>
#include <string>

class ReferenceServer {
public:
    explicit ReferenceServer(const ServerOptions& options);
    ~ReferenceServer();
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;

    // Reads the data set, builds the archive and starts listening; false with
    // the reason in error.
    bool start(std::string& error);
    // "http://ADDRESS:PORT" of the bound socket, known after start.
    const std::string& base_url() const { return base; }

    static const char* const UPLOAD_PATH;
    static const char* const QUERY_PATH;
    static const char* const ARCHIVE_PATH;
    static const char* const DOWNLOAD_PAGE_PATH;

private:
    static void on_upload(SoupServer*, SoupMessage*, const char*, GHashTable*, SoupClientContext*,
                          gpointer self);
    static void on_offline_data(SoupServer*, SoupMessage*, const char* path, GHashTable* query,
                                SoupClientContext*, gpointer self);

    void upload(SoupMessage* msg);
    // Where the survey was stored, or empty with the reason in error.
    std::string store(SoupBuffer* file, const char* file_name, std::string& error);
    void version_query(SoupMessage* msg, const std::string& which);
    void archive(SoupMessage* msg);

    void set_header(SoupMessage* msg, const char* name, const std::string& value);
    void upload_error(SoupMessage* msg, guint status, const std::string& reason);
    // Holds the answer back when the stall switches ask for it.
    void finish(SoupMessage* msg, const std::string& what);

    ServerOptions options;
    SoupServer* server = nullptr;
    std::string base;
    std::string archive_bytes;
    unsigned stored = 0;
};
