// Which statuses a serializer accepts, and where request parameters travel for each method.
#include "http/SDPHTTPRequestSerializer.h"
#include "http/SDPHTTPResponseSerializer.h"
#include "http/SDPURLSessionManager.h"
#include "os/net/URLError.h"
#include "tests/support/Environment.h"
#include "tests/support/HttpTestServer.h"

#include <gtest/gtest.h>

using vx::test::HttpTestServer;

namespace {

class StatusAndParametersTest : public vx::test::SandboxTest {
protected:
    HttpTestServer server;

    // Runs the request through a manager with the plain serializer; the error code, 0 when none.
    long run(const ns::Ref<ns::URLRequest>& request) {
        auto manager = SDPURLSessionManager::create();
        manager->setResponseSerializer(SDPHTTPResponseSerializer::serializer());
        bool done = false;
        long code = 0;
        manager
            ->dataTaskWithRequest(request, nullptr, nullptr,
                                  [&](const auto&, const ns::Value&, const ns::Ref<ns::Error>& e) {
                                      code = e ? e->code() : 0;
                                      done = true;
                                  })
            ->resume();
        EXPECT_TRUE(runMainUntil([&] { return done; }));
        return code;
    }
};

} // namespace

TEST_F(StatusAndParametersTest, EveryTwoHundredStatusIsAcceptedAndNothingElse) {
    const std::pair<int, bool> statuses[] = {{200, true},  {201, true},  {204, true},  {206, true}, {299, true},
                                             {304, false}, {400, false}, {404, false}, {500, false}};
    for (const auto& [status, accepted] : statuses) {
        std::string path = "/s" + std::to_string(status);
        server.on(path, HttpTestServer::Reply::text(status, status == 204 || status == 304 ? "" : "body"));
        long code = run(ns::URLRequest::requestWithURL(ns::URL::fromString(server.url(path))));
        EXPECT_EQ(code, accepted ? 0L : static_cast<long>(ns::URLErrorBadServerResponse)) << status;
    }
}

TEST_F(StatusAndParametersTest, ParametersGoToTheQueryForGetHeadAndDeleteAndToTheBodyOtherwise) {
    struct Case {
        const char *method, *pathAndQuery;
        std::string query, body;
    };
    const Case cases[] = {
        {"GET", "/p", "a=1&b=x%20y", ""},           {"GET", "/p?k=v", "k=v&a=1&b=x%20y", ""},
        {"HEAD", "/p", "a=1&b=x%20y", ""},          {"DELETE", "/p", "a=1&b=x%20y", ""},
        {"DELETE", "/p?k=v", "k=v&a=1&b=x%20y", ""}, {"POST", "/p?k=v", "k=v", "a=1&b=x%20y"},
        {"PUT", "/p", "", "a=1&b=x%20y"},
    };
    server.on("/p", HttpTestServer::Reply::text(200, "ok"));
    auto serializer = SDPHTTPRequestSerializer::serializer();
    size_t seen = 0;
    for (const auto& c : cases) {
        auto request = serializer->requestWithMethod(c.method, server.url(c.pathAndQuery), ns::Dictionary{{"a", 1}, {"b", "x y"}}, nullptr);
        ASSERT_TRUE(request) << c.method;
        EXPECT_EQ(run(request), 0) << c.method << " " << c.pathAndQuery;
        auto received = server.requests("/p");
        ASSERT_EQ(received.size(), ++seen);
        EXPECT_EQ(received.back().method, c.method);
        EXPECT_EQ(received.back().query, c.query) << c.method << " " << c.pathAndQuery;
        EXPECT_EQ(received.back().body, c.body) << c.method << " " << c.pathAndQuery;
    }
}
