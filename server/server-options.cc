#include "server-options.h"

#include "core/version.h"

#include <cstdio>
#include <glib.h>
#include <sstream>

namespace {
gchar* string_option(const std::string& value) {
    return value.empty() ? nullptr : g_strdup(value.c_str());
}
void take(gchar* value, std::string& to) {
    if (value) to = value;
    g_free(value);
}
} // namespace

const std::set<std::string> ARCHIVE_KINDS = {"fifo",        "symlink",      "hardlink",
                                             "huge-member", "unknown-file", "outside-link-folder"};

std::string info_value(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    }
    return "";
}

bool ServerOptions::parse(int argc, char** argv) {
    gchar *addr = string_option(address), *uploads = nullptr, *data = nullptr;
    gchar *appv = nullptr, *appurl = nullptr, *datav = nullptr, *dated = nullptr;
    gchar *type = nullptr, *stall = nullptr, *redirect = nullptr, *hostile = nullptr;
    gchar *cert = nullptr, *key = nullptr;
    gchar** omit = nullptr;
    gboolean refuse = FALSE, ok200 = FALSE, truncate = FALSE, never = FALSE, slow = FALSE;
    GOptionEntry entries[] = {
        {"address", 'a', 0, G_OPTION_ARG_STRING, &addr, "Address to listen on (127.0.0.1)", "IP"},
        {"port", 'p', 0, G_OPTION_ARG_INT, &port, "Port; 0 picks a free one (0)", "N"},
        {"upload-dir", 'u', 0, G_OPTION_ARG_FILENAME, &uploads, "Folder for uploaded surveys",
         "DIR"},
        {"data-dir", 'd', 0, G_OPTION_ARG_FILENAME, &data, "Data-set folder served as the archive",
         "DIR"},
        {"app-version", 0, 0, G_OPTION_ARG_STRING, &appv, "Current program version", "TEXT"},
        {"app-url", 0, 0, G_OPTION_ARG_STRING, &appurl, "Program download page", "URL"},
        {"data-version", 0, 0, G_OPTION_ARG_STRING, &datav, "Current data version", "TEXT"},
        {"data-updated", 0, 0, G_OPTION_ARG_STRING, &dated, "Date of the data set", "TEXT"},
        {"refuse-uploads", 0, 0, G_OPTION_ARG_NONE, &refuse, "Refuse every upload", nullptr},
        {"answer-200", 0, 0, G_OPTION_ARG_NONE, &ok200, "Accept uploads with 200, not 201",
         nullptr},
        {"omit-header", 0, 0, G_OPTION_ARG_STRING_ARRAY, &omit, "Never send this header", "NAME"},
        {"archive-type", 0, 0, G_OPTION_ARG_STRING, &type, "Content-Type of the archive", "TYPE"},
        {"truncate-archive", 0, 0, G_OPTION_ARG_NONE, &truncate, "Send half the archive", nullptr},
        {"delay-ms", 0, 0, G_OPTION_ARG_INT, &delay_ms, "Wait before answering", "MS"},
        {"no-answer", 0, 0, G_OPTION_ARG_NONE, &never, "Accept requests, never answer", nullptr},
        {"stall-on", 0, 0, G_OPTION_ARG_STRING, &stall,
         "Requests that --delay-ms and --no-answer affect: all, upload, mac, data-files, archive",
         "WHAT"},
        {"trickle", 0, 0, G_OPTION_ARG_NONE, &slow,
         "Send the body of the --stall-on answers one byte a second (successful answers without "
         "one get 64 bytes of text)",
         nullptr},
        {"redirect-upload", 0, 0, G_OPTION_ARG_STRING, &redirect,
         "Answer uploads with 302 to this address and store nothing", "URL"},
        {"redirect-queries", 0, 0, G_OPTION_ARG_INT, &redirect_queries,
         "Send the version queries and the archive through N 302 redirects (hop=1..N)", "N"},
        {"huge-answer", 0, 0, G_OPTION_ARG_INT64, &huge_answer,
         "Give the upload and version answers a chunked body of this many bytes, made up as it "
         "is sent",
         "BYTES"},
        {"archive-with", 0, 0, G_OPTION_ARG_STRING, &hostile,
         "Add a hostile member to the archive: fifo, symlink, hardlink, huge-member, "
         "unknown-file, outside-link-folder",
         "KIND"},
        {"tls-cert", 0, 0, G_OPTION_ARG_FILENAME, &cert, "Serve HTTPS with this PEM certificate",
         "FILE"},
        {"tls-key", 0, 0, G_OPTION_ARG_FILENAME, &key, "The PEM key of --tls-cert", "FILE"},
        {}};
    GOptionContext* context = g_option_context_new("- reference TAVRO server");
    g_option_context_add_main_entries(context, entries, nullptr);
    GError* err = nullptr;
    bool ok = g_option_context_parse(context, &argc, &argv, &err);
    g_option_context_free(context);
    if (!ok) {
        fprintf(stderr, "tavro-server: %s\n", err->message);
        g_error_free(err);
    }
    take(addr, address);
    take(uploads, upload_dir);
    take(data, data_dir);
    take(appv, app_version);
    take(appurl, app_download_url);
    take(datav, data_version);
    take(dated, data_updated);
    take(type, archive_type);
    take(stall, stall_on);
    take(redirect, redirect_upload);
    take(hostile, archive_with);
    take(cert, tls_cert);
    take(key, tls_key);
    for (gchar** h = omit; h && *h; ++h) {
        // Header names compare without case.
        gchar* name = g_ascii_strdown(*h, -1);
        omit_headers.insert(name);
        g_free(name);
    }
    g_strfreev(omit);
    refuse_uploads = refuse;
    answer_200 = ok200;
    truncate_archive = truncate;
    no_answer = never;
    trickle = slow;
    if (!ok) return false;

    if (upload_dir.empty() || data_dir.empty()) {
        fprintf(stderr, "tavro-server: --upload-dir and --data-dir are required (see --help)\n");
        return false;
    }
    if (port < 0 || port > 65535 || delay_ms < 0 || redirect_queries < 0 || huge_answer < 0) {
        fprintf(stderr, "tavro-server: port, delay, redirect count or answer size out of range\n");
        return false;
    }
    static const std::set<std::string> kinds = {"all", "upload", "mac", "data-files", "archive"};
    if (!kinds.count(stall_on)) {
        fprintf(stderr, "tavro-server: unknown --stall-on value %s\n", stall_on.c_str());
        return false;
    }
    if (!archive_with.empty() && !ARCHIVE_KINDS.count(archive_with)) {
        fprintf(stderr, "tavro-server: unknown --archive-with kind %s\n", archive_with.c_str());
        return false;
    }
    if (tls_cert.empty() != tls_key.empty()) {
        fprintf(stderr, "tavro-server: --tls-cert and --tls-key go together\n");
        return false;
    }
    if (app_version.empty()) app_version = BuildInfo::version_str;
    return true;
}
