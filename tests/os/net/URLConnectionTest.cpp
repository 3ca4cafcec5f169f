#include "NetFixture.h"

#include "os/foundation/Sandbox.h"
#include "os/foundation/Thread.h"
#include "os/net/URLCache.h"
#include "os/net/URLConnection.h"
#include "os/net/URLError.h"

#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

namespace vx::test {
namespace {

using ns::Ref;

// Records every callback with the name of the thread it ran on.
class Recorder : public ns::URLConnectionDelegate {
public:
    std::function<void(const Ref<ns::URLAuthenticationChallenge>&)> onChallenge;
    std::function<void(const Ref<ns::URLConnection>&)> onResponse;
    bool recordCacheQuestion = false;
    bool declineCaching = false;

    void didReceiveResponse(const Ref<ns::URLConnection>& c, const Ref<ns::URLResponse>& r) override {
        add("response", r);
        if (onResponse) onResponse(c);
    }
    void didReceiveData(const Ref<ns::URLConnection>&, const ns::DataRef& d) override { add("data:" + d->toString()); }
    void didFinishLoading(const Ref<ns::URLConnection>&) override { add("finish"); }
    void didFailWithError(const Ref<ns::URLConnection>&, const Ref<ns::Error>& e) override {
        add("fail:" + std::to_string(e->code()));
    }
    void willSendRequestForAuthenticationChallenge(const Ref<ns::URLConnection>& c,
                                                   const Ref<ns::URLAuthenticationChallenge>& ch) override {
        add("challenge:" + ch->protectionSpace()->authenticationMethod() + ":" + std::to_string(ch->previousFailureCount()));
        if (onChallenge) onChallenge(ch);
        else URLConnectionDelegate::willSendRequestForAuthenticationChallenge(c, ch);
    }
    Ref<ns::CachedURLResponse> willCacheResponse(const Ref<ns::URLConnection>&, const Ref<ns::CachedURLResponse>& r) override {
        if (recordCacheQuestion) add("cache?");
        return declineCaching ? nullptr : r;
    }

    std::vector<std::string> events() const { return locked(events_); }
    std::set<std::string> threads() const { return locked(threads_); }
    Ref<ns::URLResponse> response() const { return locked(response_); }
    bool ended() const {
        for (const auto& e : events())
            if (e == "finish" || e.rfind("fail:", 0) == 0) return true;
        return false;
    }
    // The concatenated data events.
    std::string body() const {
        std::string out;
        for (const auto& e : events())
            if (e.rfind("data:", 0) == 0) out += e.substr(5);
        return out;
    }

private:
    template <class T> T locked(const T& member) const {
        std::lock_guard lock(m_);
        return member;
    }
    void add(std::string event, Ref<ns::URLResponse> r = nullptr) {
        std::lock_guard lock(m_);
        events_.push_back(std::move(event));
        threads_.insert(ns::Thread::currentName());
        if (r) response_ = r;
    }
    mutable std::mutex m_;
    std::vector<std::string> events_;
    std::set<std::string> threads_;
    Ref<ns::URLResponse> response_;
};

class ConnectionTest : public NetTest {
protected:
    void SetUp() override {
        NetTest::SetUp();
        network = ns::Thread::create("com.tandrel.webimage.request");
        network->start();
    }
    void TearDown() override {
        network->cancel();
        NetTest::TearDown();
    }

    // Creates the connection on the network thread, as the image kit does.
    Ref<ns::URLConnection> connect(const Ref<ns::URLRequest>& req, const std::shared_ptr<Recorder>& delegate) {
        std::mutex m;
        Ref<ns::URLConnection> connection;
        network->perform([&] {
            std::lock_guard lock(m);
            connection = ns::URLConnection::create(req, delegate);
        });
        EXPECT_TRUE(runMainUntil([&] {
            std::lock_guard lock(m);
            return connection != nullptr;
        }));
        return connection;
    }

    std::vector<std::string> load(const Ref<ns::URLRequest>& req, const std::shared_ptr<Recorder>& delegate) {
        connect(req, delegate);
        EXPECT_TRUE(runMainUntil([&] { return delegate->ended(); }));
        return delegate->events();
    }

