// The reference TAVRO server: survey upload, the two version queries and the
// data archive, as the program expects them.
#pragma once

#include "server-options.h"

#include <libsoup/soup.h>
#include <string>

// The body of an answer: bytes that outlive it, or (data null) filler text
// made up as it is sent.
struct Body {
    const char* data = nullptr;
    guint64 length = 0;
    bool chunked = false;
};

class ReferenceServer {
public:
    explicit ReferenceServer(const ServerOptions& options);
    ~ReferenceServer();
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;

    // Reads the data set, builds the archive and starts listening; false with
    // the reason in error.
    bool start(std::string& error);
    // "http://ADDRESS:PORT" (https with a certificate) of the bound socket,
    // known after start.
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
    void version_query(SoupMessage* msg, const std::string& which, GHashTable* query);
    void archive(SoupMessage* msg, GHashTable* query);
    // True when the answer is the next hop of --redirect-queries; which is
    // the version asked for, or null for the archive.
    bool redirected(SoupMessage* msg, GHashTable* query, const char* which);

    void set_header(SoupMessage* msg, const char* name, const std::string& value);
    void upload_error(SoupMessage* msg, guint status, const std::string& reason);

    // Holds the answer back when the stall switches ask for it, and sends its
    // body, or the one --huge-answer or --trickle gives it.
    void finish(SoupMessage* msg, const std::string& what, Body body = {});
    // Sends the body piece by piece as the connection takes it, or a byte a
    // second when trickled, so that a made-up body is never held whole.
    void stream(SoupMessage* msg, const Body& body, bool trickled);

    ServerOptions options;
    SoupServer* server = nullptr;
    std::string base;
    std::string archive_bytes;
    unsigned stored = 0;
};
