// The reference server as the program meets it: started on port 0 as a child
// process, spoken to over 127.0.0.1 only. Its redirects and its HTTPS are met
// by the program's own session in the unit tests.
#include "reference-server.h"
#include "temp-dir.h"

#include <libsoup/soup.h>
#include <map>

namespace {
const std::string SURVEY = std::string(TAVRO_FIXTURES) + "/surveys/legacy-0.2.TAVRO-Survey";

struct Reply {
    guint status = 0;
    std::map<std::string, std::string> headers;
    std::string body;
};

// Redirects are not followed, so that each answer can be seen.
Reply exchange(SoupMessage* msg) {
    SoupSession* session = soup_session_new_with_options(SOUP_SESSION_TIMEOUT, 20, nullptr);
    soup_message_set_flags(msg, SOUP_MESSAGE_NO_REDIRECT);
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

Reply get(const std::string& url) {
    return exchange(soup_message_new("GET", url.c_str()));
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

// The data version, the data archive and the current program version as
// the update check reads them are driven by the journeys; this is the
// announced program version.
TEST(ReferenceServer, AnnouncesTheProgramVersionItIsGiven) {
    Server server({"--app-version", "7.1.2"});
    Reply app = get(server.base + "/offline-data-entry/?get-version=mac");
    EXPECT_EQ("7.1.2", app.headers["X-Current-App-Version-Is"]);
    EXPECT_NE("", app.headers["X-Download-App-From"]);
}
