#include "reference-server.h"

#include "data-archive.h"
#include "survey/survey-file.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <glib/gstdio.h>
#include <unistd.h>

const char* const ReferenceServer::UPLOAD_PATH = "/dataentry/upload-survey.php";
const char* const ReferenceServer::QUERY_PATH = "/offline-data-entry/";
const char* const ReferenceServer::ARCHIVE_PATH =
    "/offline-data-entry/current-offline-data.tar.bz2";
const char* const ReferenceServer::DOWNLOAD_PAGE_PATH = "/offline-data-entry/download.html";

namespace {
// Header values must stay on one line: control characters become blanks.
std::string one_line(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// A stored name keeps the uploaded one for the reader, but only in safe
// characters and never as a hidden file or a path.
std::string safe_name(const char* name) {
    std::string out;
    for (const char* p = name ? name : ""; *p; ++p) {
        char c = *p;
        bool ok = g_ascii_isalnum(c) || c == '.' || c == '-' || c == '_';
        out += ok ? c : '_';
    }
    while (!out.empty() && out[0] == '.')
        out.erase(0, 1);
    return out.empty() ? "survey" : out.substr(0, 100);
}

// Made-up bodies repeat this text: 64-byte lines that say what they are.
const gsize FILLER_BYTES = 64 * 1024;
const char* filler() {
    static const std::string text = [] {
        std::string line = "Filler from the reference TAVRO server, not an answer. ";
        line.resize(63, '.');
        line += '\n';
        std::string all;
        while (all.size() < FILLER_BYTES)
            all += line;
        return all;
    }();
    return text.data();
}
// What a trickled answer without a body of its own sends.
const guint64 SMALL_BODY = 64;
const gsize PIECE = 64 * 1024;

// A body on its way out: what is sent so far, and the timer of a trickled one.
struct Stream {
    SoupServer* server;
    SoupMessage* msg;
    const char* data; // null: filler
    guint64 length;
    bool trickle;
    guint64 sent = 0;
    bool completed = false;
    guint timer = 0;

    void append(guint64 most) {
        const char* from = data ? data + sent : filler() + sent % FILLER_BYTES;
        guint64 room = data ? PIECE : FILLER_BYTES - sent % FILLER_BYTES;
        gsize n = std::min({most, room, length - sent});
        soup_message_body_append(msg->response_body, SOUP_MEMORY_STATIC, from, n);
        sent += n;
    }
};

gboolean trickle_byte(gpointer data) {
    auto* s = static_cast<Stream*>(data);
    s->timer = 0;
    s->append(1);
    soup_server_unpause_message(s->server, s->msg);
    return G_SOURCE_REMOVE;
}

// After the headers and after each piece: the next piece, at once or in a second.
void next_piece(SoupMessage*, gpointer data) {
    auto* s = static_cast<Stream*>(data);
    if (s->sent == s->length) {
        if (!s->completed) soup_message_body_complete(s->msg->response_body);
        s->completed = true;
    } else if (s->trickle) {
        s->timer = g_timeout_add(1000, trickle_byte, s);
    } else {
        s->append(PIECE);
    }
}

// Sent or broken off: no more pieces.
void stream_done(SoupMessage* msg, gpointer data) {
    auto* s = static_cast<Stream*>(data);
    if (s->timer) g_source_remove(s->timer);
    g_signal_handlers_disconnect_by_data(msg, s);
    delete s;
}

gboolean resume(gpointer data) {
    auto* pair = static_cast<std::pair<SoupServer*, SoupMessage*>*>(data);
    soup_server_unpause_message(pair->first, pair->second);
    g_object_unref(pair->second);
    delete pair;
    return G_SOURCE_REMOVE;
}
} // namespace

ReferenceServer::ReferenceServer(const ServerOptions& options) : options(options) {}

ReferenceServer::~ReferenceServer() {
    if (server) g_object_unref(server);
}

bool ReferenceServer::start(std::string& error) {
    if (g_mkdir_with_parents(options.upload_dir.c_str(), 0755) != 0) {
        error = "cannot create the upload folder " + options.upload_dir;
        return false;
    }
    if (!build_data_archive(options.data_dir, options.archive_with, archive_bytes, error))
        return false;
    gchar* info = nullptr;
    std::string info_path = options.data_dir + "/data-file-info.txt";
    if (g_file_get_contents(info_path.c_str(), &info, nullptr, nullptr)) {
        if (options.data_version.empty()) options.data_version = info_value(info, "timestamp");
        if (options.data_updated.empty()) options.data_updated = info_value(info, "updated");
        g_free(info);
    }
    if (options.data_version.empty()) {
        error = "no data version: " + info_path + " has no timestamp; give --data-version";
        return false;
    }

    GError* err = nullptr;
    GTlsCertificate* certificate = nullptr;
    if (!options.tls_cert.empty()) {
        certificate = g_tls_certificate_new_from_files(options.tls_cert.c_str(),
                                                       options.tls_key.c_str(), &err);
        if (!certificate) {
            error = std::string("cannot load the TLS certificate: ") + err->message;
            g_error_free(err);
            return false;
        }
    }
    server = soup_server_new(SOUP_SERVER_SERVER_HEADER, "tavro-reference-server ",
                             SOUP_SERVER_TLS_CERTIFICATE, certificate, nullptr);
    if (certificate) g_object_unref(certificate);
    soup_server_add_handler(server, UPLOAD_PATH, on_upload, this, nullptr);
    soup_server_add_handler(server, "/offline-data-entry", on_offline_data, this, nullptr);

    GSocketAddress* address =
        g_inet_socket_address_new_from_string(options.address.c_str(), options.port);
    if (!address) {
        error = "not an IP address: " + options.address;
        return false;
    }
    auto how = SoupServerListenOptions(certificate ? SOUP_SERVER_LISTEN_HTTPS : 0);
    bool ok = soup_server_listen(server, address, how, &err);
    g_object_unref(address);
    if (!ok) {
        error = err->message;
        g_error_free(err);
        return false;
    }
    GSList* uris = soup_server_get_uris(server);
    auto* uri = static_cast<SoupURI*>(uris->data);
    base = (certificate ? "https://" : "http://") + options.address + ":" +
           std::to_string(soup_uri_get_port(uri));
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(soup_uri_free));
    if (options.app_download_url.empty()) options.app_download_url = base + DOWNLOAD_PAGE_PATH;
    return true;
}

