#pragma once
// The test fixture every later test builds on: a fresh sandbox and main bundle per test, the
// manual clock, captured log lines, and pumping of the main run loop and background queues.

#include "os/foundation/Clock.h"
#include "os/foundation/ResetRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vx::test {

// Every test starts on the manual clock at its fixed origin: monotonic time
// ns::Clock::ManualOrigin (1000 s) and this wall time (2023-11-14 22:13:20 UTC).
inline constexpr double ManualWallStart = ns::Clock::ManualWallStart;

class SandboxTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The per-test temporary folders (removed after the test).
    const std::string& sandboxPath() const { return sandbox_; }
    const std::string& bundlePath() const { return bundle_; }

    // Log lines written during the test (ns::Log), in order.
    std::vector<std::string> logLines() const;
    bool logContains(const std::string& text) const;

    // Pumps the main run loop until `predicate` holds or `timeout` real seconds pass.
    bool runMainUntil(const std::function<bool()>& predicate, double timeout = 10);
    // Runs the main run loop until nothing is pending on it.
    void drainMain();
    // Background queues idle, then main drained, repeated until nothing moves. Fails the test
    // at once when the clock has stalled (a timer re-arming at the same instant).
    void settle();
    // Advances the manual clock, settling after each item that falls due; fails the test and
    // returns false when the clock stalls instead of reaching the end.
    bool advance(double seconds);
    bool advance(ns::TimeDelta delta);
    // Drops in-memory singletons (their registered reset hooks) so that they reload from disk.
    void restart();

private:
    std::string root_;
    std::string sandbox_;
    std::string bundle_;
};

// The same fixture under the name used for non-sandbox tests.
using Environment = SandboxTest;

// Singletons register their reset functions here (an alias of the foundation registry).
using Restart = ns::ResetRegistry;

} // namespace vx::test
