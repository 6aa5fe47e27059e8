#include "net/net-session.h"

#include "core/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <libsoup/soup.h>
#include <thread>
#include <unistd.h>

namespace {

NetSession::Factory& factory() {
    static NetSession::Factory made;
    return made;
}

std::string lower(std::string text) {
    for (char& c : text)
        c = g_ascii_tolower(c);
    return text;
}

std::string kilobytes(uint64_t bytes) {
    return bytes >= 1024 * 1024 ? format("%llu MB", (unsigned long long)(bytes >> 20))
                                : format("%llu KB", (unsigned long long)(bytes >> 10));
}

// What a failed exchange says to a volunteer.
std::string describe(const GError* error) {
    if (!error) return "no answer";
    if (error->domain == SOUP_HTTP_ERROR) {
        switch (error->code) {
        case SOUP_STATUS_CANT_RESOLVE:
        case SOUP_STATUS_CANT_RESOLVE_PROXY:
            return "host not found";
        case SOUP_STATUS_CANT_CONNECT:
        case SOUP_STATUS_CANT_CONNECT_PROXY:
            return "connection refused";
        case SOUP_STATUS_SSL_FAILED:
            return "its certificate is not trusted";
        case SOUP_STATUS_IO_ERROR:
            return "the connection was cut off";
        case SOUP_STATUS_MALFORMED:
            return "its answer was not HTTP";
        }
    }
    if (error->domain == G_TLS_ERROR) return "its certificate is not trusted";
    if (error->domain == G_RESOLVER_ERROR) return "host not found";
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CONNECTION_REFUSED))
        return "connection refused";
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT)) return "timed out";
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED) ||
        g_error_matches(error, G_IO_ERROR, G_IO_ERROR_BROKEN_PIPE) ||
        g_error_matches(error, G_IO_ERROR, G_IO_ERROR_PARTIAL_INPUT))
        return "the connection was cut off";
    return error->message;
}