void ReferenceServer::set_header(SoupMessage* msg, const char* name, const std::string& value) {
    gchar* lower = g_ascii_strdown(name, -1);
    bool omit = options.omit_headers.count(lower) > 0;
    g_free(lower);
    if (!omit) soup_message_headers_replace(msg->response_headers, name, one_line(value).c_str());
}

void ReferenceServer::finish(SoupMessage* msg, const std::string& what, Body body) {
    printf("%s %s -> %u\n", msg->method, soup_uri_get_path(soup_message_get_uri(msg)),
           msg->status_code);
    fflush(stdout);
    bool trickled = options.trickle && options.stalls(what);
    bool own = what == "upload" || what == "mac" || what == "data-files";
    if (own && options.huge_answer > 0 && !SOUP_STATUS_IS_REDIRECTION(msg->status_code))
        body = {nullptr, guint64(options.huge_answer), true};
    else if (trickled && !body.length && SOUP_STATUS_IS_SUCCESSFUL(msg->status_code))
        body = {nullptr, SMALL_BODY, false};
    if (body.length) stream(msg, body, trickled);
    if (!options.stalls(what)) return;
    SoupServer* s = server;
    if (options.no_answer) {
        // The connection stays open and the answer never comes.
        soup_server_pause_message(s, msg);
    } else if (options.delay_ms > 0) {
        soup_server_pause_message(s, msg);
        g_timeout_add(options.delay_ms, resume,
                      new std::pair<SoupServer*, SoupMessage*>(s, SOUP_MESSAGE(g_object_ref(msg))));
    }
}