    Ref<ns::Thread> network;
};

TEST_F(ConnectionTest, ChunksArriveInOrderOnTheNetworkThread) {
    int g1 = server.newGate(), g2 = server.newGate();
    Reply r;
    r.contentType = "image/jpeg";
    r.steps = {Step::send(std::string(20, 'A')), Step::wait(g1), Step::send(std::string(20, 'B')), Step::wait(g2),
               Step::send(std::string(20, 'C'))};
    server.on("/progressive.jpg", r);

    auto delegate = std::make_shared<Recorder>();
    connect(request("/progressive.jpg"), delegate);
    ASSERT_TRUE(runMainUntil([&] { return delegate->events().size() == 2; }));
    server.open(g1);
    ASSERT_TRUE(runMainUntil([&] { return delegate->events().size() == 3; }));
    server.open(g2);
    ASSERT_TRUE(runMainUntil([&] { return delegate->ended(); }));

    EXPECT_EQ(delegate->events(), (std::vector<std::string>{"response", "data:" + std::string(20, 'A'),
                                                            "data:" + std::string(20, 'B'),
                                                            "data:" + std::string(20, 'C'), "finish"}));
    EXPECT_EQ(delegate->threads(), std::set<std::string>{"com.tandrel.webimage.request"});
    EXPECT_EQ(delegate->response()->expectedContentLength(), -1);
}

TEST_F(ConnectionTest, ErrorStatusIsDeliveredAsAResponseThatMayBeCancelledThere) {
    server.on("/missing.png", Reply::text(404, "no such image"));
    auto delegate = std::make_shared<Recorder>();
    EXPECT_EQ(load(request("/missing.png"), delegate),
              (std::vector<std::string>{"response", "data:no such image", "finish"}));
    auto http = std::dynamic_pointer_cast<ns::HTTPURLResponse>(delegate->response());
    ASSERT_TRUE(http);
    EXPECT_EQ(http->statusCode(), 404);
    EXPECT_EQ(http->expectedContentLength(), 13);

    // Cancelled inside didReceiveResponse: nothing follows, as a later load on the same thread shows.
    auto cancelling = std::make_shared<Recorder>();
    cancelling->onResponse = [](const Ref<ns::URLConnection>& c) { c->cancel(); };
    connect(request("/missing.png"), cancelling);
    load(request("/missing.png"), std::make_shared<Recorder>());
    EXPECT_EQ(cancelling->events(), std::vector<std::string>{"response"});
}

// A host that moves a manual clock waits for the count to reach zero; by then the last event of
// every load is on its run loop, so draining that loop without waiting delivers it.
TEST_F(ConnectionTest, LoadsInProgressCountUntilTheLastEventIsOnItsWay) {
    int gate = server.newGate();
    Reply r;
    r.steps = {Step::send("first"), Step::wait(gate), Step::send("second")};
    server.on("/held.png", r);
    Reply stuck;
    stuck.steps = {Step::send("first"), Step::stall()};
    server.on("/stuck.png", stuck);
    ASSERT_EQ(ns::URLSession::loadsInProgress(), 0u);

    auto delegate = std::make_shared<Recorder>();
    auto connection = ns::URLConnection::create(request("/held.png"), delegate); // on the main run loop
    EXPECT_EQ(ns::URLSession::loadsInProgress(), 1u);
    ASSERT_TRUE(runMainUntil([&] { return delegate->events().size() == 2; }));
    EXPECT_EQ(ns::URLSession::loadsInProgress(), 1u);

    server.open(gate);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ns::URLSession::loadsInProgress() != 0 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    ASSERT_EQ(ns::URLSession::loadsInProgress(), 0u);
    EXPECT_FALSE(delegate->ended()); // the main loop has not run
    drainMain();
    EXPECT_EQ(delegate->events(), (std::vector<std::string>{"response", "data:first", "data:second", "finish"}));

    // A cancelled load leaves the count at once.
    auto cancelled = ns::URLConnection::create(request("/stuck.png"), std::make_shared<Recorder>());
    EXPECT_EQ(ns::URLSession::loadsInProgress(), 1u);
    cancelled->cancel();
    EXPECT_EQ(ns::URLSession::loadsInProgress(), 0u);
}

TEST_F(ConnectionTest, CancelFromAnotherThreadStopsEveryCallback) {
    int gate = server.newGate();
    Reply r;
    r.steps = {Step::send("first"), Step::wait(gate), Step::send("second")};
    server.on("/slow.png", r);
    server.on("/next.png", Reply::text(200, "next"));

    auto delegate = std::make_shared<Recorder>();
    auto connection = connect(request("/slow.png"), delegate);
    ASSERT_TRUE(runMainUntil([&] { return delegate->events().size() == 2; }));
    connection->cancel(); // from the main thread
    server.open(gate);
    // A later load on the same thread: anything late for the first would come before its end.
    auto barrier = std::make_shared<Recorder>();
    load(request("/next.png"), barrier);
    EXPECT_EQ(delegate->events(), (std::vector<std::string>{"response", "data:first"}));
}

TEST_F(ConnectionTest, FileURLsAreReadFromDiskInChunks) {
    std::string bytes;
    for (int i = 0; i < 40000; ++i) bytes.push_back(static_cast<char>('a' + i % 26));
    std::string path = sandboxPath() + "/picture.png";
    std::ofstream(path, std::ios::binary) << bytes;

    auto delegate = std::make_shared<Recorder>();
    auto events = load(ns::URLRequest::requestWithURL(ns::URL::fileURLWithPath(path)), delegate);
    EXPECT_EQ(events.front(), "response");
    EXPECT_GT(events.size(), 3u); // several chunks
    EXPECT_EQ(events.back(), "finish");
    EXPECT_EQ(delegate->body(), bytes);
    auto response = delegate->response();
    EXPECT_EQ(std::dynamic_pointer_cast<ns::HTTPURLResponse>(response), nullptr);
    EXPECT_EQ(response->expectedContentLength(), 40000);
    EXPECT_EQ(response->mimeType(), "image/png");
    EXPECT_EQ(delegate->threads(), std::set<std::string>{"com.tandrel.webimage.request"});

    auto missing = std::make_shared<Recorder>();
    EXPECT_EQ(load(ns::URLRequest::requestWithURL(ns::URL::fileURLWithPath(sandboxPath() + "/none.png")), missing),
              std::vector<std::string>{"fail:-1100"});
}

TEST_F(ConnectionTest, IdleTimeOutFailsTheConnection) {
    Reply r;
    r.steps = {Step::stall()};
    server.on("/stall.png", r);
    auto req = request("/stall.png");
    req->setTimeoutInterval(0.3);
    auto delegate = std::make_shared<Recorder>();
    EXPECT_EQ(load(req, delegate), (std::vector<std::string>{"response", "fail:-1001"}));
}

class AuthTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        std::string good = "Basic " + ns::Data::fromString("user:secret")->base64Encoded();
        server.on("/private.png", [good](const HttpTestServer::Request& r) {
            if (r.header("Authorization") == good) return Reply::text(200, "welcome");
            return Reply::text(401, "denied").header("WWW-Authenticate", "Basic realm=\"vx images\"");
        });
    }
    static Ref<ns::URLCredential> credential(const std::string& password) {
        return ns::URLCredential::credentialWithUser("user", password, ns::URLCredentialPersistence::ForSession);
    }
};

