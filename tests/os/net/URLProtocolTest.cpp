#include "NetFixture.h"

#include "os/net/URLError.h"

#include <curl/curl.h>

#include <mutex>

namespace vx::test {
namespace {

using ns::Ref;

bool isScripted(const ns::URLRequest& r) { return r.url() && r.url()->host() == "scripted.test"; }

TEST_F(NetTest, RegisteredHandlerAnswersWithoutASocketUntilUnregistered) {
    auto id = ns::URLProtocolRegistry::registerHandler(isScripted, [](const Ref<ns::URLRequest>& r,
                                                                      const std::shared_ptr<ns::URLProtocolClient>& client) {
        if (r->url()->path() == "/offline")
            return client->didFailWithError(ns::Error::make(ns::URLErrorDomain, ns::URLErrorNotConnectedToInternet));
        client->didReceiveResponse(ns::HTTPURLResponse::create(r->url(), 201, {{"Content-Type", "text/plain"}}));
        client->didLoadData(ns::Data::fromString("scripted "));
        client->didLoadData(ns::Data::fromString("reply"));
        client->didFinishLoading();
        client->didLoadData(ns::Data::fromString("ignored after the end"));
    });
    auto scripted = [](const std::string& path) {
        return ns::URLRequest::requestWithURL(ns::URL::fromString("http://scripted.test" + path));
    };
    auto r = fetch(makeSession(), scripted("/a"));
    EXPECT_EQ(r.http()->statusCode(), 201);
    EXPECT_EQ(r.body(), "scripted reply");
    EXPECT_EQ(fetch(makeSession(), scripted("/offline")).errorCode(), ns::URLErrorNotConnectedToInternet);
    EXPECT_TRUE(server.requests().empty());

    // Requests the handler does not match still go to the network.
    server.on("/real", Reply::text(200, "real"));
    EXPECT_EQ(fetch("/real").body(), "real");
    ns::URLProtocolRegistry::unregisterHandler(id);
    EXPECT_EQ(ns::URLProtocolRegistry::responderFor(*scripted("/a")), nullptr);
}

TEST_F(NetTest, HandlerMayAnswerLaterAndSeesCancellation) {
    std::mutex m;
    std::shared_ptr<ns::URLProtocolClient> held;
    ns::URLProtocolRegistry::registerHandler(isScripted, [&](const Ref<ns::URLRequest>&,
                                                             const std::shared_ptr<ns::URLProtocolClient>& client) {
        std::lock_guard lock(m);
        held = client;
    });
    auto result = std::make_shared<FetchResult>();
    auto task = start(makeSession(), ns::URLRequest::requestWithURL(ns::URL::fromString("http://scripted.test/later")), result);
    ASSERT_TRUE(runMainUntil([&] {
        std::lock_guard lock(m);
        return held != nullptr;
    }));
    EXPECT_FALSE(held->isCancelled());
    task->cancel();
    EXPECT_TRUE(held->isCancelled());
    held->didFailWithError(ns::Error::make(ns::URLErrorDomain, ns::URLErrorTimedOut));
    ASSERT_TRUE(runMainUntil([&] { return result->calls > 0; }));
    drainMain();
    EXPECT_EQ(result->calls, 1);
    EXPECT_EQ(result->errorCode(), ns::URLErrorCancelled);
}

TEST(URLErrorMapping, CurlResultsMapOntoTheURLErrorDomain) {
    struct Case {
        CURLcode curl;
        bool networkUp;
        long code;
    };
    const Case cases[] = {
        {CURLE_OPERATION_TIMEDOUT, true, ns::URLErrorTimedOut},
        {CURLE_COULDNT_RESOLVE_HOST, true, ns::URLErrorCannotFindHost},
        {CURLE_COULDNT_RESOLVE_HOST, false, ns::URLErrorNotConnectedToInternet},
        {CURLE_COULDNT_CONNECT, true, ns::URLErrorCannotConnectToHost},
        {CURLE_COULDNT_CONNECT, false, ns::URLErrorNotConnectedToInternet},
        {CURLE_RECV_ERROR, true, ns::URLErrorNetworkConnectionLost},
        {CURLE_SEND_ERROR, true, ns::URLErrorNetworkConnectionLost},
        {CURLE_GOT_NOTHING, true, ns::URLErrorNetworkConnectionLost},
        {CURLE_PARTIAL_FILE, true, ns::URLErrorNetworkConnectionLost},
        {CURLE_PEER_FAILED_VERIFICATION, true, ns::URLErrorServerCertificateUntrusted},
        {CURLE_SSL_CONNECT_ERROR, true, ns::URLErrorSecureConnectionFailed},
        {CURLE_TOO_MANY_REDIRECTS, true, ns::URLErrorHTTPTooManyRedirects},
        {CURLE_URL_MALFORMAT, true, ns::URLErrorBadURL},
        {CURLE_UNSUPPORTED_PROTOCOL, true, ns::URLErrorUnsupportedURL},
        {CURLE_OUT_OF_MEMORY, true, ns::URLErrorUnknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ns::URLErrorCodeForCurlCode(c.curl, c.networkUp), c.code) << c.curl << " up=" << c.networkUp;
    EXPECT_EQ(ns::URLErrorCodeForCurlCode(CURLE_COULDNT_CONNECT, false, true), ns::URLErrorCannotConnectToHost);
}

} // namespace
} // namespace vx::test
