// The reference server as the program meets it: started on port 0 as a child
// process, spoken to over 127.0.0.1 only.
#include "reference-server.h"
#include "temp-dir.h"

#include <cstdio>
#include <glibmm/fileutils.h>
#include <libsoup/soup.h>
#include <map>
#include <signal.h>
#include <sys/wait.h>
#include <vector>

namespace {
const std::string SURVEY = std::string(TAVRO_FIXTURES) + "/surveys/legacy-0.2.TAVRO-Survey";

struct Reply {
    guint status = 0;
    std::string body;
    std::map<std::string, std::string> headers;
};

Reply exchange(SoupMessage* msg, int timeout = 20) {
    SoupSession* session = soup_session_new_with_options(SOUP_SESSION_TIMEOUT, timeout, nullptr);
    Reply r;
    r.status = soup_session_send_message(session, msg);
    r.body.assign(msg->response_body->data, msg->response_body->length);
    soup_message_headers_foreach(
        msg->response_headers,
        [](const char* name, const char* value, gpointer data) {
            (*static_cast<std::map<std::string, std::string>*>(data))[name] = value;
        },
        &r.headers);
    g_object_unref(msg);
    g_object_unref(session);
    return r;
}

Reply get(const std::string& url, int timeout = 20) {
    return exchange(soup_message_new("GET", url.c_str()), timeout);
}

Reply upload(const Server& server, const std::string& contents) {
    SoupMultipart* body = soup_multipart_new(SOUP_FORM_MIME_TYPE_MULTIPART);
    SoupBuffer* file = soup_buffer_new(SOUP_MEMORY_COPY, contents.data(), contents.size());
    soup_multipart_append_form_file(body, "survey-file", "a.TAVRO-Survey", "application/xml", file);
    SoupMessage* msg = soup_form_request_new_from_multipart(
        (server.base + "/dataentry/upload-survey.php").c_str(), body);
    soup_buffer_free(file);
    soup_multipart_free(body);
    return exchange(msg);
}

// tar's listing of an archive, and whether tar could read all of it.
bool tar_list(const TempDir& dir, const std::string& bytes, std::string& listing) {
    std::string path = dir.write("archive.tar.bz2", bytes);
    FILE* p = popen(("tar tjf '" + path + "' 2>&1").c_str(), "r");
    char block[1024];
    for (size_t n; (n = fread(block, 1, sizeof block, p)) > 0;)
        listing.append(block, n);
    return pclose(p) == 0;
}
} // namespace

TEST(ReferenceServer, StoresSurveysAndRefusesOtherFiles) {
    Server server;
    ASSERT_FALSE(server.base.empty());
    std::string survey = read_text_file(SURVEY);
    Reply ok = upload(server, survey);
    EXPECT_EQ(201u, ok.status);
    EXPECT_TRUE(ok.headers.count("X-Survey-Upload-Successful"));
    ASSERT_EQ(1u, server.stored().size());
    EXPECT_EQ(survey, read_text_file(server.stored()[0]));

    // Not XML, XML of another kind, and a survey root without its survey.
    for (const char* text : {"member_id,12345\n", "<html><survey/></html>", "<TAVRO-Survey/>"}) {
        Reply bad = upload(server, text);
        EXPECT_NE(201u, bad.status) << text;
        EXPECT_NE("", bad.headers["X-Survey-Upload-Error"]) << text;
        EXPECT_FALSE(bad.headers.count("X-Survey-Upload-Successful")) << text;
    }
    EXPECT_EQ(1u, server.stored().size());
    // The same file twice is two uploads: nothing is overwritten.
    EXPECT_EQ(201u, upload(server, survey).status);
    EXPECT_EQ(2u, server.stored().size());
}

TEST(ReferenceServer, AnswersVersionQueriesAndServesTheDataArchive) {
    Server server({"--app-version", "7.1.2", "--data-version", "2030-01-01 00:00:00"});
    ASSERT_FALSE(server.base.empty());
    Reply app = get(server.base + "/offline-data-entry/?get-version=mac");
    EXPECT_EQ(200u, app.status);
    EXPECT_EQ("7.1.2", app.headers["X-Current-App-Version-Is"]);
    EXPECT_TRUE(app.headers.count("X-Download-App-From"));

    Reply data = get(server.base + "/offline-data-entry/?get-version=data-files");
    EXPECT_EQ(200u, data.status);
    EXPECT_EQ("2030-01-01 00:00:00", data.headers["X-Current-Data-Version-Is"]);
    EXPECT_NE("", data.headers["X-Data-Last-Updated-Is"]);
    Reply archive = get(data.headers["X-Download-Data-Files-From"]);
    EXPECT_EQ(200u, archive.status);
    EXPECT_EQ("application/x-bzip2", archive.headers["Content-Type"]);
    std::string listing;
    EXPECT_TRUE(tar_list(server.dir, archive.body, listing)) << listing;
    EXPECT_NE(std::string::npos, listing.find("data-files/data-file-info.txt\n")) << listing;
}
