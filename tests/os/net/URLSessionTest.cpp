#include "NetFixture.h"

#include "os/foundation/FileManager.h"
#include "os/net/HTTPCookieStorage.h"
#include "os/net/URLError.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace vx::test {
namespace {

using ns::Ref;

TEST_F(NetTest, ResponsesCarryTypeEncodingLengthAndTheDecodedBodyEvenOnAnErrorStatus) {
    server.on("/typed", Reply::text(200, "<p>hi</p>", "Text/HTML; Charset=\"GBK\""));
    server.on("/fail", Reply::text(500, "{\"z\":0}", "application/json"));
    server.on("/gz", Reply::gzipped(std::string(5000, 'v'), "text/plain"));
    server.on("/deflate", Reply::deflated("deflated body"));
    Reply chunked;
    chunked.contentType = "application/json";
    chunked.steps = {Step::send("{\"a\":"), Step::send("1}")};
    server.on("/chunked", chunked);

    auto typed = fetch("/typed").http();
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->mimeType(), "text/html");
    EXPECT_EQ(typed->textEncodingName(), "GBK");
    EXPECT_EQ(typed->expectedContentLength(), 9);
    EXPECT_EQ(typed->valueForHTTPHeaderField("content-type"), "Text/HTML; Charset=\"GBK\"");

    auto streamed = fetch("/chunked");
    EXPECT_EQ(streamed.body(), "{\"a\":1}");
    EXPECT_EQ(streamed.response->mimeType(), "application/json");
    EXPECT_EQ(streamed.response->textEncodingName(), std::nullopt);
    EXPECT_EQ(streamed.response->expectedContentLength(), -1);

    auto gz = fetch("/gz");
    EXPECT_EQ(gz.body(), std::string(5000, 'v'));
    EXPECT_EQ(gz.response->expectedContentLength(), -1); // the decoded size is not announced
    EXPECT_EQ(fetch("/deflate").body(), "deflated body");
    auto accepted = server.requests("/gz").at(0).header("Accept-Encoding");
    EXPECT_NE(accepted.find("gzip"), std::string::npos);
    EXPECT_NE(accepted.find("deflate"), std::string::npos);

    auto failed = fetch("/fail");
    EXPECT_EQ(failed.error, nullptr);
    EXPECT_EQ(failed.http()->statusCode(), 500);
    EXPECT_EQ(failed.body(), "{\"z\":0}");
}

TEST_F(NetTest, RedirectTurnsPostIntoGet) {
    server.on("/moved", Reply::redirect(301, "/new"));
    server.on("/old", Reply::redirect(302, "/new"));
    server.on("/see-other", Reply::redirect(303, "/new"));
    server.on("/temporary", Reply::redirect(307, "/new"));
    server.on("/new", [](const HttpTestServer::Request& r) { return Reply::text(200, "landed by " + r.method); });

    for (const char* path : {"/moved", "/old", "/see-other", "/temporary"}) {
        auto req = request(path);
        req->setHTTPMethod("POST");
        req->setHTTPBody(ns::Data::fromString("a=1"));
        auto r = fetch(makeSession(), req);
        EXPECT_EQ(r.body(), std::string(path) == "/temporary" ? "landed by POST" : "landed by GET") << path;
        EXPECT_EQ(r.response->url()->absoluteString(), server.url("/new"));
    }
    auto posted = server.requests("/old").at(0);
    EXPECT_EQ(posted.method, "POST");
    EXPECT_EQ(posted.body, "a=1");
    EXPECT_EQ(server.requests("/new").at(0).body, "");
    EXPECT_EQ(server.requests("/new").at(3).body, "a=1"); // a 307 sends the body again
}

TEST_F(NetTest, HeadersBodyAndConfigurationReachTheServer) {
    server.on("/echo", Reply::text(200, "ok"));
    auto configuration = ns::URLSessionConfiguration::defaultSessionConfiguration();
    configuration->setHTTPAdditionalHeaders({{"X-Client", "config"}, {"Accept-Language", "zh-Hans"}});
    auto req = request("/echo?q=1");
    req->setHTTPMethod("POST");
    req->setValue("request", "x-client");
    req->setValue("text/html", "Content-Type");
    req->setHTTPBody(ns::Data::fromString("payload"));
    fetch(makeSession(configuration), req);

    auto seen = server.requests("/echo").at(0);
    EXPECT_EQ(seen.query, "q=1");
    EXPECT_EQ(seen.header("X-Client"), "request"); // the request's own field wins
    EXPECT_EQ(seen.header("Accept-Language"), "zh-Hans");
    EXPECT_EQ(seen.header("Content-Type"), "text/html");
    EXPECT_EQ(seen.body, "payload");
    EXPECT_FALSE(seen.hasHeader("Expect"));
}

