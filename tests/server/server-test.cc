// The reference server as the program meets it: started on port 0 as a child
// process, spoken to over 127.0.0.1 only. What it stores and announces is met by
// the journeys, its redirects and its HTTPS by the program's own session in the
// unit tests; here, what it refuses.
#include "reference-server.h"
#include "temp-dir.h"

#include <libsoup/soup.h>
#include <map>

namespace {

struct Reply {
    guint status = 0;
    std::map<std::string, std::string> headers;
};

// Redirects are not followed, so that each answer can be seen.
Reply exchange(SoupMessage* msg) {
    SoupSession* session = soup_session_new_with_options(SOUP_SESSION_TIMEOUT, 20, nullptr);
    soup_message_set_flags(msg, SOUP_MESSAGE_NO_REDIRECT);
    Reply r;
    r.status = soup_session_send_message(session, msg);
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
} // namespace

TEST(ReferenceServer, RefusesOtherFiles) {
    Server server;
    ASSERT_FALSE(server.base.empty());
    // Not XML, XML of another kind, and a survey root without its survey.
    for (const char* text : {"member_id,12345\n", "<html><survey/></html>", "<TAVRO-Survey/>"}) {
        Reply bad = upload(server, text);
        EXPECT_NE(201u, bad.status) << text;
        EXPECT_NE("", bad.headers["X-Survey-Upload-Error"]) << text;
        EXPECT_FALSE(bad.headers.count("X-Survey-Upload-Successful")) << text;
    }
    EXPECT_TRUE(server.stored().empty()); // nothing refused is stored
}
