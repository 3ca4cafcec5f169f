// The stand-in server under hostile and heavy use: body limits, the bounded request log, slow
// clients and a burst of connections. Loopback only; every client here is bounded in count and time.
#include "os/foundation/URL.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"
#include "tests/server/ServerFixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

using namespace servertest;

namespace {

class ServerLimits : public ServerTest {
protected:
    // A socket connected to the server, not yet sending anything.
    int connectRaw(bool blocking = true) {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) return -1;
        if (!blocking) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(server.port()));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 && errno != EINPROGRESS) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
};

std::string bigForm(size_t bytes) { return "sj=1&type=1&username=" + std::string(bytes, 'u'); }

} // namespace

TEST_F(ServerLimits, FormBodiesAsLargeAsARealRequestReachTheHandlers) {
    // The model's answer and a scripted one both see a 64 kB form body.
    auto res = post("Sdkhome/yzm", bigForm(64 * 1024), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(server.requests("Sdkhome/yzm").at(0).params["username"].stringValue()->size(), 64u * 1024);

    PlatformServer::Scripted scripted;
    scripted.jsonText = R"({"a":1,"b":"scripted"})";
    server.script("Sdkcomments/commit", scripted);
    res = post("Sdkcomments/commit", bigForm(20 * 1024), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, R"({"a":1,"b":"scripted"})");
}

TEST_F(ServerLimits, OversizedBodiesGetA413RawOrDecoded) {
    const auto limits = server.limits();
    auto res = post("Sdkhome/yzm", bigForm(limits.maxBodyBytes), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, "request body over " + std::to_string(limits.maxBodyBytes) + " bytes");

    // A small gzip body that inflates far past the bound, as transfer coding and as the scrambled layer.
    auto bomb = cxrLFCGzipUtillity::gzipData(ns::Data::fromString(std::string(5 * limits.maxDecodedBytes, ' ')));
    ASSERT_LT(bomb->length(), limits.maxBodyBytes);
    const std::string decodedRefusal = "request body over " + std::to_string(limits.maxDecodedBytes) + " bytes decoded";
    res = post("Sdkhome/yzm", bomb->toString(), "application/x-www-form-urlencoded", {{"Content-Encoding", "gzip"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, decodedRefusal);
    res = post("login/dologin", bomb->toString());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, decodedRefusal);
    EXPECT_TRUE(server.requests().empty());

    // A gzip body within the bound is read as the form it carries.
    auto packed = cxrLFCGzipUtillity::gzipData(ns::Data::fromString("sj=1&type=1&username=zipped"));
    res = post("Sdkhome/yzm", packed->toString(), "application/x-www-form-urlencoded", {{"Content-Encoding", "gzip"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(server.requests().at(0).params["username"], Value("zipped"));

    // Only GET and POST are served.
    httplib::Client client("127.0.0.1", server.port());
    auto put = client.Put("/sdkapicoupon2/login/dologin", std::string(1000, 'x'), "text/html");
    ASSERT_TRUE(put);
    EXPECT_EQ(put->status, 405);
}

TEST_F(ServerLimits, TheRequestLogKeepsTheNewestWithinItsBounds) {
    auto limits = server.limits();
    limits.requestLogCount = 3;
    server.setLimits(limits);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(post("Sdkhome/yzm", "sj=" + std::to_string(i), "application/x-www-form-urlencoded"));
    auto log = server.requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.front().params["sj"], Value("2"));
    EXPECT_EQ(log.back().params["sj"], Value("4"));

    // The bodies kept together stay within their own bound too.
    limits.requestLogCount = 100;
    limits.requestLogBytes = 50 * 1024;
    server.setLimits(limits);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(post("Sdkhome/yzm", bigForm(20 * 1024), "application/x-www-form-urlencoded"));
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(ServerLimits, OrdinaryRequestsGoOnBesideSlowClients) {
    // 32 clients that open a request and then trickle: each holds a connection the server must not
    // wait on before serving anyone else.
    std::vector<int> slow;
    for (int i = 0; i < 32; ++i) {
        int fd = connectRaw();
        ASSERT_GE(fd, 0);
        ASSERT_GT(::send(fd, "POST /sdkapicoupon2/login/dologin HTTP/1.1\r\n", 45, MSG_NOSIGNAL), 0);
        slow.push_back(fd);
    }
    for (int fd : slow) ASSERT_GT(::send(fd, "Host: 127.0.0.1\r\n", 17, MSG_NOSIGNAL), 0);
    // Well below the server's read time-out, so only a free thread can answer in time.
    httplib::Client client("127.0.0.1", server.port());
    client.set_read_timeout(3, 0);
    for (int i = 0; i < 5; ++i) {
        auto res = client.Post("/sdkapicoupon2/Sdkhome/yzm", "sj=1&username=a&type=1", "application/x-www-form-urlencoded");
        ASSERT_TRUE(res) << "request " << i << ": " << httplib::to_string(res.error());
        EXPECT_EQ(res->status, 200);
    }
    for (int fd : slow) ::close(fd);
}

TEST_F(ServerLimits, ABurstOf500ConnectionsIsServed) {
    // Each connection takes two descriptors in this process (client and server side).
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur < 2048 && files.rlim_max > files.rlim_cur) {
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, 2048);
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    ASSERT_GE(files.rlim_cur, 1200u);

    constexpr int kConnections = 500;
    const std::string request = "GET /nothing-here HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    struct Client {
        int fd;
        bool sent = false;
        std::string reply;
        bool done = false;
    };
    std::vector<Client> clients;
    for (int i = 0; i < kConnections; ++i) {
        int fd = connectRaw(false);
        ASSERT_GE(fd, 0);
        clients.push_back(Client{fd, false, {}, false});
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    size_t finished = 0;
    while (finished < clients.size() && std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> fds;
        for (auto& c : clients)
            if (!c.done) fds.push_back({c.fd, static_cast<short>(c.sent ? POLLIN : POLLOUT), 0});
        ::poll(fds.data(), fds.size(), 100);
        size_t k = 0;
        for (auto& c : clients) {
            if (c.done) continue;
            const pollfd& p = fds[k++];
            if (!c.sent && (p.revents & POLLOUT)) {
                c.sent = ::send(c.fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
                if (!c.sent) c.done = true, ++finished;
            } else if (c.sent && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
                char buf[4096];
                ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
                if (n > 0) c.reply.append(buf, static_cast<size_t>(n));
                else c.done = true, ++finished;
            }
        }
    }
    int answered = 0;
    for (auto& c : clients) {
        if (c.reply.rfind("HTTP/1.1 404", 0) == 0) ++answered;
        ::close(c.fd);
    }
    EXPECT_EQ(answered, kConnections);
}

TEST(ServerForms, DecodingFormBodies) {
    using server::decodeForm;
    EXPECT_EQ(decodeForm("sj=138+0000&username=%E5%BC%A0%20%2B&type"),
              Value(ns::Dictionary{{"sj", "138 0000"}, {"username", "张 +"}, {"type", ""}}));
    // Broken escapes stay as written; a repeated name keeps its last value; empty pairs are skipped.
    EXPECT_EQ(decodeForm("a=%zz%4&&a=2&=x&b=%"), Value(ns::Dictionary{{"a", "2"}, {"", "x"}, {"b", "%"}}));
    EXPECT_EQ(decodeForm("raw=a b&utf8=中文"), Value(ns::Dictionary{{"raw", "a b"}, {"utf8", "中文"}}));
    // Bytes that are no UTF-8 text leave their pair out.
    EXPECT_EQ(decodeForm("bad=%FF%FE&good=1"), Value(ns::Dictionary{{"good", "1"}}));
    ns::Dictionary params{{"k", "a+b&c=d %"}, {"中", "文"}};
    EXPECT_EQ(decodeForm(ns::formEncode(params)), Value(params));
}
