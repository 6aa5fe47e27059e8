// The exchanges with the server, against our reference server on 127.0.0.1:
// each ends within its limit and says which, and Cancel ends it at once.
#include "net/net-session.h"
#include "reference-server.h"

#include <csignal>
#include <glib.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>

namespace {

const std::string SURVEY = std::string(TAVRO_FIXTURES) + "/surveys/legacy-0.2.TAVRO-Survey";

struct Limits : NetLimits {
    Limits() { net_limits().query_seconds = net_limits().upload_seconds = 1; }
    ~Limits() { net_limits() = NetLimits(); }
};

TEST(NetSession, EachExchangeEndsWithinItsLimitsSayingWhich) {
    Limits limits;
    TempDir d;
    const std::string archive = d.path() + "/archive.tar.bz2";
    const struct {
        std::vector<std::string> args;
        char call;           // q: query, u: upload, d: download
        const char* failure; // empty: answered
    } cases[] = {
        {{"--no-answer", "--stall-on", "upload"}, 'u', "no answer within 1 s"},
        {{"--delay-ms", "3000", "--stall-on", "mac"}, 'q', "no answer within 1 s"},
        {{"down"}, 'q', "connection refused"},
        // Counted from the start, not from the last byte.
        {{"--trickle", "--stall-on", "upload"}, 'u', "no answer within 1 s"},
        {{"--huge-answer", "5000000"}, 'u', "the answer passed its limit of 64 KB"},
        {{"--redirect-queries", "3"}, 'q', ""},
        {{"--redirect-queries", "4"}, 'q', "more than 3 redirects"},
        {{"tiny"}, 'd', "the archive passed its limit of 1 KB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.call) + (c.args.empty() ? "" : " " + c.args[0]));
        const bool special = !c.args.empty() && (c.args[0] == "down" || c.args[0] == "tiny");
        std::unique_ptr<Server> server(new Server(special ? std::vector<std::string>{} : c.args));
        const std::string base = server->base;
        if (c.args == std::vector<std::string>{"down"}) server.reset();
        net_limits().archive_bytes = c.args == std::vector<std::string>{"tiny"} ? 1024 : 100 << 20;
        NetSession session;
        const gint64 start = g_get_monotonic_time();
        const NetAnswer answer =
            c.call == 'u' ? session.upload(base + "/dataentry/upload-survey.php", "a.TAVRO-Survey",
                                           read_text_file(SURVEY))
            : c.call == 'q'
                ? session.query(base + "/offline-data-entry/?get-version=mac")
                : session.download(base + "/offline-data-entry/current-offline-data.tar.bz2",
                                   archive);
        EXPECT_LT(g_get_monotonic_time() - start, 5 * G_USEC_PER_SEC); // not 64 s of trickle
        EXPECT_EQ(answer.failure, c.failure);
        EXPECT_EQ(answer.answered, !*c.failure);
        if (c.call == 'd') {
            EXPECT_FALSE(g_file_test(archive.c_str(), G_FILE_TEST_EXISTS));
        }
    }
}

// The upload follows no redirect: the answer says where it pointed. Over
// HTTPS, the test authority's certificate is taken and a self-signed one not.
TEST(NetSession, NoRedirectOnUploadAndOnlyTrustedCertificates) {
    Server redirecting({"--redirect-upload", "http://127.0.0.2:9/elsewhere"});
    NetSession session;
    const NetAnswer moved = session.upload(redirecting.base + "/dataentry/upload-survey.php",
                                           "a.TAVRO-Survey", read_text_file(SURVEY));
    EXPECT_EQ(moved.status, 302u);
    EXPECT_EQ(moved.location, "http://127.0.0.2:9/elsewhere");
    const std::string tls = std::string(TAVRO_FIXTURES) + "/tls/";
    ScopedEnv ca("TAVRO_TEST_CA_FILE", tls + "ca.pem");
    for (const char* certificate : {"server", "self-signed"}) {
        Server https({"--tls-cert", tls + certificate + ".pem", "--tls-key",
                      tls + certificate + "-key.pem"});
        testing::internal::CaptureStderr();
        NetSession trusting;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("ca.pem"), std::string::npos);
        const NetAnswer answer =
            trusting.query(https.base + "/offline-data-entry/?get-version=mac");
        EXPECT_EQ(answer.failure,
                  std::string(certificate) == "server" ? "" : "its certificate is not trusted");
    }
}

// A server that sends headers without end: the session gives up on it
// (libsoup caps a header block) instead of holding them all.
TEST(NetSession, EndlessHeadersAreCutOff) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), size), 0);
    ASSERT_EQ(listen(listener, 1) | getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size),
              0);
    std::thread server([listener] {
        const int c = accept(listener, nullptr, nullptr);
        const std::string start = "HTTP/1.1 200 OK\r\n",
                          line = "X-Pad: " + std::string(1000, 'a') + "\r\n";
        signal(SIGPIPE, SIG_IGN);
        if (write(c, start.data(), start.size()) == ssize_t(start.size()))
            for (int i = 0; i < 100000 && write(c, line.data(), line.size()) > 0; ++i) {
            }
        close(c);
    });
    NetSession session;
    const NetAnswer answer =
        session.query("http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/x");
    server.join();
    close(listener);
    EXPECT_FALSE(answer.answered);
    EXPECT_EQ(answer.failure, "the connection was cut off");
}

// The disk fills while the archive comes: a failed download, no file left.
TEST(NetSession, ArchiveThatFillsTheDiskFailsTheDownload) {
    Server server;
    TempDir d;
    const std::string archive = d.path() + "/archive.tar.bz2";
    struct rlimit was, full;
    getrlimit(RLIMIT_FSIZE, &was);
    full = was;
    full.rlim_cur = 4096;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &full);
    NetSession session;
    const NetAnswer answer =
        session.download(server.base + "/offline-data-entry/current-offline-data.tar.bz2", archive);
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_FALSE(answer.answered);
    EXPECT_EQ(answer.failure, "can't write the archive: File too large");
    EXPECT_FALSE(g_file_test(archive.c_str(), G_FILE_TEST_EXISTS));
}

// Cancel from the main loop (a click) ends a request the server never answers
// within a second, and every request after it at once.
TEST(NetSession, CancelEndsTheExchangeAndTheOnesAfter) {
    Server server({"--no-answer"});
    NetSession session;
    static gint64 cancelled_at = 0;
    g_timeout_add(
        200,
        [](gpointer s) {
            cancelled_at = g_get_monotonic_time();
            static_cast<NetSession*>(s)->cancel();
            return gboolean(G_SOURCE_REMOVE);
        },
        &session);
    NetAnswer answer = session.query(server.base + "/offline-data-entry/?get-version=mac");
    EXPECT_LT(g_get_monotonic_time() - cancelled_at, G_USEC_PER_SEC);
    EXPECT_TRUE(answer.cancelled);
    EXPECT_EQ(answer.failure, "cancelled");
    answer = session.query(server.base + "/offline-data-entry/?get-version=data-files");
    EXPECT_EQ(answer.failure, "cancelled");
}

} // namespace
