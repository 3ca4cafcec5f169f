// The stand-in server under hostile and heavy use: body limits, the bounded request log, slow
// clients and a burst of connections. Loopback only; every client here is bounded in count and time.
#include "os/foundation/URL.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"
#include "tests/server/ServerFixture.h"

#include <sys/resource.h>
#include <zlib.h>

#include <functional>

using namespace servertest;

namespace {

class ServerLimits : public ServerTest {
protected:
    // True once the server has closed the connection (looked for during at most 30 s).
    static bool closedByServer(int fd) { return readUntilClosed(fd, 30, nullptr); }
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

// A client that sends a gzip-encoded form in chunks, as slowly as it likes: each piece of text
// goes out compressed and flushed, so the server inflates it on arrival.
class GzipSender {
public:
    GzipSender(int fd, const std::string& path) : fd_(fd) {
        deflateInit2(&z_, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
        send("POST /sdkapicoupon2/" + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
             "Content-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n");
    }
    ~GzipSender() {
        deflateEnd(&z_);
        if (fd_ >= 0) ::close(fd_);
    }
    // Compressed bytes sent for text of this many bytes.
    size_t feed(const std::string& text) { return chunk(text, Z_SYNC_FLUSH); }
    // Ends the body; the server's reply.
    std::string finish() {
        chunk("", Z_FINISH);
        send("0\r\n\r\n");
        std::string reply;
        readUntilClosed(fd_, 20, &reply);
        return reply;
    }

private:
    size_t chunk(const std::string& text, int flush) {
        std::string out;
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        z_.avail_in = static_cast<uInt>(text.size());
        char buffer[16384];
        do {
            z_.next_out = reinterpret_cast<Bytef*>(buffer);
            z_.avail_out = sizeof buffer;
            deflate(&z_, flush);
            out.append(buffer, sizeof buffer - z_.avail_out);
        } while (z_.avail_out == 0);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", out.size());
        send(size + out + "\r\n");
        return out.size();
    }
    void send(const std::string& bytes) { (void)!::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    int fd_;
    z_stream z_{};
};

} // namespace

TEST_F(ServerLimits, AFormAtTheDecodedBoundReachesTheHandlersAndOneByteMoreDoesNot) {
    const size_t bound = server.limits().maxDecodedBytes;
    const std::string prefix = "sj=1&type=1&username=";
    auto sized = [&](size_t bytes) { return prefix + std::string(bytes - prefix.size(), 'u'); };
    // As sent and gzip-encoded: exactly at the bound the model's answer sees the whole form.
    auto res = post("Sdkhome/yzm", sized(bound), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(server.requests("Sdkhome/yzm").at(0).params["username"].stringValue()->size(), bound - prefix.size());
    auto packed = [&](size_t bytes) { return cxrLFCGzipUtillity::gzipData(ns::Data::fromString(sized(bytes)))->toString(); };
    res = post("Sdkhome/yzm", packed(bound), "application/x-www-form-urlencoded", {{"Content-Encoding", "gzip"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);

    res = post("Sdkhome/yzm", sized(bound + 1), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, "request body over " + std::to_string(bound) + " bytes");
    res = post("Sdkhome/yzm", packed(bound + 1), "application/x-www-form-urlencoded", {{"Content-Encoding", "gzip"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, "request body over " + std::to_string(bound) + " bytes decoded");
    EXPECT_EQ(server.requests().size(), 2u) << "refused bodies are not logged";

    // A scripted reply sees the body too; a lower bound set while the server runs holds at once.
    PlatformServer::Scripted scripted;
    scripted.jsonText = R"({"a":1,"b":"scripted"})";
    server.script("Sdkcomments/commit", scripted);
    res = post("Sdkcomments/commit", sized(20 * 1024), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, R"({"a":1,"b":"scripted"})");
    auto limits = server.limits();
    limits.maxDecodedBytes = 10 * 1024;
    server.setLimits(limits);
    res = post("Sdkcomments/commit", sized(20 * 1024), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
}

TEST_F(ServerLimits, OversizedBodiesGetA413RawOrDecoded) {
    // A small gzip body that inflates far past the bound, as transfer coding and as the scrambled layer.
    const auto limits = server.limits();
    auto bomb = cxrLFCGzipUtillity::gzipData(ns::Data::fromString(std::string(5 * limits.maxDecodedBytes, ' ')));
    ASSERT_LT(bomb->length(), limits.maxBodyBytes);
    const std::string decodedRefusal = "request body over " + std::to_string(limits.maxDecodedBytes) + " bytes decoded";
    auto res = post("Sdkhome/yzm", bomb->toString(), "application/x-www-form-urlencoded", {{"Content-Encoding", "gzip"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, decodedRefusal);
    res = post("login/dologin", bomb->toString());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, decodedRefusal);
    EXPECT_TRUE(server.requests().empty());

    // The raw bound, when a server allows more decoded than sent; a new one holds at once.
    auto wide = limits;
    wide.maxDecodedBytes = 4 * limits.maxBodyBytes;
    server.setLimits(wide);
    res = post("Sdkhome/yzm", bigForm(limits.maxBodyBytes), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body, "request body over " + std::to_string(limits.maxBodyBytes) + " bytes");
    wide.maxBodyBytes = 2 * limits.maxBodyBytes;
    server.setLimits(wide);
    res = post("Sdkhome/yzm", bigForm(limits.maxBodyBytes), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    server.setLimits(limits);

    // A gzip body within the bound is read as the form it carries.
    auto packed = cxrLFCGzipUtillity::gzipData(ns::Data::fromString("sj=1&type=1&username=zipped"));
    res = post("Sdkhome/yzm", packed->toString(), "application/x-www-form-urlencoded", {{"Content-Encoding", "gzip"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(server.requests().back().params["username"], Value("zipped"));

    // Only GET and POST are served.
    httplib::Client client("127.0.0.1", server.port());
    auto put = client.Put("/sdkapicoupon2/login/dologin", std::string(1000, 'x'), "text/html");
    ASSERT_TRUE(put);
    EXPECT_EQ(put->status, 405);
}

// A length no reader can take is refused with one status line and one set of headers.
TEST_F(ServerLimits, UnreadableLengthsAreRefusedOnceAndTheServerGoesOn) {
    const std::string start = "POST /sdkapicoupon2/login/dologin HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const std::pair<const char*, const char*> cases[] = {
        {"1e30", "HTTP/1.1 400"}, {"-1", "HTTP/1.1 400"}, {"12abc", "HTTP/1.1 400"}, {"", "HTTP/1.1 400"},
        {"99999999999999999999999", "HTTP/1.1 413"}, {"18446744073709551616", "HTTP/1.1 413"},
    };
    for (const auto& [length, status] : cases) {
        std::string reply = exchange(connectRaw(), start + "Content-Length: " + length + "\r\n\r\n");
        EXPECT_EQ(reply.substr(0, 12), status) << length;
        EXPECT_EQ(reply.find("HTTP/1.1", 1), std::string::npos) << length << ": " << reply;
        size_t body = reply.find("\r\n\r\n");
        ASSERT_NE(body, std::string::npos) << length;
        EXPECT_EQ(reply.find("Content-Length: " + std::to_string(reply.size() - body - 4)), reply.find("Content-Length:"))
            << length << ": the body is what the headers promise";
    }
    // The largest length that fits is a length like any other: refused as too long for this server,
    // at once, without waiting for a body.
    const std::string tooLong = "request body over " + std::to_string(server.limits().maxBodyBytes) + " bytes";
    for (std::string length : {std::string("18446744073709551615"), std::to_string(server.limits().maxBodyBytes + 1)}) {
        std::string reply = exchange(connectRaw(), start + "Content-Length: " + length + "\r\n\r\n");
        EXPECT_EQ(reply.substr(0, 12), "HTTP/1.1 413") << length;
        EXPECT_EQ(reply.substr(reply.size() - tooLong.size()), tooLong) << length;
        EXPECT_EQ(reply.find("HTTP/1.1", 1), std::string::npos) << reply;
    }
    auto res = post("Sdkhome/yzm", "sj=13800001234&type=8", "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
}

// Twenty connections from one address, each a few kB of gzip that inflates and then trickles:
// what they hold stays theirs, a body is let go the moment it inflates past the bound, and the
// server's budget is never theirs to use up.
TEST_F(ServerLimits, CompressedBodiesThatInflateAndTrickleStarveNoOne) {
    auto probesServed = [&] {
        int served = 0;
        for (int i = 0; i < 5; ++i) {
            auto res = post("login/dologin", DecodeGzipBase64::codingJSON(ns::Dictionary{{"z", "nobody"}, {"b", "x"}})->toString());
            served += res && res->status == 200;
        }
        return served;
    };
    auto inFlightReaches = [&](size_t bytes) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (server.inFlightBytes() != bytes && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        return server.inFlightBytes() == bytes;
    };
    const size_t held = 60 * 1024;
    const std::string text = "username=x&content=" + std::string(held - 19, 'a');
    std::vector<std::unique_ptr<GzipSender>> attackers;
    size_t sent = 0;
    for (int i = 0; i < 20; ++i) {
        attackers.push_back(std::make_unique<GzipSender>(connectRaw(true, "127.0.0.2"), "Sdkcomments/commit"));
        sent += attackers.back()->feed(text);
    }
    EXPECT_LT(sent / 20, 300u) << "a few hundred bytes each";
    ASSERT_TRUE(inFlightReaches(20 * (held + PlatformServer::InflaterBytes))) << server.inFlightBytes();
    EXPECT_EQ(probesServed(), 5);
    // Four MiB more each: refused as each passes the bound, what it held given back at once.
    for (auto& a : attackers) a->feed(std::string(4 << 20, 'a'));
    ASSERT_TRUE(inFlightReaches(0)) << server.inFlightBytes();
    EXPECT_EQ(probesServed(), 5);
    const std::string refusal = "request body over " + std::to_string(server.limits().maxDecodedBytes) + " bytes decoded";
    for (auto& a : attackers) {
        std::string reply = a->finish();
        EXPECT_EQ(reply.substr(0, 12), "HTTP/1.1 413");
        EXPECT_NE(reply.find(refusal), std::string::npos);
    }
}

TEST_F(ServerLimits, OneAddressHoldsNoMoreThanItsShareOfTheBudget) {
    auto limits = server.limits();
    limits.maxBufferedPerAddress = 256 * 1024;
    server.setLimits(limits);
    const size_t each = 60 * 1024;
    const std::string text = "username=x&content=" + std::string(each - 19, 'a');
    std::vector<std::unique_ptr<GzipSender>> attackers;
    for (int i = 0; i < 10; ++i) {
        attackers.push_back(std::make_unique<GzipSender>(connectRaw(true, "127.0.0.2"), "Sdkcomments/commit"));
        attackers.back()->feed(text);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const size_t share = each + PlatformServer::InflaterBytes; // what each holds, its inflater's state included
    while (server.inFlightBytes() < share && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    EXPECT_LE(server.inFlightBytes(), limits.maxBufferedPerAddress);
    // Another address is served in full meanwhile, a body as large as the bound included.
    auto res = post("Sdkhome/yzm", bigForm(limits.maxDecodedBytes - 21), "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    int busy = 0, answered = 0;
    for (auto& a : attackers) {
        std::string reply = a->finish();
        busy += reply.rfind("HTTP/1.1 503", 0) == 0 && reply.find("server busy") != std::string::npos;
        answered += reply.rfind("HTTP/1.1 200", 0) == 0;
    }
    EXPECT_EQ(busy + answered, 10);
    EXPECT_GE(answered, 1);
    EXPECT_LE(answered, static_cast<int>(limits.maxBufferedPerAddress / share)) << "no more than fit in the address's share";
    EXPECT_EQ(server.inFlightBytes(), 0u);
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

    // An encoded body sent in chunks is held to the raw bound as well: bytes that do not compress
    // (on a server that allows them decoded).
    auto limits = server.limits();
    limits.maxDecodedBytes = 4 * limits.maxBodyBytes;
    server.setLimits(limits);
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
    ASSERT_TRUE(signIn("player01"));
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
    using vx::server::decodeForm;
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
