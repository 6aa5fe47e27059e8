// The program's exchanges with the TAVRO server: the version queries, the
// survey upload and the data archive. Each runs on the main loop while the
// window keeps drawing, within a deadline and a size cap, and can be
// cancelled; the callers wait for it as for a function.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

typedef struct _GCancellable GCancellable;
typedef struct _SoupSession SoupSession;

// How long and how much: one place, settable by tests.
struct NetLimits {
    double query_seconds = 30;             // a version query, all of it
    double upload_seconds = 60;            // an upload, plus one second per
    size_t upload_bytes_per_second = 8192; // this many bytes of its file
    double archive_idle_seconds = 30;      // the archive: without a byte
    double archive_seconds = 15 * 60;      // and all of it
    size_t answer_bytes = 64 * 1024;       // a query's or an upload's answer
    uint64_t archive_bytes = 100 * 1024 * 1024;
    int redirects = 3; // followed by the queries and the archive
};
NetLimits& net_limits();

// What the user is shown while an exchange runs.
class NetProgress {
public:
    virtual ~NetProgress() = default;
    virtual void step(const std::string& what) = 0;
    // Bytes so far; total below 0 when not known.
    virtual void bytes(uint64_t done, int64_t total) = 0;
};

// What came back. answered: an HTTP answer came, with status and headers;
// otherwise failure says what happened instead.
struct NetAnswer {
    bool answered = false;
    unsigned status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string failure;    // "connection refused", "cancelled", ...
    bool cancelled = false; // by the user
    bool body_sent = false; // an upload whose file went out whole
    std::string location;   // where a redirect pointed

    // A header's value, names compared without case; null when absent.
    const char* header(const std::string& name) const;
};

class NetSession {
public:
    NetSession();
    virtual ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    // A GET whose answer is small, following a few redirects.
    virtual NetAnswer query(const std::string& url);
    // One survey file posted as the form field "survey-file"; a redirect is
    // an answer, never followed.
    virtual NetAnswer upload(const std::string& url, const std::string& file_name,
                             const std::string& bytes);
    // The archive, streamed into a new file at path (removed again when the
    // download fails).
    virtual NetAnswer download(const std::string& url, const std::string& path);

    // Ends the exchange under way, and every later one, as cancelled.
    void cancel();
    bool cancelled() const { return cancel_requested; }

    NetProgress* progress = nullptr;

    // How sessions are made: tests put their own in place (for example one
    // whose host is never found). Null brings back the real one.
    using Factory = std::function<std::unique_ptr<NetSession>()>;
    static void set_factory(Factory factory);
    static std::unique_ptr<NetSession> create();

    // Loads what the first exchange needs (TLS, proxy and name resolution),
    // on a thread of its own, so that it does not hold the main loop later.
    static void prepare();

    // "scheme://host:port" of an address, for messages.
    static std::string server_of(const std::string& url);

protected:
    struct Exchange;
    NetAnswer run(Exchange& exchange);

private:
    SoupSession* session = nullptr;
    GCancellable* cancellable = nullptr;
    bool cancel_requested = false;
};
