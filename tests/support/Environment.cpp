#include "tests/support/Environment.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Bundle.h"
#include "os/foundation/Clock.h"
#include "os/foundation/Log.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Sandbox.h"
#include "os/foundation/WorkerPool.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace vx::test {
namespace {

// Real-time bound of one settle: background work that runs longer is a test bug.
constexpr double SettleLimit = 30;
// A main-queue block that keeps re-posting itself would never drain.
constexpr int DrainLimit = 100000;

struct LogCapture {
    std::mutex m;
    std::vector<std::string> lines;
    ns::Log::Sink previous;
};

LogCapture& capture() {
    static LogCapture* c = new LogCapture;
    return *c;
}

double realNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The fixed origin, or VX_TEST_CLOCK_ORIGIN seconds: CI runs the suites from several origins to
// show that no outcome depends on where the clock starts.
ns::TimeTicks manualOrigin() {
    static const ns::TimeTicks origin = [] {
        const char* text = std::getenv("VX_TEST_CLOCK_ORIGIN");
        char* end = nullptr;
        double seconds = text ? std::strtod(text, &end) : 0;
        if (!text || end == text || !(seconds >= 0)) return ns::Clock::ManualOrigin;
        return ns::TimeTicks::fromSeconds(seconds);
    }();
    return origin;
}

bool backgroundIdle() { return dispatch::isIdle() && ns::WorkerPool::isIdle() && ns::Clock::isIdle(); }

} // namespace

void SandboxTest::SetUp() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "vx-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    sandbox_ = root_ + "/home";
    bundle_ = root_ + "/Main.app";
    fs::create_directories(sandbox_);
    fs::create_directories(bundle_);
    ns::setSandboxRoot(sandbox_);
    ns::Bundle::setMainBundlePath(bundle_);

    ns::Clock::setManual(true, ManualWallStart, manualOrigin());
    {
        std::lock_guard lock(capture().m);
        capture().lines.clear();
    }
    capture().previous = ns::Log::setSink([](const std::string& line) {
        std::lock_guard lock(capture().m);
        capture().lines.push_back(line);
    });
    // Singletons of an earlier test pointed at its sandbox.
    ns::ResetRegistry::resetAll();
}

void SandboxTest::TearDown() {
    settle();
    ns::ResetRegistry::resetAll();
    settle();
    ns::Log::setSink(capture().previous);
    if (HasFailure()) {
        for (const auto& line : logLines()) std::fprintf(stderr, "log: %s\n", line.c_str());
    }
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::vector<std::string> SandboxTest::logLines() const {
    std::lock_guard lock(capture().m);
    return capture().lines;
}

bool SandboxTest::logContains(const std::string& text) const {
    std::lock_guard lock(capture().m);
    for (const auto& line : capture().lines) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

bool SandboxTest::runMainUntil(const std::function<bool()>& predicate, double timeout) {
    return ns::RunLoop::main().runUntil(predicate, timeout);
}

void SandboxTest::drainMain() {
    for (int i = 0; i < DrainLimit && ns::RunLoop::main().runOnce(0); ++i) {
    }
}

void SandboxTest::settle() {
    auto& main = ns::RunLoop::main();
    const double end = realNow() + SettleLimit;
    int quiet = 0;
    // Two quiet rounds in a row: work finishing on one side may just have posted to the other.
    while (quiet < 2) {
        if (ns::Clock::isStalled()) {
            ADD_FAILURE() << "the clock stalled: items keep falling due at " << ns::Clock::now() << " s";
            return;
        }
        bool ran = false;
        for (int i = 0; i < DrainLimit && main.runOnce(0); ++i) ran = true;
        if (!ran && backgroundIdle() && !main.hasPendingWork()) {
            ++quiet;
            continue;
        }
        quiet = 0;
        if (realNow() > end) {
            ADD_FAILURE() << "background work did not settle within " << SettleLimit << " s";
            return;
        }
        // Waits for background threads: until the pool goes idle, or (when it is) until something
        // is posted to the main loop; a millisecond at most either way.
        if (!ran) {
            if (!ns::WorkerPool::isIdle()) ns::WorkerPool::waitUntilIdle(0.001);
            else main.runOnce(0.001);
        }
    }
}

bool SandboxTest::advance(double seconds) { return advance(ns::TimeDelta::fromSeconds(seconds)); }

bool SandboxTest::advance(ns::TimeDelta delta) {
    settle();
    bool reached = ns::Clock::advance(delta, [this] { settle(); });
    if (!reached) ADD_FAILURE() << "the clock stalled at " << ns::Clock::now() << " s while advancing";
    settle();
    return reached;
}

void SandboxTest::restart() {
    settle();
    ns::ResetRegistry::resetAll();
    settle();
}

} // namespace vx::test