TEST_F(AuthTest, CredentialAnswersTheChallengeOrTheDelegateContinuesWithoutOrCancels) {
    const std::string basic = "challenge:NSURLAuthenticationMethodHTTPBasic:";
    auto right = std::make_shared<Recorder>();
    right->onChallenge = [](const Ref<ns::URLAuthenticationChallenge>& ch) {
        EXPECT_EQ(ch->protectionSpace()->realm(), "vx images");
        EXPECT_EQ(std::dynamic_pointer_cast<ns::HTTPURLResponse>(ch->failureResponse())->statusCode(), 401);
        ch->sender()->useCredential(credential("secret"), *ch);
    };
    EXPECT_EQ(load(request("/private.png"), right),
              (std::vector<std::string>{basic + "0", "response", "data:welcome", "finish"}));

    auto wrong = std::make_shared<Recorder>(); // a wrong credential, then none: the 401 is delivered
    wrong->onChallenge = [](const Ref<ns::URLAuthenticationChallenge>& ch) {
        if (ch->previousFailureCount() == 0) ch->sender()->useCredential(credential("wrong"), *ch);
        else ch->sender()->continueWithoutCredential(*ch);
    };
    EXPECT_EQ(load(request("/private.png"), wrong),
              (std::vector<std::string>{basic + "0", basic + "1", "response", "data:denied", "finish"}));
    EXPECT_EQ(std::dynamic_pointer_cast<ns::HTTPURLResponse>(wrong->response())->statusCode(), 401);

    auto cancelling = std::make_shared<Recorder>();
    cancelling->onChallenge = [](const Ref<ns::URLAuthenticationChallenge>& ch) {
        ch->sender()->cancelAuthenticationChallenge(*ch);
    };
    EXPECT_EQ(load(request("/private.png"), cancelling).back(), "fail:-1012");
}

