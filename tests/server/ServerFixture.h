#pragma once
// The stand-in server on loopback and the three ways its tests speak to it.
#include "os/foundation/Clock.h"
#include "os/foundation/JSONSerialization.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "server/PlatformServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace servertest {

using ns::Value;
using server::PlatformServer;

// The clock in manual mode while the fixture that has one lives, so tests move the server's time
// with ns::Clock::advance; a member of a fixture, it is set before the server starts.
struct ManualClock {
    ManualClock() { ns::Clock::setManual(true, 1700000000); }
    ~ManualClock() { ns::Clock::setManual(false); }
};

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    httplib::Result post(const std::string& path, const std::string& body, const char* type = "text/html",
                         httplib::Headers headers = {}) {
        httplib::Client client("127.0.0.1", server.port());
        client.set_read_timeout(20, 0);
        return client.Post((std::string(PlatformServer::BasePath) + path).c_str(), headers, body, type);
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
};

} // namespace servertest