void ReferenceServer::stream(SoupMessage* msg, const Body& body, bool trickled) {
    if (body.chunked)
        soup_message_headers_set_encoding(msg->response_headers, SOUP_ENCODING_CHUNKED);
    else
        soup_message_headers_set_content_length(msg->response_headers, body.length);
    if (!body.data) set_header(msg, "Content-Type", "text/plain; charset=us-ascii");
    // Pieces are dropped once written: a 2 GiB answer never sits in memory.
    soup_message_body_set_accumulate(msg->response_body, FALSE);
    auto* s = new Stream{server, msg, body.data, body.length, trickled};
    g_signal_connect(msg, "wrote-headers", G_CALLBACK(next_piece), s);
    g_signal_connect(msg, "wrote-chunk", G_CALLBACK(next_piece), s);
    g_signal_connect(msg, "finished", G_CALLBACK(stream_done), s);
}

void ReferenceServer::on_upload(SoupServer*, SoupMessage* msg, const char*, GHashTable*,
                                SoupClientContext*, gpointer self) {
    static_cast<ReferenceServer*>(self)->upload(msg);
}

void ReferenceServer::on_offline_data(SoupServer*, SoupMessage* msg, const char* path,
                                      GHashTable* query, SoupClientContext*, gpointer self) {
    auto* me = static_cast<ReferenceServer*>(self);
    std::string p = path;
    const char* which =
        query ? static_cast<const char*>(g_hash_table_lookup(query, "get-version")) : nullptr;
    if (msg->method != SOUP_METHOD_GET && msg->method != SOUP_METHOD_HEAD) {
        soup_message_set_status(msg, SOUP_STATUS_METHOD_NOT_ALLOWED);
        me->finish(msg, "other");
    } else if (p == QUERY_PATH && which) {
        me->version_query(msg, which, query);
    } else if (p == ARCHIVE_PATH) {
        me->archive(msg, query);
    } else if (p == DOWNLOAD_PAGE_PATH) {
        static const char page[] = "<html><body><p>The reference server offers no program "
                                   "downloads.</p></body></html>\n";
        soup_message_set_response(msg, "text/html", SOUP_MEMORY_STATIC, page, sizeof page - 1);
        soup_message_set_status(msg, SOUP_STATUS_OK);
        me->finish(msg, "other");
    } else {
        soup_message_set_status(msg, SOUP_STATUS_NOT_FOUND);
        me->finish(msg, "other");
    }
}

void ReferenceServer::upload_error(SoupMessage* msg, guint status, const std::string& reason) {
    soup_message_set_status(msg, status);
    set_header(msg, "X-Survey-Upload-Error", reason);
    finish(msg, "upload");
}

void ReferenceServer::upload(SoupMessage* msg) {
    if (msg->method != SOUP_METHOD_POST)
        return upload_error(msg, SOUP_STATUS_METHOD_NOT_ALLOWED, "Surveys are uploaded by POST");
    if (options.refuse_uploads)
        return upload_error(msg, SOUP_STATUS_SERVICE_UNAVAILABLE,
                            "Uploads are closed for maintenance, please try again later");
    if (!options.redirect_upload.empty()) {
        soup_message_set_status(msg, SOUP_STATUS_FOUND);
        set_header(msg, "Location", options.redirect_upload);
        return finish(msg, "upload");
    }
    char* file_name = nullptr;
    SoupBuffer* file = nullptr;
    GHashTable* fields = soup_form_decode_multipart(msg, "survey-file", &file_name, nullptr, &file);
    if (!fields || !file) {
        if (fields) g_hash_table_destroy(fields);
        g_free(file_name);
        return upload_error(msg, SOUP_STATUS_BAD_REQUEST,
                            "Expected a multipart/form-data body with the file field survey-file");
    }
    g_hash_table_destroy(fields);
    std::string error, path;
    guint status = SOUP_STATUS_UNPROCESSABLE_ENTITY;
    // The program refuses to open larger files, so they are no surveys.
    if (file->length > MAX_SURVEY_FILE_BYTES) {
        error = "The file is too large to be a survey";
        status = SOUP_STATUS_REQUEST_ENTITY_TOO_LARGE;
    } else {
        path = store(file, file_name, error);
    }
    soup_buffer_free(file);
    g_free(file_name);
    if (path.empty()) return upload_error(msg, status, error);

    soup_message_set_status(msg, options.answer_200 ? SOUP_STATUS_OK : SOUP_STATUS_CREATED);
    gchar* name = g_path_get_basename(path.c_str());
    set_header(msg, "X-Survey-Upload-Successful", std::string("stored as ") + name);
    g_free(name);
    finish(msg, "upload");
}

