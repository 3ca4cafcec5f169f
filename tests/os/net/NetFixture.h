#pragma once
// os/net tests: a loopback server per test; session completions run on the pumped main queue.

#include "os/foundation/OperationQueue.h"
#include "os/net/URLProtocol.h"
#include "os/net/URLSession.h"
#include "tests/support/Environment.h"
#include "tests/support/HttpTestServer.h"

#include <gtest/gtest.h>

namespace vx::test {

using Step = HttpTestServer::Step;
using Reply = HttpTestServer::Reply;

struct FetchResult {
    int calls = 0;
    ns::DataRef data;
    ns::Ref<ns::URLResponse> response;
    ns::Ref<ns::Error> error;

    ns::Ref<ns::HTTPURLResponse> http() const { return std::dynamic_pointer_cast<ns::HTTPURLResponse>(response); }
    std::string body() const { return data ? data->toString() : std::string(); }
    long errorCode() const { return error ? error->code() : 0; }
};

class NetTest : public SandboxTest {
protected:
    void TearDown() override {
        ns::URLProtocolRegistry::unregisterAll();
        SandboxTest::TearDown();
    }

    ns::Ref<ns::URLSession> makeSession(ns::Ref<ns::URLSessionConfiguration> configuration = nullptr) {
        if (!configuration) configuration = ns::URLSessionConfiguration::defaultSessionConfiguration();
        return ns::URLSession::sessionWithConfiguration(configuration, nullptr, ns::OperationQueue::mainQueue());
    }

    ns::Ref<ns::URLRequest> request(const std::string& path) {
        return ns::URLRequest::requestWithURL(ns::URL::fromString(server.url(path)));
    }

    // Starts a data task whose completion fills `result`.
    static ns::Ref<ns::URLSessionDataTask> start(const ns::Ref<ns::URLSession>& session, const ns::Ref<ns::URLRequest>& req,
                                                 const std::shared_ptr<FetchResult>& result) {
        auto task = session->dataTask(req, [result](const ns::DataRef& data, const ns::Ref<ns::URLResponse>& response,
                                                    const ns::Ref<ns::Error>& error) {
            ++result->calls;
            result->data = data;
            result->response = response;
            result->error = error;
        });
        task->resume();
        return task;
    }

    // Runs one data task to completion (10 s real-time bound).
    FetchResult fetch(const ns::Ref<ns::URLSession>& session, const ns::Ref<ns::URLRequest>& req) {
        auto result = std::make_shared<FetchResult>();
        start(session, req, result);
        EXPECT_TRUE(runMainUntil([&] { return result->calls > 0; }));
        return *result;
    }

    FetchResult fetch(const std::string& path) { return fetch(makeSession(), request(path)); }

    HttpTestServer server;
};

} // namespace vx::test
