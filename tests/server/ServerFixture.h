#pragma once
// The stand-in server on loopback and the three ways its tests speak to it.
#include "os/foundation/Clock.h"
#include "os/foundation/JSONSerialization.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "server/PlatformServer.h"

#include <gtest/gtest.h>

#include <optional>
#include <httplib.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace servertest {

using ns::Value;
using vx::server::PlatformServer;

// The clock in manual mode while the fixture that has one lives, so tests move the server's time
// with ns::Clock::advance; a member of a fixture, it is set before the server starts.
struct ManualClock {
    ManualClock() { ns::Clock::setManual(true, 1700000000); }
    ~ManualClock() { ns::Clock::setManual(false); }
};

// Reads from the socket until the server closes it (true) or the seconds are over (false).
inline bool readUntilClosed(int fd, int seconds, std::string* reply) {
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

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    // Sends the session's cookie once signed in, unless the headers carry a Cookie of their own.
    httplib::Result post(const std::string& path, const std::string& body, const char* type = "text/html",
                         httplib::Headers headers = {}) {
        httplib::Client client("127.0.0.1", server.port());
        client.set_read_timeout(20, 0);
        if (!session.empty() && !headers.count("Cookie")) headers.emplace("Cookie", session);
        return client.Post((std::string(PlatformServer::BasePath) + path).c_str(), headers, body, type);
    }
    // Logs in by password as the player (made with that password when the server has no such
    // account), as the SDK does, and keeps the session's cookie for the requests that follow.
    bool signIn(const std::string& name, const std::string& password = "secret1") {
        if (!server.account(name)) server.addAccount(name, password);
        session.clear();
        auto res = post("login/dologin", DecodeGzipBase64::codingJSON(ns::Dictionary{{"z", name}, {"b", password}})->toString());
        if (!res || DecodeGzipBase64::decodingJSON(ns::Data::fromString(res->body))["z"] != Value(1)) return false;
        std::string cookie = res->get_header_value("Set-Cookie");
        session = cookiePair(cookie);
        player = name;
        return !session.empty();
    }
    // Signs in as the player unless that is whom the session is for already.
    bool as(const std::string& name) { return (player == name && !session.empty()) || signIn(name); }
    void signOut() { session.clear(), player.clear(); }

    // "name=value" of a Set-Cookie value, as a later request sends it back.
    static std::string cookiePair(const std::string& setCookie) { return setCookie.substr(0, setCookie.find(';')); }
    // A GET of the path (from "/"); the reply, or none.
    httplib::Result fetch(const std::string& path, const httplib::Headers& headers = {}) {
        httplib::Client client("127.0.0.1", server.port());
        return client.Get(path, headers);
    }
    // The body of a GET of the path, "no reply" when none came.
    std::string fetchBody(const std::string& path, const httplib::Headers& headers = {}) {
        auto res = fetch(path, headers);
        return res ? res->body : "no reply";
    }

    // A socket connected to the server, not yet sending anything; from another loopback address
    // ("127.0.0.2") when given, as a second client machine would be.
    int connectRaw(bool blocking = true, const char* from = nullptr) {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) return -1;
        if (from) {
            sockaddr_in source{};
            source.sin_family = AF_INET;
            ::inet_pton(AF_INET, from, &source.sin_addr);
            if (::bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
                ::close(fd);
                return -1;
            }
        }
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
    static std::string exchange(int fd, const std::string& text) {
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
    // A POST from another loopback address; the reply's body, none when no reply came.
    std::optional<std::string> postFrom(const char* address, const std::string& path, const std::string& contentType,
                                        const std::string& body) {
        std::string reply = exchange(connectRaw(true, address),
                                     "POST " + std::string(PlatformServer::BasePath) + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                     "Content-Type: " + contentType + "\r\nContent-Length: " +
                                         std::to_string(body.size()) + "\r\n\r\n" + body);
        size_t start = reply.find("\r\n\r\n");
        if (start == std::string::npos) return std::nullopt;
        return reply.substr(start + 4);
    }
    // A form request from another loopback address; its JSON reply.
    Value formFrom(const char* address, const std::string& path, const std::string& body) {
        auto reply = postFrom(address, path, "application/x-www-form-urlencoded", body);
        return reply ? ns::JSONSerialization::parse(ns::Data::fromString(*reply)) : Value("no reply");
    }
    // A scrambled request from another loopback address, as the SDK sends it; the decoded reply.
    Value callFrom(const char* address, const std::string& path, const Value& params) {
        auto reply = postFrom(address, path, "text/html", DecodeGzipBase64::codingJSON(params)->toString());
        return reply ? DecodeGzipBase64::decodingJSON(ns::Data::fromString(*reply)) : Value("no reply");
    }
    // A scrambled request as the SDK sends it (JSON values as they are); the decoded reply.
    Value call(const std::string& path, const Value& params) {
        auto res = post(path, DecodeGzipBase64::codingJSON(params)->toString());
        return res ? DecodeGzipBase64::decodingJSON(ns::Data::fromString(res->body)) : Value("no reply");
    }
    // A form request as the plain transport sends it; the JSON reply.
    Value form(const std::string& path, const std::string& body) {
        auto res = post(path, body, "application/x-www-form-urlencoded");
        return res ? ns::JSONSerialization::parse(ns::Data::fromString(res->body)) : Value("no reply");
    }
    Value formFields(const std::string& path, const std::vector<std::pair<std::string, std::string>>& fields) {
        std::string body;
        for (const auto& [k, v] : fields) body += (body.empty() ? "" : "&") + k + "=" + httplib::detail::encode_query_param(v);
        return form(path, body);
    }

    PlatformServer server;
    std::string session; // "vx_session=<id>" while signed in
    std::string player;  // whom it is for
};

} // namespace servertest