bool is_redirect(unsigned status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

NetLimits& net_limits() {
    static NetLimits limits;
    return limits;
}

const char* NetAnswer::header(const std::string& name) const {
    const std::string wanted = lower(name);
    for (const auto& [key, value] : headers)
        if (lower(key) == wanted) return value.c_str();
    return nullptr;
}

// One exchange: its request, what it may take, and how far it got.
struct NetSession::Exchange {
    enum Kind { QUERY, UPLOAD, DOWNLOAD } kind;
    Exchange(Kind kind, std::string url) : kind(kind), url(std::move(url)) {}
    std::string url, file_name, bytes, path;
    double seconds = 0, idle_seconds = 0;
    uint64_t cap = 0;

    NetProgress* progress = nullptr;
    GMainLoop* loop = nullptr;
    GCancellable* cancellable = nullptr;
    SoupMessage* message = nullptr;
    GInputStream* stream = nullptr;
    GError* error = nullptr;
    gssize got = 0;
    bool waiting = false;
    std::string stopped; // a limit that ended it
    guint deadline = 0, idle = 0;
    uint64_t received = 0, sent = 0;
    int64_t total = -1;
    int fd = -1;
    char buffer[16384];
    NetAnswer answer;

    void wait() {
        waiting = true;
        while (waiting)
            g_main_loop_run(loop);
    }
    void done() {
        waiting = false;
        g_main_loop_quit(loop);
    }
    void stop(const std::string& why) {
        if (stopped.empty()) stopped = why;
        g_cancellable_cancel(cancellable);
    }
    void restart_idle() {
        if (idle) g_source_remove(idle);
        idle = idle_seconds > 0 ? g_timeout_add(guint(idle_seconds * 1000), on_idle, this) : 0;
    }

    static gboolean on_deadline(gpointer self) {
        auto* e = static_cast<Exchange*>(self);
        e->deadline = 0;
        e->stop(format("no answer within %.0f s", e->seconds));
        return G_SOURCE_REMOVE;
    }
    static gboolean on_idle(gpointer self) {
        auto* e = static_cast<Exchange*>(self);
        e->idle = 0;
        e->stop(format("nothing came for %.0f s", e->idle_seconds));
        return G_SOURCE_REMOVE;
    }
    static void on_sent(GObject* session, GAsyncResult* result, gpointer self) {
        auto* e = static_cast<Exchange*>(self);
        e->stream = soup_session_send_finish(SOUP_SESSION(session), result, &e->error);
        e->done();
    }
    static void on_read(GObject* stream, GAsyncResult* result, gpointer self) {
        auto* e = static_cast<Exchange*>(self);
        e->got = g_input_stream_read_finish(G_INPUT_STREAM(stream), result, &e->error);
        e->done();
    }
    static void on_wrote_chunk(SoupMessage*, SoupBuffer* chunk, gpointer self) {
        auto* e = static_cast<Exchange*>(self);
        e->sent += chunk->length;
        if (e->progress) e->progress->bytes(e->sent, int64_t(e->bytes.size()));
    }
    static void on_wrote_body(SoupMessage*, gpointer self) {
        static_cast<Exchange*>(self)->answer.body_sent = true;
    }
};

NetSession::NetSession() {
    session = soup_session_new();
    if (const char* ca = getenv("TAVRO_TEST_CA_FILE")) {
        // For tests against a server of our own: its certificate authority
        // becomes the one the session trusts. Certificates are always checked.
        GError* error = nullptr;
        GTlsDatabase* database = g_tls_file_database_new(ca, &error);
        fprintf(stderr, "TLS: trusting the test CA file %s%s%s\n", ca, error ? ": " : "",
                error ? error->message : "");
        if (database) {
            g_object_set(session, SOUP_SESSION_TLS_DATABASE, database, nullptr);
            g_object_unref(database);
        }
        if (error) g_error_free(error);
    }
    if (debug_level >= 2) {
        SoupLogger* logger = soup_logger_new(SOUP_LOGGER_LOG_HEADERS, -1);
        soup_session_add_feature(session, SOUP_SESSION_FEATURE(logger));
        g_object_unref(logger);
    }
}

NetSession::~NetSession() {
    soup_session_abort(session);
    g_object_unref(session);
}

void NetSession::set_factory(Factory made) {
    factory() = std::move(made);
}

std::unique_ptr<NetSession> NetSession::create() {
    return factory() ? factory()() : std::make_unique<NetSession>();
}

void NetSession::prepare() {
    std::thread([] {
        g_tls_backend_get_default();
        g_proxy_resolver_get_default();
        g_object_unref(g_resolver_get_default());
    }).detach();
}

std::string NetSession::server_of(const std::string& url) {
    SoupURI* uri = soup_uri_new(url.c_str());
    if (!uri || !uri->host) {
        if (uri) soup_uri_free(uri);
        return url;
    }
    std::string server = std::string(uri->scheme) + "://" + uri->host;
    if (!soup_uri_uses_default_port(uri)) server += format(":%u", uri->port);
    soup_uri_free(uri);
    return server;
}

void NetSession::cancel() {
    cancel_requested = true;
    if (cancellable) g_cancellable_cancel(cancellable);
}

NetAnswer NetSession::query(const std::string& url) {
    Exchange e(Exchange::QUERY, url);
    e.seconds = net_limits().query_seconds;
    e.cap = net_limits().answer_bytes;
    return run(e);
}

NetAnswer NetSession::upload(const std::string& url, const std::string& file_name,
                             const std::string& bytes) {
    Exchange e(Exchange::UPLOAD, url);
    e.file_name = file_name;
    e.bytes = bytes;
    const NetLimits& limits = net_limits();
    e.seconds = limits.upload_seconds + double(bytes.size()) / limits.upload_bytes_per_second;
    e.cap = limits.answer_bytes;
    return run(e);
}

NetAnswer NetSession::download(const std::string& url, const std::string& path) {
    Exchange e(Exchange::DOWNLOAD, url);
    e.path = path;
    e.seconds = net_limits().archive_seconds;
    e.idle_seconds = net_limits().archive_idle_seconds;
    e.cap = net_limits().archive_bytes;
    NetAnswer answer = run(e);
    if (!answer.answered || answer.status != 200) unlink(path.c_str());
    return answer;
}

NetAnswer NetSession::run(Exchange& e) {
    NetAnswer& answer = e.answer;
    if (cancel_requested) {
        answer.failure = "cancelled";
        answer.cancelled = true;
        return answer;
    }
    e.progress = progress;
    e.loop = g_main_loop_new(nullptr, FALSE);
    e.cancellable = cancellable = g_cancellable_new();
    e.deadline = g_timeout_add(guint(e.seconds * 1000), Exchange::on_deadline, &e);
    SoupMultipart* form = nullptr;
    for (int hop = 0;; ++hop) {
        if (e.kind == Exchange::UPLOAD) {
            form = soup_multipart_new(SOUP_FORM_MIME_TYPE_MULTIPART);
            SoupBuffer* file =
                soup_buffer_new(SOUP_MEMORY_TEMPORARY, e.bytes.data(), e.bytes.size());
            soup_multipart_append_form_file(form, "survey-file", e.file_name.c_str(),
                                            "application/xml", file);
            soup_buffer_free(file);
            e.message = soup_form_request_new_from_multipart(e.url.c_str(), form);
        } else {
            e.message = soup_message_new("GET", e.url.c_str());
        }
        if (!e.message) {
            answer.failure = "not a valid address";
            break;
        }
        soup_message_set_flags(e.message, SOUP_MESSAGE_NO_REDIRECT);
        g_signal_connect(e.message, "wrote-body-data", G_CALLBACK(Exchange::on_wrote_chunk), &e);
        g_signal_connect(e.message, "wrote-body", G_CALLBACK(Exchange::on_wrote_body), &e);
        e.restart_idle();
        soup_session_send_async(session, e.message, e.cancellable, Exchange::on_sent, &e);
        e.wait();
        if (!e.stream) break;
        const unsigned status = e.message->status_code;
        const char* location =
            soup_message_headers_get_one(e.message->response_headers, "Location");
        if (is_redirect(status) && location) {
            SoupURI* base = soup_uri_new(e.url.c_str());
            SoupURI* next = base ? soup_uri_new_with_base(base, location) : nullptr;
            const bool web = next && (next->scheme == SOUP_URI_SCHEME_HTTP ||
                                      next->scheme == SOUP_URI_SCHEME_HTTPS);
            if (web) {
                char* text = soup_uri_to_string(next, FALSE);
                answer.location = text;
                g_free(text);
            } else {
                answer.location = location;
            }
            if (next) soup_uri_free(next);
            if (base) soup_uri_free(base);
            if (e.kind != Exchange::UPLOAD) {
                if (!web || hop == net_limits().redirects) {
                    answer.failure = web ? format("more than %d redirects", net_limits().redirects)
                                         : "a redirect to " + answer.location;
                    break;
                }
                g_input_stream_close(e.stream, nullptr, nullptr);
                g_clear_object(&e.stream);
                g_clear_object(&e.message);
                if (form) soup_multipart_free(form), form = nullptr;
                e.url = answer.location;
                continue;
            }
        }
        answer.status = status;
        soup_message_headers_foreach(
            e.message->response_headers,
            [](const char* name, const char* value, gpointer to) {
                static_cast<NetAnswer*>(to)->headers.emplace_back(name, value);
            },
            &answer);
        e.total = soup_message_headers_get_content_length(e.message->response_headers);
        if (e.total == 0 &&
            !soup_message_headers_get_one(e.message->response_headers, "Content-Length"))
            e.total = -1;
        if (e.kind == Exchange::DOWNLOAD && status == 200) {
            e.fd =
                open(e.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
            if (e.fd < 0) {
                answer.failure = std::string("can't write the archive: ") + strerror(errno);
                break;
            }
        }
        // The body in chunks, each a turn of the main loop.
        for (;;) {
            g_input_stream_read_async(e.stream, e.buffer, sizeof e.buffer, G_PRIORITY_DEFAULT,
                                      e.cancellable, Exchange::on_read, &e);
            e.wait();
            if (e.got <= 0) break;
            e.received += uint64_t(e.got);
            e.restart_idle();
            if (e.received > e.cap) {
                e.stopped = (e.kind == Exchange::DOWNLOAD ? "the archive passed its limit of "
                                                          : "the answer passed its limit of ") +
                            kilobytes(e.cap);
                break;
            }
            if (e.fd >= 0) {
                for (gssize done = 0; done < e.got;) {
                    const ssize_t wrote = write(e.fd, e.buffer + done, size_t(e.got - done));
                    if (wrote < 0 && errno == EINTR) continue;
                    if (wrote <= 0) {
                        e.stopped = std::string("can't write the archive: ") + strerror(errno);
                        break;
                    }
                    done += wrote;
                }
                if (!e.stopped.empty()) break;
            } else if (e.kind != Exchange::DOWNLOAD) {
                answer.body.append(e.buffer, size_t(e.got));
            }
            if (e.progress && e.kind == Exchange::DOWNLOAD) e.progress->bytes(e.received, e.total);
        }
        if (e.fd >= 0 && (fsync(e.fd) != 0 || close(e.fd) != 0) && e.stopped.empty())
            e.stopped = std::string("can't write the archive: ") + strerror(errno);
        e.fd = -1;
        answer.answered = e.stopped.empty() && !e.error;
        break;
    }
    if (e.fd >= 0) close(e.fd);
    if (!answer.answered && answer.failure.empty()) {
        answer.cancelled = cancel_requested;
        answer.failure = cancel_requested     ? "cancelled"
                         : !e.stopped.empty() ? e.stopped
                                              : describe(e.error);
    }
    if (!answer.answered) answer.status = 0;
    if (e.deadline) g_source_remove(e.deadline);
    if (e.idle) g_source_remove(e.idle);
    if (e.error) g_error_free(e.error);
    if (e.stream) {
        g_input_stream_close(e.stream, nullptr, nullptr);
        g_object_unref(e.stream);
    }
    if (e.message) g_object_unref(e.message);
    if (form) soup_multipart_free(form);
    cancellable = nullptr;
    g_object_unref(e.cancellable);
    g_main_loop_unref(e.loop);
    return answer;
}
