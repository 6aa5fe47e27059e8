// What the reference server serves and how it misbehaves, from its command line.
#pragma once

#include <glib.h>
#include <set>
#include <string>

struct ServerOptions {
    std::string address = "127.0.0.1";
    int port = 0;
    std::string upload_dir; // accepted surveys are stored here
    std::string data_dir;   // the data set served as the archive

    std::string app_version;      // default: this build's program version
    std::string app_download_url; // default: a page on this server
    std::string data_version;     // defaults: from the data set's data-file-info.txt
    std::string data_updated;

    // Switches for testing the program against a server that misbehaves.
    bool refuse_uploads = false;
    bool answer_200 = false;            // 200 instead of 201 on success
    std::set<std::string> omit_headers; // never sent
    std::string archive_type = "application/x-bzip2";
    bool truncate_archive = false; // only the first half
    int delay_ms = 0;              // before every answer of stall_on
    bool no_answer = false;        // requests of stall_on hang forever
    std::string stall_on = "all";  // all, upload, mac, data-files, archive
    bool trickle = false;          // answers of stall_on send their body a byte a second
    std::string redirect_upload;   // uploads answer 302 to here and store nothing
    int redirect_queries = 0;      // 302 hops before the version queries and the archive
    gint64 huge_answer = 0;        // body bytes of upload and version answers; 0: none
    std::string archive_with;      // a hostile member in the archive (ARCHIVE_KINDS)

    // HTTPS with this PEM certificate and key when both are given.
    std::string tls_cert, tls_key;

    // Parses argv; on a usage error prints it and returns false.
    bool parse(int argc, char** argv);
    // True when the delay and no-answer switches apply to this kind of request.
    bool stalls(const std::string& what) const { return stall_on == "all" || stall_on == what; }
};

// What --archive-with takes.
extern const std::set<std::string> ARCHIVE_KINDS;

// The value of "key=value" in a data-file-info.txt style text; empty when absent.
std::string info_value(const std::string& text, const std::string& key);