std::string ReferenceServer::store(SoupBuffer* file, const char* file_name, std::string& error) {
    std::string text(file->data, file->length);
    SurveyDocument doc;
    if (!doc.load_text(text)) {
        error = "Not a readable survey file: " + std::string(doc.error);
        return "";
    }
    // A counter and mkstemp's letters make the name unique even across restarts.
    std::string tmpl =
        options.upload_dir + "/" + std::to_string(++stored) + "-XXXXXX-" + safe_name(file_name);
    int fd = g_mkstemp_full(&tmpl[0], O_WRONLY, 0644);
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        if (ok) done += n;
    }
    if (fd >= 0 && close(fd) != 0) ok = false;
    if (!ok) {
        if (fd >= 0) g_unlink(tmpl.c_str());
        error = "The server could not store the survey";
        return "";
    }
    printf("stored %s\n", tmpl.c_str());
    return tmpl;
}

bool ReferenceServer::redirected(SoupMessage* msg, GHashTable* query, const char* which) {
    const char* hop = query ? static_cast<const char*>(g_hash_table_lookup(query, "hop")) : nullptr;
    gint64 done = std::max<gint64>(0, hop ? g_ascii_strtoll(hop, nullptr, 10) : 0);
    if (done >= options.redirect_queries) return false;
    std::string to = base + soup_uri_get_path(soup_message_get_uri(msg)) + "?";
    if (which) to += "get-version=" + std::string(which) + "&";
    soup_message_set_status(msg, SOUP_STATUS_FOUND);
    set_header(msg, "Location", to + "hop=" + std::to_string(done + 1));
    finish(msg, which ? which : "archive");
    return true;
}

void ReferenceServer::version_query(SoupMessage* msg, const std::string& which, GHashTable* query) {
    if (which != "mac" && which != "data-files") {
        soup_message_set_status(msg, SOUP_STATUS_BAD_REQUEST);
        return finish(msg, "other");
    }
    if (redirected(msg, query, which.c_str())) return;
    if (which == "mac") {
        set_header(msg, "X-Current-App-Version-Is", options.app_version);
        set_header(msg, "X-Download-App-From", options.app_download_url);
    } else if (which == "data-files") {
        set_header(msg, "X-Current-Data-Version-Is", options.data_version);
        set_header(msg, "X-Download-Data-Files-From", base + ARCHIVE_PATH);
        set_header(msg, "X-Data-Last-Updated-Is", options.data_updated);
    }
    soup_message_set_status(msg, SOUP_STATUS_OK);
    finish(msg, which);
}

void ReferenceServer::archive(SoupMessage* msg, GHashTable* query) {
    if (redirected(msg, query, nullptr)) return;
    size_t length = archive_bytes.size();
    if (options.truncate_archive) length /= 2;
    set_header(msg, "Content-Type", options.archive_type);
    soup_message_set_status(msg, SOUP_STATUS_OK);
    finish(msg, "archive", {archive_bytes.data(), length, false});
}
