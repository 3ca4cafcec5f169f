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
#include <functional>

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
    // Sends the text whole, then reads until the server closes (at most 20 s): the raw reply.
    std::string exchange(int fd, const std::string& text) {
        for (size_t sent = 0; sent < text.size();) {
            ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        std::string reply;
        readUntilClosed(fd, 20, &reply);
        ::close(fd);
        return reply;
    }
    // True once the server has closed the connection (looked for during at most 30 s).
    static bool closedByServer(int fd) { return readUntilClosed(fd, 30, nullptr); }
    static bool readUntilClosed(int fd, int seconds, std::string* reply) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buf[4096];
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return true;
            if (reply) reply->append(buf, static_cast<size_t>(n));
        }
        return false;
    }
    static void raiseFileLimit(rlim_t wanted) {
        rlimit files{};
        ::getrlimit(RLIMIT_NOFILE, &files);
        if (files.rlim_cur < wanted && files.rlim_max > files.rlim_cur) {
            files.rlim_cur = std::min<rlim_t>(files.rlim_max, wanted);
            ::setrlimit(RLIMIT_NOFILE, &files);
        }
    }
    void restartWith(const std::function<void(PlatformServer::Limits&)>& change) {
        server.stop();
        auto limits = server.limits();
        change(limits);
        server.setLimits(limits);
        ASSERT_TRUE(server.start());
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

TEST_F(ServerLimits, HeaderFloodsAndAmbiguousBodyLengthsAreRefused) {
    const std::string start = "POST /sdkapicoupon2/Sdkhome/yzm HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const std::string form = "Content-Type: application/x-www-form-urlencoded\r\n";
    std::string many = start;
    for (int i = 0; i < 100; ++i) many += "X-Line-" + std::to_string(i) + ": v\r\n";
    EXPECT_EQ(exchange(connectRaw(), many + "Content-Length: 0\r\n\r\n").substr(0, 12), "HTTP/1.1 431");
    // Few lines, but together past the size bound: refused, the connection closed, nothing kept.
    std::string large = start + "X-Big: " + std::string(server.limits().maxHeaderBytes, 'h') + "\r\n\r\n";
    std::string reply = exchange(connectRaw(), large);
    EXPECT_EQ(reply.rfind("HTTP/1.1 200", 0), std::string::npos) << reply.substr(0, 40);

    EXPECT_EQ(exchange(connectRaw(), start + form + "Content-Length: 4\r\nContent-Length: 40\r\n\r\nsj=1").substr(0, 12),
              "HTTP/1.1 400");
    EXPECT_EQ(exchange(connectRaw(), start + form + "Content-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsj=1\r\n0\r\n\r\n")
                  .substr(0, 12),
              "HTTP/1.1 400");

    // An encoded body sent in chunks is held to the raw bound as well: bytes that do not compress.
    std::string noise(server.limits().maxBodyBytes + 200 * 1024, '\0');
    uint32_t x = 12345;
    for (auto& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    auto packed = cxrLFCGzipUtillity::gzipData(ns::Data::fromString(noise))->toString();
    ASSERT_GT(packed.size(), server.limits().maxBodyBytes);
    std::string chunked = start + form + "Content-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (size_t at = 0; at < packed.size(); at += 60000) {
        std::string piece = packed.substr(at, 60000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        chunked += size + piece + "\r\n";
    }
    reply = exchange(connectRaw(), chunked + "0\r\n\r\n");
    EXPECT_EQ(reply.substr(0, 12), "HTTP/1.1 413");
    EXPECT_NE(reply.find("request body over " + std::to_string(server.limits().maxBodyBytes) + " bytes"), std::string::npos);
    EXPECT_TRUE(server.requests().empty());

    // The server goes on serving.
    auto res = post("Sdkhome/yzm", "sj=13800001234&type=8", "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
}

TEST_F(ServerLimits, IdleAndStalledConnectionsAreCutAtTheRequestDeadline) {
    // Silence alone would take a minute here: only the whole-request deadline ends these.
    restartWith([](PlatformServer::Limits& l) {
        l.requestSeconds = 0.5;
        l.readTimeoutSeconds = 60;
    });
    int idle = connectRaw();
    int stalled = connectRaw();
    ASSERT_GE(idle, 0);
    ASSERT_GE(stalled, 0);
    const std::string half = "POST /sdkapicoupon2/login/dologin HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100\r\n\r\nz=";
    ASSERT_GT(::send(stalled, half.data(), half.size(), MSG_NOSIGNAL), 0);
    EXPECT_TRUE(closedByServer(idle));
    EXPECT_TRUE(closedByServer(stalled));
    ::close(idle);
    ::close(stalled);
    auto res = post("Sdkhome/yzm", "sj=13800001234&type=8", "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
}

TEST_F(ServerLimits, OthersAreServedBesideHundredsOfIdleAndStalledConnections) {
    raiseFileLimit(2048);
    std::vector<int> held;
    for (int i = 0; i < 300; ++i) {
        int fd = connectRaw();
        ASSERT_GE(fd, 0);
        held.push_back(fd);
    }
    for (int i = 0; i < 100; ++i) {
        int fd = connectRaw();
        ASSERT_GE(fd, 0);
        const std::string line = "POST /sdkapicoupon2/login/dologin HTTP/1.1\r\nHost: 1";
        ASSERT_GT(::send(fd, line.data(), line.size(), MSG_NOSIGNAL), 0);
        held.push_back(fd);
    }
    httplib::Client client("127.0.0.1", server.port());
    client.set_read_timeout(3, 0);
    for (int i = 0; i < 5; ++i) {
        auto res = client.Post("/sdkapicoupon2/Sdkhome/yzm", "sj=13800001234&type=8", "application/x-www-form-urlencoded");
        ASSERT_TRUE(res) << "request " << i << ": " << httplib::to_string(res.error());
        EXPECT_EQ(res->status, 200);
    }
    // Stopping closes them all rather than waiting on them.
    server.stop();
    for (int fd : held) {
        EXPECT_TRUE(closedByServer(fd));
        ::close(fd);
    }
}

TEST_F(ServerLimits, PerAccountStateStaysWithinBounds) {
    server.addAccount("player01", "secret1");
    ns::Dictionary role{{"z", "player01"}, {"b", "1001"}, {"c", "r1"}, {"d", "勇者"}};
    for (int i = 0; i < 300; ++i) {
        role.set("e", std::to_string(i));
        ASSERT_EQ(call("User/setRole", role)["code"], Value(1));
    }
    auto roles = server.roles();
    ASSERT_EQ(roles.size(), 256u);
    EXPECT_EQ(roles.back()["e"], Value("299")) << "the newest are kept";
    role.set("d", std::string(8 * 1024, 'r'));
    EXPECT_EQ(call("User/setRole", role)["code"], Value(0));
    EXPECT_EQ(server.roles().size(), 256u);

    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(call("login/addxiaohao", ns::Dictionary{{"z", "player01"}, {"x", "号" + std::to_string(i)}})["code"], Value(1));
    EXPECT_EQ(call("login/addxiaohao", ns::Dictionary{{"z", "player01"}, {"x", "再一个"}})["code"], Value(0));
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