TEST_F(AuthTest, DigestChallengeIsAnsweredWithADigest) {
    server.on("/digest.png", [](const HttpTestServer::Request& r) {
        // The hash is curl's business; the wiring is what is checked here.
        if (r.header("Authorization").rfind("Digest username=\"user\"", 0) == 0) return Reply::text(200, "digested");
        return Reply::text(401, "denied").header("WWW-Authenticate", "Digest realm=\"vx\", nonce=\"n0nce\", qop=\"auth\"");
    });
    auto delegate = std::make_shared<Recorder>();
    delegate->onChallenge = [](const Ref<ns::URLAuthenticationChallenge>& ch) {
        EXPECT_EQ(ch->protectionSpace()->realm(), "vx");
        ch->sender()->useCredential(credential("secret"), *ch);
    };
    EXPECT_EQ(load(request("/digest.png"), delegate),
              (std::vector<std::string>{"challenge:NSURLAuthenticationMethodHTTPDigest:0", "response", "data:digested",
                                        "finish"}));
    auto sent = server.requests("/digest.png").back().header("Authorization");
    EXPECT_NE(sent.find("realm=\"vx\""), std::string::npos);
    EXPECT_NE(sent.find("response=\""), std::string::npos);
}

TEST_F(ConnectionTest, CacheableResponsesAreOfferedToTheURLCache) {
    server.on("/small.png", Reply::text(200, "tiny image", "image/png"));
    server.on("/nostore.png", Reply::text(200, "secret", "image/png").header("Cache-Control", "no-store"));
    auto cache = ns::URLCache::shared();

    auto accepting = std::make_shared<Recorder>();
    accepting->recordCacheQuestion = true;
    auto req = request("/small.png");
    EXPECT_EQ(load(req, accepting), (std::vector<std::string>{"response", "data:tiny image", "cache?", "finish"}));
    auto cached = cache->cachedResponseForRequest(*req);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->data()->toString(), "tiny image");

    cache->removeAllCachedResponses();
    auto declining = std::make_shared<Recorder>();
    declining->declineCaching = true;
    load(req, declining);
    EXPECT_EQ(cache->cachedResponseForRequest(*req), nullptr);

    auto noStore = std::make_shared<Recorder>();
    noStore->recordCacheQuestion = true;
    EXPECT_EQ(load(request("/nostore.png"), noStore), (std::vector<std::string>{"response", "data:secret", "finish"}));
}