TEST_F(NetTest, IdleTimeOutFailsAStalledBodyButNotASlowSteadyOne) {
    Reply stalled;
    stalled.steps = {Step::send("start"), Step::stall()};
    server.on("/stall", stalled);
    Reply slow;
    for (int i = 0; i < 10; ++i) {
        slow.steps.push_back(Step::pause(0.1));
        slow.steps.push_back(Step::send("piece" + std::to_string(i)));
    }
    server.on("/slow", slow);

    auto req = request("/stall");
    req->setTimeoutInterval(0.3);
    auto r = fetch(makeSession(), req);
    EXPECT_EQ(r.errorCode(), ns::URLErrorTimedOut);
    EXPECT_EQ(r.error->domain(), ns::URLErrorDomain);
    EXPECT_EQ(r.data, nullptr);

    // About 1 s in total, never 0.5 s without a byte: an idle time-out, not a total one.
    auto slowReq = request("/slow");
    slowReq->setTimeoutInterval(0.5);
    auto ok = fetch(makeSession(), slowReq);
    EXPECT_EQ(ok.error, nullptr);
    EXPECT_EQ(ok.body().size(), 10 * 6u);

    // The configuration's time-out applies when the request sets none.
    auto configuration = ns::URLSessionConfiguration::defaultSessionConfiguration();
    configuration->setTimeoutIntervalForRequest(0.3);
    EXPECT_EQ(fetch(makeSession(configuration), request("/stall")).errorCode(), ns::URLErrorTimedOut);
}

TEST_F(NetTest, RefusedDroppedUnsupportedAndMissingURLsMapToTheirCodes) {
    EXPECT_EQ(fetch(makeSession(), ns::URLRequest::requestWithURL(ns::URL::fromString("ftp://127.0.0.1/x"))).errorCode(),
              ns::URLErrorUnsupportedURL);
    EXPECT_EQ(fetch(makeSession(), ns::URLRequest::requestWithURL(nullptr)).errorCode(), ns::URLErrorBadURL);
    // A bound socket that does not listen: connecting to it is refused.
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    auto url = ns::URL::fromString("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/");
    auto refused = fetch(makeSession(), ns::URLRequest::requestWithURL(url));
    ::close(fd);
    EXPECT_EQ(refused.errorCode(), ns::URLErrorCannotConnectToHost);
    EXPECT_EQ(refused.error->userInfo()[ns::URLErrorFailingURLStringKey].string(), url->absoluteString());

    Reply dropped;
    dropped.steps = {Step::send("half of it"), Step::drop()};
    dropped.contentLength = 100;
    server.on("/drop", dropped);
    auto lost = fetch("/drop");
    EXPECT_EQ(lost.errorCode(), ns::URLErrorNetworkConnectionLost);
    EXPECT_TRUE(lost.http()); // the response had arrived
}

TEST_F(NetTest, CookiesSetThroughOneSessionAreSentByAnother) {
    server.on("/login", Reply::text(200, "ok").header("Set-Cookie", "sid=abc123; Path=/"));
    server.on("/me", Reply::text(200, "me"));
    fetch(makeSession(), request("/login"));
    fetch(makeSession(), request("/me"));
    EXPECT_EQ(server.requests("/me").at(0).header("Cookie"), "sid=abc123");

    auto cookies = ns::HTTPCookieStorage::shared()->cookiesForURL(ns::URL::fromString(server.url("/me")));
    ASSERT_EQ(cookies.size(), 1u);
    EXPECT_EQ(cookies[0]->name(), "sid");
    EXPECT_EQ(cookies[0]->value(), "abc123");
    EXPECT_TRUE(cookies[0]->isSessionOnly());
    EXPECT_TRUE(ns::HTTPCookieStorage::shared()->cookiesForURL(ns::URL::fromString("http://example.com/")).empty());

    // Without cookie handling nothing is sent; a session without storage sends nothing either.
    auto plain = request("/me");
    plain->setHTTPShouldHandleCookies(false);
    fetch(makeSession(), plain);
    auto configuration = ns::URLSessionConfiguration::defaultSessionConfiguration();
    configuration->setHTTPCookieStorage(nullptr);
    fetch(makeSession(configuration), request("/me"));
    EXPECT_FALSE(server.requests("/me").at(1).hasHeader("Cookie"));
    EXPECT_FALSE(server.requests("/me").at(2).hasHeader("Cookie"));

    ns::HTTPCookieStorage::shared()->deleteAllCookies();
    EXPECT_TRUE(ns::HTTPCookieStorage::shared()->cookies().empty());
}

TEST_F(NetTest, PersistentCookiesSurviveARestartOwnerOnly) {
    server.on("/set", Reply::text(200, "ok")
                          .header("Set-Cookie", "keep=1; Max-Age=3600; Path=/")
                          .header("Set-Cookie", "session=2; Path=/"));
    fetch("/set");
    auto path = ns::HTTPCookieStorage::storagePath();
    auto attributes = ns::FileManager::defaultManager().attributes(path);
    ASSERT_TRUE(attributes);
    EXPECT_EQ(attributes->permissions, 0600u);

    restart();
    auto names = [] {
        std::vector<std::string> out;
        for (auto& c : ns::HTTPCookieStorage::shared()->cookies()) out.push_back(c->name());
        return out;
    };
    EXPECT_EQ(names(), std::vector<std::string>{"keep"});
    server.on("/me", Reply::text(200, "me"));
    fetch("/me");
    EXPECT_EQ(server.requests("/me").at(0).header("Cookie"), "keep=1");
}

