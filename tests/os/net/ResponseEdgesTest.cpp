// What the caller is told at the edges of a response: every redirect status hands over the final
// response alone, and an announced empty body is a known length of zero.
#include "NetFixture.h"

#include "os/net/URLError.h"

namespace vx::test {
namespace {

TEST_F(NetTest, EveryRedirectStatusHandsOverOnlyTheFinalResponse) {
    server.on("/new", Reply::text(200, "landed").header("X-Final", "yes"));
    for (int status : {300, 301, 302, 303, 307, 308}) {
        std::string path = "/r" + std::to_string(status);
        server.on(path, Reply::redirect(status, "/new").header("X-Hop", "1"));
        auto r = fetch(path);
        ASSERT_TRUE(r.http()) << status;
        EXPECT_EQ(r.http()->statusCode(), 200) << status;
        EXPECT_EQ(r.body(), "landed") << status;
        EXPECT_EQ(r.response->url()->absoluteString(), server.url("/new")) << status;
        EXPECT_EQ(r.http()->valueForHTTPHeaderField("X-Final"), "yes") << status;
        EXPECT_FALSE(r.http()->valueForHTTPHeaderField("X-Hop")) << status;
        EXPECT_FALSE(r.http()->valueForHTTPHeaderField("Location")) << status;
    }
}

// Redirects are followed hop by hop: relative places resolve against the hop, chains end at 16
// redirects, other schemes are refused, and a 3xx with nowhere to go is itself the answer.
TEST_F(NetTest, RedirectChainsResolveEndAndRefuseAsTheyShould) {
    server.on("/rel", Reply::redirect(302, "a/c2?y=2"));
    server.on("/a/c2", [](const HttpTestServer::Request& r) { return Reply::text(200, "at c2 " + r.query); });
    auto relative = fetch("/rel");
    EXPECT_EQ(relative.body(), "at c2 y=2");

    server.on("/hop", [this](const HttpTestServer::Request& r) {
        int left = std::stoi(r.query);
        if (left == 0) return Reply::text(200, "end");
        return Reply::redirect(307, server.url("/hop?" + std::to_string(left - 1)));
    });
    auto sixteen = fetch("/hop?16");
    EXPECT_EQ(sixteen.errorCode(), 0);
    EXPECT_EQ(sixteen.body(), "end");
    EXPECT_EQ(sixteen.response->url()->absoluteString(), server.url("/hop?0"));
    auto seventeen = fetch("/hop?17");
    EXPECT_EQ(seventeen.errorCode(), ns::URLErrorHTTPTooManyRedirects);
    EXPECT_EQ(server.requestCount("/hop"), 17u + 17u); // the refused chain asked 17 times, never an 18th

    server.on("/ftp", Reply::redirect(302, "ftp://127.0.0.1/file"));
    EXPECT_EQ(fetch("/ftp").errorCode(), ns::URLErrorUnsupportedURL);

    // Without a Location (or an empty one) the 3xx reply is the answer, body and fields included.
    for (const char* location : std::vector<const char*>{"", nullptr}) {
        Reply nowhere = Reply::text(302, "stays here").header("X-Why", "no place");
        if (location) nowhere.header("Location", location);
        server.on("/nowhere", nowhere);
        auto r = fetch("/nowhere");
        ASSERT_TRUE(r.http());
        EXPECT_EQ(r.errorCode(), 0);
        EXPECT_EQ(r.http()->statusCode(), 302);
        EXPECT_EQ(r.body(), "stays here");
        EXPECT_EQ(r.http()->valueForHTTPHeaderField("X-Why"), "no place");
        EXPECT_EQ(r.response->url()->absoluteString(), server.url("/nowhere"));
    }
    EXPECT_EQ(server.requestCount("/nowhere"), 2u);
}

// Credentials and hand-written Authorization or Cookie fields go to the origin they were meant for,
// never on to another host a redirect names.
TEST_F(NetTest, RedirectsToAnotherOriginLeaveAuthorizationBehind) {
    const std::string otherHost = "http://shop.localhost:" + std::to_string(server.port());
    server.on("/same", Reply::redirect(302, "/echo"));
    server.on("/away", Reply::redirect(302, otherHost + "/echo"));
    server.on("/echo", Reply::text(200, "ok"));
    for (const char* path : {"/same", "/away"}) {
        auto req = request(path);
        req->setValue("Bearer t0ken", "Authorization");
        req->setValue("manual=1", "Cookie");
        req->setValue("kept", "X-Other");
        EXPECT_EQ(fetch(makeSession(), req).body(), "ok");
    }
    auto same = server.requests("/echo").at(0), away = server.requests("/echo").at(1);
    EXPECT_EQ(same.header("Authorization"), "Bearer t0ken");
    EXPECT_EQ(same.header("Cookie"), "manual=1");
    EXPECT_FALSE(away.hasHeader("Authorization"));
    EXPECT_FALSE(away.hasHeader("Cookie"));
    EXPECT_EQ(away.header("X-Other"), "kept");
    EXPECT_EQ(server.requests("/away").at(0).header("Authorization"), "Bearer t0ken");
}

TEST_F(NetTest, AnAnnouncedEmptyBodyHasLengthZeroAndAnUnannouncedOneIsUnknown) {
    server.on("/empty", Reply::text(200, ""));
    Reply streamed;
    streamed.steps = {Step::send("abc")};
    server.on("/streamed", streamed);
    server.on("/none", Reply::text(204, ""));

    auto empty = fetch("/empty");
    EXPECT_EQ(empty.response->expectedContentLength(), 0);
    EXPECT_EQ(empty.body(), "");
    EXPECT_EQ(fetch("/streamed").response->expectedContentLength(), -1);
    EXPECT_EQ(fetch("/none").http()->statusCode(), 204);

    // A file's length is its size, known before the first byte, zero included.
    for (const std::string& content : {std::string(), std::string("four")}) {
        std::string path = sandboxPath() + "/file" + std::to_string(content.size()) + ".txt";
        ASSERT_TRUE(ns::Data::fromString(content)->writeToFile(path, true));
        auto local = fetch(makeSession(), ns::URLRequest::requestWithURL(ns::URL::fileURLWithPath(path)));
        ASSERT_TRUE(local.response) << path;
        EXPECT_EQ(local.response->expectedContentLength(), static_cast<int64_t>(content.size())) << path;
        EXPECT_EQ(local.response->mimeType(), "text/plain");
        EXPECT_EQ(local.body(), content);
    }
}

} // namespace
} // namespace vx::test
