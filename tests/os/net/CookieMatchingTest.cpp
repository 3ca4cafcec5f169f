// Which cookies go with which request: the Cookie header the loopback server receives, and the
// jar's own answer for the same URL, must agree. Names under .localhost reach the loopback server
// (curl resolves them there) and let one test play several sites.

#include "NetFixture.h"

#include "os/foundation/FileManager.h"
#include "os/foundation/Strings.h"
#include "os/net/HTTPCookieStorage.h"
#include "os/net/URLAuthenticationChallenge.h"
#include "os/net/URLConnection.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <map>

namespace vx::test {
namespace {

using Names = std::vector<std::string>;

class CookieMatchingTest : public NetTest {
protected:
    void TearDown() override {
        ns::HTTPCookieStorage::shared()->deleteAllCookies();
        NetTest::TearDown();
    }

    std::string url(const std::string& host, const std::string& pathAndQuery) const {
        return "http://" + host + ":" + std::to_string(server.port()) + pathAndQuery;
    }

    // Answers every listed path with the Cookie header it received.
    void echoCookies(const Names& paths) {
        for (const auto& p : paths)
            server.on(p, [](const HttpTestServer::Request& r) { return Reply::text(200, r.header("Cookie")); });
    }

    void setCookies(const std::string& host, const std::string& path, const Names& setCookies) {
        Reply reply = Reply::text(200, "set");
        for (const auto& c : setCookies) reply.header("Set-Cookie", c);
        server.on(path, reply);
        ASSERT_EQ(fetch(makeSession(), ns::URLRequest::requestWithURL(ns::URL::fromString(url(host, path)))).errorCode(), 0);
    }

    static Names sorted(Names names) {
        std::sort(names.begin(), names.end());
        return names;
    }

    // The names in a Cookie header, sorted.
    static Names namesIn(const std::string& header) {
        Names names;
        for (auto& pair : ns::str::split(header, "; "))
            if (!pair.empty()) names.push_back(pair.substr(0, pair.find('=')));
        return sorted(names);
    }

    // The body of a load through a URL connection that trusts the test server's certificate.
    std::string loadTrusting(const std::string& fullURL);

    // The cookie names the server saw on a GET of the URL, sorted.
    Names sent(const std::string& fullURL) {
        auto result = fetch(makeSession(), ns::URLRequest::requestWithURL(ns::URL::fromString(fullURL)));
        EXPECT_EQ(result.errorCode(), 0) << fullURL;
        return namesIn(result.body());
    }

    // The names the jar says a request to the URL carries, sorted.
    static Names listed(const std::string& fullURL) {
        Names names;
        for (auto& c : ns::HTTPCookieStorage::shared()->cookiesForURL(ns::URL::fromString(fullURL))) names.push_back(c->name());
        return sorted(names);
    }

    // A jar line for a cookie of the host's root path that expires in a day.
    static std::string dayLine(const std::string& host, bool secure, const std::string& name, const std::string& value) {
        return host + "\tFALSE\t/\t" + (secure ? "TRUE" : "FALSE") + "\t" + std::to_string(std::time(nullptr) + 86400) +
               "\t" + name + "\t" + value;
    }

    // Writes jar lines (Netscape format) before the jar is first read in this test.
    static void seedJar(const Names& lines) {
        auto path = ns::HTTPCookieStorage::storagePath();
        ns::FileManager::defaultManager().createDirectory(ns::str::stringByDeletingLastPathComponent(path), true);
        std::ofstream out(path);
        out << "# Netscape HTTP Cookie File\n";
        for (const auto& l : lines) out << l << "\n";
    }

    struct Case {
        std::string host, path;
        Names expected;
    };