TEST_F(NetTest, CancelMidBodyCompletesOnceWithCancelledAndNoData) {
    int gate = server.newGate();
    Reply gated;
    gated.steps = {Step::send("first part"), Step::wait(gate), Step::send("second part")};
    server.on("/gated", gated);
    server.on("/after", Reply::text(200, "after"));

    // A delegate-driven task: data arrives piece by piece on the delegate queue.
    struct Recorder : ns::URLSessionDelegate {
        std::vector<std::string> events;
        void didReceiveResponse(const Ref<ns::URLSession>&, const Ref<ns::URLSessionDataTask>&,
                                const Ref<ns::URLResponse>&) override {
            events.push_back("response");
        }
        void didReceiveData(const Ref<ns::URLSession>&, const Ref<ns::URLSessionDataTask>& task, const ns::DataRef& d) override {
            events.push_back("data:" + d->toString());
            task->cancel();
        }
        void didCompleteWithError(const Ref<ns::URLSession>&, const Ref<ns::URLSessionTask>&, const Ref<ns::Error>& e) override {
            events.push_back("complete:" + std::to_string(e ? e->code() : 0));
        }
    };
    auto recorder = std::make_shared<Recorder>();
    auto session = ns::URLSession::sessionWithConfiguration(nullptr, recorder, ns::OperationQueue::mainQueue());
    auto task = session->dataTask(request("/gated"));
    EXPECT_EQ(task->state(), ns::URLSessionTask::State::Suspended);
    task->resume();
    EXPECT_EQ(task->state(), ns::URLSessionTask::State::Running);
    ASSERT_TRUE(runMainUntil([&] { return recorder->events.size() >= 3; }));
    server.open(gate);
    // Another load through the same queue as a barrier: anything late would come before it.
    EXPECT_EQ(fetch("/after").body(), "after");
    drainMain();

    EXPECT_EQ(recorder->events, (std::vector<std::string>{"response", "data:first part", "complete:-999"}));
    EXPECT_EQ(task->state(), ns::URLSessionTask::State::Completed);
    EXPECT_EQ(task->error()->code(), ns::URLErrorCancelled);
    task->cancel(); // nothing more
    drainMain();
    EXPECT_EQ(recorder->events.size(), 3u);

    // Through a completion handler: called once, with the error and none of the data.
    int gate2 = server.newGate();
    gated.steps = {Step::send("first"), Step::wait(gate2), Step::send("rest")};
    server.on("/gated2", gated);
    auto result = std::make_shared<FetchResult>();
    auto plain = makeSession();
    auto handled = start(plain, request("/gated2"), result);
    ASSERT_TRUE(runMainUntil([&] { return handled->countOfBytesReceived() > 0; }));
    handled->cancel();
    server.open(gate2);
    ASSERT_TRUE(runMainUntil([&] { return result->calls > 0; }));
    EXPECT_EQ(fetch(plain, request("/gated2")).body(), "firstrest"); // the session goes on
    EXPECT_EQ(result->calls, 1);
    EXPECT_EQ(result->data, nullptr);
    EXPECT_EQ(result->errorCode(), ns::URLErrorCancelled);
}

TEST_F(NetTest, UploadProgressAndInvalidation) {
    server.on("/upload", Reply::text(200, "stored"));
    struct Recorder : ns::URLSessionDelegate {
        int64_t lastTotal = 0, expected = 0;
        bool invalid = false;
        void didSendBodyData(const Ref<ns::URLSession>&, const Ref<ns::URLSessionTask>&, int64_t, int64_t total,
                             int64_t expectedTotal) override {
            lastTotal = total;
            expected = expectedTotal;
        }
        void didBecomeInvalidWithError(const Ref<ns::URLSession>&, const Ref<ns::Error>&) override { invalid = true; }
    };
    auto recorder = std::make_shared<Recorder>();
    auto session = ns::URLSession::sessionWithConfiguration(nullptr, recorder, ns::OperationQueue::mainQueue());
    auto req = request("/upload");
    req->setHTTPMethod("POST");
    req->setValue("application/octet-stream", "Content-Type");
    req->setHTTPBody(ns::Data::make(std::vector<uint8_t>(300000, 7)));
    auto r = fetch(session, req);
    EXPECT_EQ(r.body(), "stored");
    EXPECT_EQ(recorder->lastTotal, 300000);
    EXPECT_EQ(recorder->expected, 300000);
    EXPECT_EQ(server.requests("/upload").at(0).body.size(), 300000u);

    Reply stalled;
    stalled.steps = {Step::stall()};
    server.on("/stall", stalled);
    auto pending = std::make_shared<FetchResult>();
    start(session, request("/stall"), pending);
    session->invalidateAndCancel();
    ASSERT_TRUE(runMainUntil([&] { return recorder->invalid; }));
    EXPECT_EQ(pending->calls, 1);
    EXPECT_EQ(pending->errorCode(), ns::URLErrorCancelled);
    EXPECT_EQ(session->delegate(), nullptr);
}

} // namespace
} // namespace vx::test
