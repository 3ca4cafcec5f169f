#pragma once
// Records what the web image pipeline reports (completion and progress calls, from any thread) and
// serves image bytes from the loopback server.

#include "image/VXWebImageOperation.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Thread.h"
#include "tests/support/HttpTestServer.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace webimage {

struct Call {
    ui::ImageRef image;
    ns::Ref<ns::URL> url;
    VXWebImageOrigin from = VXWebImageOriginNone;
    VXWebImagePhase phase = VXWebImagePhaseDone;
    ns::Ref<ns::Error> error;
    int64_t received = 0; // bytes reported by the last progress call before this one
    bool onMain = false;
};

class Recorder {
public:
    VXWebImageCompletionBlock completion() {
        return [s = state_](const ui::ImageRef& image, const ns::Ref<ns::URL>& url, VXWebImageOrigin from,
                            VXWebImagePhase phase, const ns::Ref<ns::Error>& error) {
            std::lock_guard lock(s->m);
            s->calls.push_back({image, url, from, phase, error, s->received, ns::Thread::isMainThread()});
        };
    }
    VXWebImageProgressBlock progress() {
        return [s = state_](int64_t received, int64_t expected) {
            std::lock_guard lock(s->m);
            s->received = received;
            s->expected = expected;
        };
    }
    std::vector<Call> calls() const {
        std::lock_guard lock(state_->m);
        return state_->calls;
    }
    // Final calls: done or cancelled.
    size_t finals() const {
        std::lock_guard lock(state_->m);
        size_t n = 0;
        for (const auto& c : state_->calls) n += c.phase != VXWebImagePhasePartial;
        return n;
    }
    std::vector<Call> partials() const {
        std::vector<Call> out;
        for (const auto& c : calls())
            if (c.phase == VXWebImagePhasePartial) out.push_back(c);
        return out;
    }
    Call last() const {
        std::lock_guard lock(state_->m);
        return state_->calls.empty() ? Call{} : state_->calls.back();
    }
    int64_t received() const {
        std::lock_guard lock(state_->m);
        return state_->received;
    }
    int64_t expected() const {
        std::lock_guard lock(state_->m);
        return state_->expected;
    }
    // Pumps the main run loop until a final call arrived.
    bool waitForFinal(size_t count = 1, double timeout = 20) const {
        return ns::RunLoop::main().runUntil([&] { return finals() >= count; }, timeout);
    }

private:
    struct State {
        mutable std::mutex m;
        std::vector<Call> calls;
        int64_t received = 0, expected = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Waits until everything already queued on the network thread has run.
inline bool syncNetworkThread(double timeout = 10) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    VXWebImageOperation::_networkThread()->perform([done] { *done = true; });
    return ns::RunLoop::main().runUntil([&] { return done->load(); }, timeout);
}

// Serves the bytes in pieces ending at the boundaries, each held back by a gate the test opens.
inline std::vector<int> serveInPieces(vx::test::HttpTestServer& server, const std::string& path,
                                      const std::vector<uint8_t>& bytes, const std::vector<size_t>& boundaries,
                                      bool announceLength = true, std::string type = "image/png") {
    using Step = vx::test::HttpTestServer::Step;
    vx::test::HttpTestServer::Reply reply;
    reply.contentType = std::move(type);
    if (announceLength) reply.contentLength = bytes.size();
    std::vector<int> gates;
    size_t from = 0;
    for (size_t end : boundaries) {
        reply.steps.push_back(Step::send(std::string(bytes.begin() + long(from), bytes.begin() + long(end))));
        gates.push_back(server.newGate());
        reply.steps.push_back(Step::wait(gates.back()));
        from = end;
    }
    reply.steps.push_back(Step::send(std::string(bytes.begin() + long(from), bytes.end())));
    server.on(path, reply);
    return gates;
}

// An image reply; without a type, "image/png".
inline vx::test::HttpTestServer::Reply imageReply(const std::vector<uint8_t>& bytes, std::string type = "image/png") {
    return vx::test::HttpTestServer::Reply::text(200, std::string(bytes.begin(), bytes.end()), std::move(type));
}

} // namespace webimage