    void expectCases(const std::vector<Case>& cases) {
        for (const auto& c : cases) {
            std::string u = url(c.host, c.path);
            EXPECT_EQ(sent(u), sorted(c.expected)) << "sent to " << u;
            EXPECT_EQ(listed(u), sorted(c.expected)) << "listed for " << u;
        }
    }
};

TEST_F(CookieMatchingTest, DomainDecidesBetweenHostOnlySubdomainsAndLookAlikes) {
    ASSERT_NO_FATAL_FAILURE(setCookies("shop.localhost", "/set", {"host=1; Path=/", "dom=2; Domain=shop.localhost; Path=/",
                                          "foreign=3; Domain=other.localhost; Path=/"}));
    // A subdomain may widen to its parent; the parent's host-only cookie stays its own.
    ASSERT_NO_FATAL_FAILURE(setCookies("api.shop.localhost", "/set-up", {"up=4; Domain=.shop.localhost; Path=/", "apihost=5; Path=/"}));
    echoCookies({"/"});
    expectCases({
        {"shop.localhost", "/", {"host", "dom", "up"}},
        {"SHOP.localhost", "/", {"host", "dom", "up"}},
        {"api.shop.localhost", "/", {"dom", "up", "apihost"}},
        {"deep.api.shop.localhost", "/", {"dom", "up"}},
        {"xshop.localhost", "/", {}},
        {"other.localhost", "/", {}},
        {"localhost", "/", {}},
        {"127.0.0.1", "/", {}},
    });
}

TEST_F(CookieMatchingTest, PathMatchesWholeSegmentsOnly) {
    ASSERT_NO_FATAL_FAILURE(setCookies("shop.localhost", "/set", {"root=1; Path=/", "a=2; Path=/a", "ab=3; Path=/a/b"}));
    // Without a Path the cookie belongs to the folder of the page that set it.
    ASSERT_NO_FATAL_FAILURE(setCookies("shop.localhost", "/d/set", {"def=4"}));
    echoCookies({"/", "/a", "/a/b", "/a/b/c", "/a/bc", "/ab", "/A", "/d", "/d/x", "/dx"});
    expectCases({
        {"shop.localhost", "/", {"root"}},
        {"shop.localhost", "/a", {"root", "a"}},
        {"shop.localhost", "/a?x=/a/b", {"root", "a"}},
        {"shop.localhost", "/a/b", {"root", "a", "ab"}},
        {"shop.localhost", "/a/b/c", {"root", "a", "ab"}},
        {"shop.localhost", "/a/bc", {"root", "a"}},
        {"shop.localhost", "/ab", {"root"}},
        {"shop.localhost", "/A", {"root"}},
        {"shop.localhost", "/d", {"root", "def"}},
        {"shop.localhost", "/d/x", {"root", "def"}},
        {"shop.localhost", "/dx", {"root"}},
    });
}

TEST_F(CookieMatchingTest, SecureCookiesNeverGoOverPlainHTTP) {
    seedJar({dayLine("shop.localhost", true, "secret", "1"),
             dayLine("shop.localhost", false, "plain", "2"),
             dayLine("127.0.0.1", true, "localsecret", "3"),
             dayLine("127.0.0.1", false, "localplain", "4")});
    // Set over plain HTTP, a secure cookie is not taken at all.
    ASSERT_NO_FATAL_FAILURE(setCookies("shop.localhost", "/set", {"fresh=5; Secure; Path=/"}));
    echoCookies({"/"});
    expectCases({
        {"shop.localhost", "/", {"plain"}},
        {"127.0.0.1", "/", {"localplain"}},
    });
    // Over https they go.
    EXPECT_EQ(listed("https://shop.localhost/"), sorted({"secret", "plain"}));
    EXPECT_EQ(listed("https://127.0.0.1/"), sorted({"localsecret", "localplain"}));
    Names all;
    for (auto& c : ns::HTTPCookieStorage::shared()->cookies()) all.push_back(c->name());
    EXPECT_EQ(sorted(all), sorted({"secret", "plain", "localsecret", "localplain"}));
    for (auto& c : ns::HTTPCookieStorage::shared()->cookies()) EXPECT_EQ(c->isSecure(), c->name().find("secret") != std::string::npos);
}

TEST_F(CookieMatchingTest, ExpiredCookiesAreNeitherSentNorListed) {
    auto now = std::time(nullptr);
    const Names hosts = {"shop.localhost", "127.0.0.1"};
    Names lines;
    for (const auto& host : hosts) {
        for (auto [name, expiry] : {std::pair{"stale", now - 60}, {"fresh", now + 3600}, {"gone", now + 3600}, {"dated", now + 3600}})
            lines.push_back(host + "\tFALSE\t/\tFALSE\t" + std::to_string(expiry) + "\t" + name + "\t1");
    }
    seedJar(lines);
    echoCookies({"/"});
    for (const auto& host : hosts) expectCases({{host, "/", {"fresh", "gone", "dated"}}});

    // Max-Age=0 and a date in the past both delete; only the host that was told forgets.
    ASSERT_NO_FATAL_FAILURE(setCookies("127.0.0.1", "/set", {"gone=x; Max-Age=0; Path=/", "dated=x; Expires=Thu, 01 Jan 1998 00:00:00 GMT; Path=/",
                                     "later=5; Max-Age=3600; Path=/"}));
    expectCases({{"127.0.0.1", "/", {"fresh", "later"}}, {"shop.localhost", "/", {"fresh", "gone", "dated"}}});
    ASSERT_NO_FATAL_FAILURE(setCookies("shop.localhost", "/set", {"gone=x; Max-Age=0; Path=/", "dated=x; Expires=Thu, 01 Jan 1998 00:00:00 GMT; Path=/",
                                          "later=5; Max-Age=3600; Path=/"}));
    for (const auto& host : hosts) expectCases({{host, "/", {"fresh", "later"}}});
    for (auto& c : ns::HTTPCookieStorage::shared()->cookies()) {
        ASSERT_TRUE(c->expiresDate());
        EXPECT_GT(*c->expiresDate(), static_cast<double>(now));
    }

    // What is kept on disk comes back after a restart; the deleted ones do not.
    restart();
    for (const auto& host : hosts) expectCases({{host, "/", {"fresh", "later"}}});
}

// Trusts the test server's self-signed certificate and keeps the body.
class TrustingLoad : public ns::URLConnectionDelegate {
public:
    std::string body;
    bool ended = false;
    long failure = 0;
    void willSendRequestForAuthenticationChallenge(const ns::Ref<ns::URLConnection>&,
                                                   const ns::Ref<ns::URLAuthenticationChallenge>& ch) override {
        ch->sender()->useCredential(ns::URLCredential::credentialForTrust(ch->protectionSpace()->serverTrust()), *ch);
    }
    void didReceiveData(const ns::Ref<ns::URLConnection>&, const ns::DataRef& d) override { body += d->toString(); }
    void didFinishLoading(const ns::Ref<ns::URLConnection>&) override { ended = true; }
    void didFailWithError(const ns::Ref<ns::URLConnection>&, const ns::Ref<ns::Error>& e) override {
        failure = e->code();
        ended = true;
    }
};

std::string CookieMatchingTest::loadTrusting(const std::string& fullURL) {
    auto delegate = std::make_shared<TrustingLoad>();
    ns::URLConnection::create(ns::URLRequest::requestWithURL(ns::URL::fromString(fullURL)), delegate);
    EXPECT_TRUE(runMainUntil([&] { return delegate->ended; })) << fullURL;
    EXPECT_EQ(delegate->failure, 0) << fullURL;
    return delegate->body;
}

TEST_F(CookieMatchingTest, SecureCookiesGoOverHTTPSAndWhatHTTPSSetsStaysOffPlainHTTP) {
    seedJar({dayLine("127.0.0.1", true, "localsecret", "3"),
             dayLine("127.0.0.1", false, "localplain", "4")});
    HttpTestServer tls(HttpTestServer::Scheme::Https);
    tls.on("/", [](const HttpTestServer::Request& r) {
        return Reply::text(200, r.header("Cookie")).header("Set-Cookie", "tls=5; Secure; Path=/");
    });
    auto overTLS = [&] { return namesIn(loadTrusting(tls.url("/"))); };
    EXPECT_EQ(overTLS(), sorted({"localsecret", "localplain"}));
    EXPECT_EQ(overTLS(), sorted({"localsecret", "localplain", "tls"}));
    echoCookies({"/"});
    expectCases({{"127.0.0.1", "/", {"localplain"}}});
    // The plain load worked on a copy: the secure cookies are still in the jar afterwards.
    EXPECT_EQ(overTLS(), sorted({"localsecret", "localplain", "tls"}));
}

// Which cookies go is decided for every hop of a redirect chain, by that hop's URL: an https load
// sent on to plain HTTP carries no Secure cookie there, and a cookie a redirect sets goes on the next hop.
TEST_F(CookieMatchingTest, EveryHopOfARedirectSendsTheCookiesOfItsOwnURL) {
    seedJar({dayLine("127.0.0.1", true, "localsecret", "1"),
             dayLine("127.0.0.1", false, "localplain", "2"),
             dayLine("shop.localhost", true, "secret", "3"),
             dayLine("shop.localhost", false, "plain", "4")});
    echoCookies({"/echo"});
    HttpTestServer tls(HttpTestServer::Scheme::Https);
    tls.on("/to-plain", Reply::redirect(302, server.url("/echo")));
    tls.on("/to-shop", Reply::redirect(307, url("shop.localhost", "/echo")));
    tls.on("/echo", [](const HttpTestServer::Request& r) { return Reply::text(200, r.header("Cookie")); });
    auto load = [&](const std::string& fullURL) { return namesIn(loadTrusting(fullURL)); };

    EXPECT_EQ(load(tls.url("/to-plain")), sorted({"localplain"}));
    EXPECT_EQ(namesIn(tls.requests("/to-plain").back().header("Cookie")), sorted({"localsecret", "localplain"}));
    EXPECT_EQ(load(tls.url("/to-shop")), sorted({"plain"}));

    // A cookie set by a redirect reply goes with the next hop, over either kind of jar.
    for (const std::string host : {"127.0.0.1", "shop.localhost"}) {
        server.on("/login", Reply::redirect(302, "/echo").header("Set-Cookie", "session=s1; Path=/"));
        auto landed = fetch(makeSession(), ns::URLRequest::requestWithURL(ns::URL::fromString(url(host, "/login"))));
        EXPECT_NE(landed.body().find("session=s1"), std::string::npos) << host;
    }
}

// Over plain HTTP a reply may neither replace nor remove a Secure cookie of the same name, nor set
// a Secure one; https and plain HTTP keep sending what they sent before.
TEST_F(CookieMatchingTest, PlainRepliesNeverReplaceRemoveOrSetSecureCookies) {
    const Names hosts = {"127.0.0.1", "shop.localhost"};
    Names lines;
    for (const auto& host : hosts) {
        lines.push_back(dayLine(host, true, "sid", "secure-value"));
        lines.push_back(dayLine(host, true, "keep", "secure-kept"));
    }
    seedJar(lines);
    for (const auto& host : hosts) {
        ASSERT_NO_FATAL_FAILURE(setCookies(host, "/set", {"sid=plain-value; Path=/", "other=2; Path=/", "new=3; Secure; Path=/"}));
        ASSERT_NO_FATAL_FAILURE(setCookies(host, "/drop", {"keep=x; Max-Age=0; Path=/"}));
    }
    echoCookies({"/"});
    expectCases({{"127.0.0.1", "/", {"other"}}, {"shop.localhost", "/", {"other"}}});

    std::map<std::string, std::pair<std::string, bool>> jar;
    for (auto& c : ns::HTTPCookieStorage::shared()->cookies())
        jar[c->domain() + " " + c->name()] = {c->value(), c->isSecure()};
    for (const auto& host : hosts) {
        EXPECT_EQ(jar[host + " sid"], std::pair(std::string("secure-value"), true)) << host;
        EXPECT_EQ(jar[host + " keep"], std::pair(std::string("secure-kept"), true)) << host;
        EXPECT_EQ(jar.count(host + " new"), 0u) << host;
    }

    // Over https the Secure values still go, unchanged.
    HttpTestServer tls(HttpTestServer::Scheme::Https);
    tls.on("/", [](const HttpTestServer::Request& r) { return Reply::text(200, r.header("Cookie")); });
    auto sentOverTLS = ns::str::split(loadTrusting(tls.url("/")), "; ");
    std::sort(sentOverTLS.begin(), sentOverTLS.end());
    EXPECT_EQ(sentOverTLS, (Names{"keep=secure-kept", "other=2", "sid=secure-value"}));
}

} // namespace
} // namespace vx::test