TEST_F(ConnectionTest, URLCacheKeepsWithinItsMemoryCapacityUnderCaches) {
    auto cache = ns::URLCache::create(10, 33554432, "nsurlcache");
    EXPECT_EQ(cache->diskPath(), ns::cachesPath() + "/nsurlcache");
    auto store = [&](const std::string& path, const std::string& body) {
        auto req = request(path);
        auto response = ns::HTTPURLResponse::create(req->url(), 200, {});
        cache->storeCachedResponse(std::make_shared<ns::CachedURLResponse>(response, ns::Data::fromString(body)), *req);
        return req;
    };
    auto a = store("/a", "aaaa");
    auto b = store("/b", "bbbb");
    EXPECT_TRUE(cache->cachedResponseForRequest(*a)); // now the most recently used
    auto c = store("/c", "cccc");                     // 12 bytes: the least recently used goes
    EXPECT_TRUE(cache->cachedResponseForRequest(*a));
    EXPECT_FALSE(cache->cachedResponseForRequest(*b));
    EXPECT_TRUE(cache->cachedResponseForRequest(*c));
    EXPECT_EQ(cache->currentMemoryUsage(), 8u);
    store("/big", "more than ten");                   // larger than the whole capacity: not kept
    EXPECT_EQ(cache->currentMemoryUsage(), 8u);
    cache->setMemoryCapacity(4);
    EXPECT_EQ(cache->currentMemoryUsage(), 4u);
}

TEST_F(ConnectionTest, TrustAnyServerAnswerSkipsVerificationForThatRequestOnly) {
    HttpTestServer tls(HttpTestServer::Scheme::Https);
    tls.on("/secure.png", Reply::text(200, "secure", "image/png"));
    auto secure = [&] { return ns::URLRequest::requestWithURL(ns::URL::fromString(tls.url("/secure.png"))); };
    const std::string asked = "challenge:NSURLAuthenticationMethodServerTrust:0";

    auto strict = std::make_shared<Recorder>(); // default handling: the self-signed certificate fails
    EXPECT_EQ(load(secure(), strict), (std::vector<std::string>{asked, "fail:-1202"}));

    auto trusting = std::make_shared<Recorder>();
    trusting->onChallenge = [](const Ref<ns::URLAuthenticationChallenge>& ch) {
        EXPECT_EQ(ch->protectionSpace()->host(), "127.0.0.1");
        auto trust = ch->protectionSpace()->serverTrust();
        ch->sender()->useCredential(ns::URLCredential::credentialForTrust(trust), *ch);
    };
    EXPECT_EQ(load(secure(), trusting), (std::vector<std::string>{asked, "response", "data:secure", "finish"}));

    auto strictAgain = std::make_shared<Recorder>();
    EXPECT_EQ(load(secure(), strictAgain), (std::vector<std::string>{asked, "fail:-1202"}));

    auto cancelling = std::make_shared<Recorder>();
    cancelling->onChallenge = [](const Ref<ns::URLAuthenticationChallenge>& ch) {
        ch->sender()->cancelAuthenticationChallenge(*ch);
    };
    EXPECT_EQ(load(secure(), cancelling), (std::vector<std::string>{asked, "fail:-999"}));
    EXPECT_EQ(tls.requestCount("/secure.png"), 1u);

    // Sessions always verify.
    auto viaSession = fetch(makeSession(), secure());
    EXPECT_EQ(viaSession.errorCode(), ns::URLErrorServerCertificateUntrusted);
}

} // namespace
TEST_F(ConnectionTest, OnlySuccessfulAnswersAreOfferedToTheURLCache) {
    auto cache = ns::URLCache::shared();
    const std::pair<int, bool> cases[] = {{200, true}, {299, true}, {300, false}, {399, false}, {404, false}, {500, false}};
    for (const auto& [status, cached] : cases) {
        std::string path = "/status" + std::to_string(status) + ".png";
        server.on(path, Reply::text(status, "body", "image/png"));
        auto asking = std::make_shared<Recorder>();
        asking->recordCacheQuestion = true;
        auto req = request(path);
        auto events = load(req, asking);
        EXPECT_EQ(std::find(events.begin(), events.end(), "cache?") != events.end(), cached) << status;
        EXPECT_EQ(cache->cachedResponseForRequest(*req) != nullptr, cached) << status;
    }
}

} // namespace vx::test
