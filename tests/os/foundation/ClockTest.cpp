#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Timer.h"
#include "tests/support/Environment.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using ClockTest = vx::test::SandboxTest;

using ns::TimeDelta;
using ns::TimeTicks;

// Origins that broke deadlines kept in double seconds (200 s, 400 s, 25 h, 139 days, 95 years).
const double kOrigins[] = {0, 200, 400, 90000, 1.2e7, 3e9};

TEST(TimeTicks, SecondsRoundToTheNearestNanosecondAndSumsAreExact) {
    EXPECT_EQ(TimeDelta::fromSeconds(0.3).inNanoseconds(), 300'000'000);
    EXPECT_EQ(TimeDelta::fromSeconds(2.29).inNanoseconds(), 2'290'000'000);
    EXPECT_EQ(TimeDelta::fromSeconds(1.0 / 60).inNanoseconds(), 16'666'667);
    EXPECT_EQ(TimeDelta::fromSeconds(-0.0000000004).inNanoseconds(), 0);
    EXPECT_EQ(TimeDelta::fromSeconds(std::nan("")), TimeDelta());
    EXPECT_EQ(TimeTicks::fromSeconds(1700000000.25).inNanoseconds(), 1'700'000'000'250'000'000);
    EXPECT_EQ(TimeDelta::fromSeconds(0.1) + TimeDelta::fromSeconds(0.2), TimeDelta::fromSeconds(0.3));
    EXPECT_EQ(TimeDelta::fromSeconds(2.5).inSeconds(), 2.5);
    EXPECT_EQ(TimeTicks::fromSeconds(3e9).inSeconds(), 3e9);
    // Out of range saturates instead of wrapping.
    EXPECT_EQ(TimeDelta::fromSeconds(1e300), TimeDelta::max());
    EXPECT_EQ(TimeTicks::fromSeconds(3e9) + TimeDelta::max(), TimeTicks::max());
    EXPECT_EQ(TimeDelta::fromSeconds(-1e300) - TimeDelta::fromSeconds(1), TimeDelta::min());
}

TEST_F(ClockTest, ManualModeStartsAtTheFixedOriginWhateverTheUptimeOrOneTheTestChooses) {
    ns::Clock::advance(2.5);
    ns::Clock::setManual(true, vx::test::ManualWallStart); // what every test fixture does
    EXPECT_EQ(ns::Clock::nowTicks(), ns::Clock::ManualOrigin);
    EXPECT_EQ(ns::Clock::now(), 1000.0);
    EXPECT_EQ(ns::Clock::wallMillis(), 1'700'000'000'000);
    ns::Clock::advance(2.5); // and moves only when advanced
    EXPECT_EQ(ns::Clock::now(), 1002.5);
    EXPECT_EQ(ns::Clock::wallMillis(), 1'700'000'002'500);

    // A test may choose another origin; pending items keep their remaining time.
    bool fired = false;
    ns::Clock::schedule(ns::Clock::nowTicks() + TimeDelta::fromMilliseconds(1500), [&] { fired = true; });
    ns::Clock::advance(1.0);
    ns::Clock::setManual(true, 1800000000, TimeTicks::fromSeconds(3e9));
    EXPECT_EQ(ns::Clock::now(), 3e9);
    EXPECT_EQ(ns::Clock::wallNow(), 1800000000);
    EXPECT_TRUE(ns::Clock::advance(0.4));
    EXPECT_FALSE(fired);
    EXPECT_TRUE(ns::Clock::advance(0.1));
    EXPECT_TRUE(fired);
}

TEST_F(ClockTest, ADeadlineOfNowPlusAPlusBFallsDueExactlyAfterAdvancingAThenBFromAnyOrigin) {
    const std::pair<double, double> steps[] = {{0.3, 2.0}, {2.29, 0.01}, {0.1, 0.2}, {0.35, 0.35}, {1.0 / 3, 2.0 / 3}};
    for (double origin : kOrigins) {
        ns::Clock::setManual(true, vx::test::ManualWallStart, TimeTicks::fromSeconds(origin));
        for (auto [a, b] : steps) {
            SCOPED_TRACE(testing::Message() << "origin " << origin << " s, " << a << " + " << b);
            TimeTicks due;
            ns::Clock::schedule(ns::Clock::nowTicks() + TimeDelta::fromSeconds(a) + TimeDelta::fromSeconds(b),
                                [&] { due = ns::Clock::nowTicks(); });
            ns::Clock::advance(a);
            EXPECT_EQ(due, TimeTicks());
            ns::Clock::advance(b);
            EXPECT_EQ(due, ns::Clock::nowTicks());
        }
    }
}

TEST_F(ClockTest, RepeatsStayOnTheirGridAfterAMillionOfThem) {
    ns::Clock::setManual(true, vx::test::ManualWallStart, TimeTicks::fromSeconds(3e9));
    const TimeTicks start = ns::Clock::nowTicks();
    // On the clock itself: each repeat is due 2 s after the last one's deadline.
    int64_t repeats = 0;
    TimeTicks last;
    std::function<void()> repeat = [&] {
        last = ns::Clock::nowTicks();
        if (++repeats < 1'000'000) ns::Clock::schedule(last + TimeDelta::fromSeconds(2.0), repeat);
    };
    ns::Clock::schedule(start + TimeDelta::fromSeconds(2.0), repeat);
    EXPECT_TRUE(ns::Clock::advance(2.0 * 1'000'000));
    EXPECT_EQ(repeats, 1'000'000);
    EXPECT_EQ(last, start + TimeDelta::fromSeconds(2) * 1'000'000);

    // A run-loop timer (each fire goes through the main loop, so fewer of them).
    int64_t fired = 0;
    auto timer = ns::Timer::scheduled(0.1, true, [&](ns::Timer&) { ++fired; });
    const TimeTicks first = timer->fireTime();
    EXPECT_TRUE(ns::Clock::advance(0.1 * 10'000, [this] { drainMain(); }));
    EXPECT_EQ(fired, 10'000);
    EXPECT_EQ(timer->fireTime(), first + TimeDelta::fromMilliseconds(100) * 10'000);
    timer->invalidate();
}

TEST_F(ClockTest, AnItemThatKeepsReArmingAtTheSameInstantStallsTheClockInsteadOfHangingIt) {
    bool rearm = true;
    size_t fires = 0;
    ns::Clock::Token token = 0;
    std::function<void()> again = [&] {
        ++fires;
        if (rearm) token = ns::Clock::schedule(ns::Clock::nowTicks(), again);
    };
    token = ns::Clock::schedule(ns::Clock::nowTicks() + TimeDelta::fromSeconds(1), again);
    const double before = ns::Clock::now();
    EXPECT_FALSE(ns::Clock::advance(5.0));
    EXPECT_TRUE(ns::Clock::isStalled());
    EXPECT_EQ(ns::Clock::now(), before + 1); // left at the stuck instant
    EXPECT_GE(fires, ns::Clock::StallLimit);
    rearm = false;
    ns::Clock::cancel(token);
    ns::Clock::setManual(true); // a fresh start clears the stall
    EXPECT_FALSE(ns::Clock::isStalled());
    EXPECT_TRUE(ns::Clock::advance(5.0));
}

TEST_F(ClockTest, AdvanceFiresInDueOrderAtEachDeadlineAndNeverACancelledItem) {
    double t0 = ns::Clock::now();
    const size_t before = ns::Clock::pendingCount();
    std::vector<std::pair<std::string, double>> fired;
    auto at = [&](double offset, std::string name) {
        ns::Clock::schedule(t0 + offset, [&fired, name] { fired.emplace_back(name, ns::Clock::now()); });
    };
    at(3, "a");
    at(1, "b");
    at(3, "c"); // same deadline as "a": scheduling order decides
    at(2, "d");
    auto token = ns::Clock::schedule(t0 + 2, [&] { fired.emplace_back("cancelled", 0); });
    EXPECT_EQ(ns::Clock::pendingCount(), before + 5);
    ns::Clock::cancel(token);
    ns::Clock::cancel(token); // twice is harmless
    EXPECT_EQ(ns::Clock::pendingCount(), before + 4);
    ns::Clock::advance(5);
    std::vector<std::pair<std::string, double>> expected{{"b", t0 + 1}, {"d", t0 + 2}, {"a", t0 + 3}, {"c", t0 + 3}};
    EXPECT_EQ(fired, expected);
    EXPECT_DOUBLE_EQ(ns::Clock::now(), t0 + 5);
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
