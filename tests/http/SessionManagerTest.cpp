#include "http/HTTP.h"
#include "http/SDPHTTPSessionManager.h"
#include "http/SDPJSONResponseSerializer.h"
#include "os/net/URLError.h"
#include "tests/support/Environment.h"
#include "tests/support/HttpTestServer.h"

#include <gtest/gtest.h>

using vx::test::HttpTestServer;

namespace {

class SessionManagerTest : public vx::test::SandboxTest {
protected:
    HttpTestServer server;

    struct Outcome {
        bool done = false;
        ns::Value object;
        ns::Ref<ns::Error> error;
        bool onMain = false;
    };

    Outcome post(const ns::Ref<SDPHTTPSessionManager>& manager, const std::string& path, const ns::Value& parameters,
                 bool get = false) {
        Outcome out;
        (manager.get()->*(get ? &SDPHTTPSessionManager::GET : &SDPHTTPSessionManager::POST))(
            path, parameters, nullptr,
            [&](const auto&, const ns::Value& object) {
                out.object = object;
                out.onMain = ns::RunLoop::isMainThread();
                out.done = true;
            },
            [&](const auto&, const ns::Ref<ns::Error>& error) {
                out.error = error;
                out.onMain = ns::RunLoop::isMainThread();
                out.done = true;
            });
        EXPECT_TRUE(runMainUntil([&] { return out.done; }));
        return out;
    }
    // A plain data task through a manager with the given response serializer.
    Outcome task(const ns::Ref<SDPHTTPResponseSerializer>& serializer, const std::string& path) {
        auto manager = SDPURLSessionManager::create();
        manager->setResponseSerializer(serializer);
        Outcome out;
        manager
            ->dataTaskWithRequest(ns::URLRequest::requestWithURL(ns::URL::fromString(server.url(path))), nullptr, nullptr,
                                  [&](const auto&, const ns::Value& o, const ns::Ref<ns::Error>& e) {
                                      out.object = o, out.error = e, out.done = true;
                                  })
            ->resume();
        EXPECT_TRUE(runMainUntil([&] { return out.done; }));
        return out;
    }
};

} // namespace

TEST_F(SessionManagerTest, PostFormEncodesTheBodyAndParsesJSONOnTheMainQueue) {
    server.on("/api/login", HttpTestServer::Reply::text(200, R"({"a":1,"b":"ok"})", "application/json"));
    auto manager = SDPHTTPSessionManager::create(ns::URL::fromString(server.url("/api")));
    ns::Dictionary params{{"sj", "138 0000"}, {"page", 2}};
    auto out = post(manager, "login", params);
    ASSERT_FALSE(out.error) << out.error->description();
    EXPECT_TRUE(out.onMain);
    EXPECT_EQ(out.object["b"].description(), "ok");
    auto requests = server.requests("/api/login");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].body, "sj=138%200000&page=2");
}

TEST_F(SessionManagerTest, GetPutsParametersIntoTheQuery) {
    server.on("/list", HttpTestServer::Reply::text(200, "[1,2]", "text/json"));
    auto out = post(SDPHTTPSessionManager::create(nullptr), server.url("/list"), ns::Dictionary{{"p", 1}}, true);
    EXPECT_EQ(out.object.count(), 2u);
    EXPECT_EQ(server.requests("/list").at(0).query, "p=1");
    EXPECT_TRUE(server.requests("/list").at(0).body.empty());
}

TEST_F(SessionManagerTest, ValidationFailuresGoToFailure) {
    server.on("/html", HttpTestServer::Reply::text(200, R"({"a":1})", "text/html"));
    server.on("/garbage", HttpTestServer::Reply::text(200, "not json", "application/json"));
    auto manager = SDPHTTPSessionManager::create(nullptr);

    auto html = post(manager, server.url("/html"), {});
    ASSERT_TRUE(html.error);
    EXPECT_EQ(html.error->code(), ns::URLErrorCannotDecodeContentData);

    auto garbage = post(manager, server.url("/garbage"), {});
    ASSERT_TRUE(garbage.error);
    EXPECT_TRUE(garbage.object.isNil());

    // Adding "text/html" to the JSON serializer's types accepts the same reply.
    auto json = SDPJSONResponseSerializer::serializer();
    auto types = *json->acceptableContentTypes();
    types.insert("text/html");
    json->setAcceptableContentTypes(types);
    manager->setResponseSerializer(json);
    auto accepted = post(manager, server.url("/html"), {});
    EXPECT_FALSE(accepted.error);
    EXPECT_EQ(accepted.object["a"].intValue(), 1);
}

TEST_F(SessionManagerTest, EmptyOrBlankJSONBodiesAreErrors) {
    server.on("/empty", HttpTestServer::Reply::text(200, "", "application/json"));
    server.on("/space", HttpTestServer::Reply::text(200, " ", "application/json"));
    server.on("/blank", HttpTestServer::Reply::text(200, " \r\n\t", "application/json"));
    auto manager = SDPHTTPSessionManager::create(nullptr);
    for (const char* path : {"/empty", "/space", "/blank"}) {
        auto out = post(manager, server.url(path), {});
        ASSERT_TRUE(out.error) << path;
        EXPECT_EQ(out.error->domain(), ns::CocoaErrorDomain) << path;
        EXPECT_TRUE(out.object.isNil()) << path;
    }
}

TEST_F(SessionManagerTest, PlainSerializerValidatesEmptyBodiesAndHandsAnInvalidBodyBack) {
    server.on("/html", HttpTestServer::Reply::text(200, "", "text/html"));
    server.on("/503", HttpTestServer::Reply::text(503, "", "text/plain"));
    server.on("/raw", HttpTestServer::Reply::text(500, "body bytes", "text/plain"));
    auto plain = SDPHTTPResponseSerializer::serializer();
    plain->setAcceptableContentTypes(std::set<std::string>{"text/plain"});
    auto html = task(plain, "/html");
    ASSERT_TRUE(html.error);
    EXPECT_EQ(html.error->code(), ns::URLErrorCannotDecodeContentData);
    auto status = task(plain, "/503");
    ASSERT_TRUE(status.error);
    EXPECT_EQ(status.error->code(), ns::URLErrorBadServerResponse);

    auto raw = task(SDPHTTPResponseSerializer::serializer(), "/raw");
    ASSERT_TRUE(raw.object.data());
    EXPECT_EQ(raw.object.data()->toString(), "body bytes");
    ASSERT_TRUE(raw.error);
    EXPECT_EQ(raw.error->code(), ns::URLErrorBadServerResponse);
}

TEST_F(SessionManagerTest, TransportFailureGivesNilObjectAndTheSystemError) {
    int port;
    {
        HttpTestServer gone;
        port = gone.port();
    }
    auto manager = SDPHTTPSessionManager::create(nullptr);
    auto out = post(manager, "http://127.0.0.1:" + std::to_string(port) + "/x", {});
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->domain(), ns::URLErrorDomain);
    EXPECT_EQ(out.error->code(), ns::URLErrorCannotConnectToHost);
    EXPECT_TRUE(out.object.isNil());
}

TEST(HTTPCategory, SetObjectForFieldStoresEmptyTextForNil) {
    ns::Dictionary d;
    HTTP::setObjectForField(d, ns::Value(), "k");
    HTTP::setObjectForField(d, 5, "n");
    EXPECT_EQ(d["k"], ns::Value(""));
    EXPECT_EQ(d["n"].intValue(), 5);
}
