#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"
#include "tests/support/Environment.h"

#include <string>
#include <vector>

namespace {

using vx::test::SandboxTest;

class ClockTest : public SandboxTest {};

TEST_F(ClockTest, ManualTimeMovesOnlyWhenAdvanced) {
    double start = ns::Clock::now();
    EXPECT_EQ(ns::Clock::now(), start);
    EXPECT_DOUBLE_EQ(ns::Clock::wallNow(), vx::test::ManualWallStart);
    advance(2.5);
    EXPECT_DOUBLE_EQ(ns::Clock::now(), start + 2.5);
    EXPECT_EQ(ns::Clock::wallMillis(), static_cast<int64_t>(vx::test::ManualWallStart * 1000) + 2500);
}

TEST_F(ClockTest, AdvanceFiresInDueOrderAtEachDeadline) {
    double t0 = ns::Clock::now();
    std::vector<std::pair<std::string, double>> fired;
    auto at = [&](double offset, std::string name) {
        ns::Clock::schedule(t0 + offset, [&fired, name] { fired.emplace_back(name, ns::Clock::now()); });
    };
    at(3, "a");
    at(1, "b");
    at(3, "c"); // same deadline as "a": scheduling order decides
    at(2, "d");
    ns::Clock::advance(5);
    std::vector<std::pair<std::string, double>> expected{{"b", t0 + 1}, {"d", t0 + 2}, {"a", t0 + 3}, {"c", t0 + 3}};
    EXPECT_EQ(fired, expected);
    EXPECT_DOUBLE_EQ(ns::Clock::now(), t0 + 5);
}

TEST_F(ClockTest, ItemScheduledWhileAdvancingFiresInTheSameStep) {
    double t0 = ns::Clock::now();
    double chained = 0;
    ns::Clock::schedule(t0 + 1, [&] {
        ns::Clock::schedule(ns::Clock::now() + 0.5, [&] { chained = ns::Clock::now(); });
    });
    ns::Clock::advance(2);
    EXPECT_DOUBLE_EQ(chained, t0 + 1.5);
}

TEST_F(ClockTest, CancelledItemNeverFires) {
    bool fired = false;
    size_t before = ns::Clock::pendingCount();
    auto token = ns::Clock::schedule(ns::Clock::now() + 1, [&] { fired = true; });
    EXPECT_EQ(ns::Clock::pendingCount(), before + 1);
    ns::Clock::cancel(token);
    ns::Clock::cancel(token); // twice is harmless
    EXPECT_EQ(ns::Clock::pendingCount(), before);
    advance(2);
    EXPECT_FALSE(fired);
}

TEST_F(ClockTest, ItemAlreadyDueFiresWithoutAdvancing) {
    bool ran = false;
    double t0 = ns::Clock::now();
    ns::Clock::schedule(t0 - 1, [&] { ns::RunLoop::main().perform([&] { ran = true; }); });
    EXPECT_TRUE(runMainUntil([&] { return ran; }));
    EXPECT_EQ(ns::Clock::now(), t0);
}

TEST_F(ClockTest, RealModeFiresOnTheClockThread) {
    ns::Clock::setManual(false);
    bool ran = false;
    double t0 = ns::Clock::now();
    double firedAt = 0;
    ns::Clock::schedule(t0 + 0.01, [&] {
        firedAt = ns::Clock::now();
        ns::RunLoop::main().perform([&] { ran = true; });
    });
    bool ok = runMainUntil([&] { return ran; }, 5);
    ns::Clock::setManual(true, vx::test::ManualWallStart);
    ASSERT_TRUE(ok);
    EXPECT_GE(firedAt, t0 + 0.01);
}

} // namespace
