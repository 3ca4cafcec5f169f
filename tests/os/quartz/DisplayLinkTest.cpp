// Display links, media time and transactions under the manual clock.
#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"
#include "os/quartz/DisplayLink.h"
#include "os/quartz/MediaTime.h"
#include "os/quartz/Transaction.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class DisplayLinkTest : public vx::test::Environment {
protected:
    // A link on the main run loop that records each call's timestamp.
    ca::DisplayLinkRef makeLink(const ns::RunLoopMode& mode = ns::DefaultRunLoopMode) {
        auto link = ca::DisplayLink::displayLinkWithTarget([this](ca::DisplayLink& l) { stamps.push_back(l.timestampTicks()); });
        link->addToRunLoop(ns::RunLoop::main(), mode);
        return link;
    }
    std::vector<ns::TimeTicks> stamps;
};

TEST_F(DisplayLinkTest, CallsOncePerFrameAsTheClockAdvances) {
    auto link = makeLink();
    advance(1.0);
    ASSERT_EQ(stamps.size(), 60u);
    // Frames sit on the 60 Hz grid, each to the nearest nanosecond.
    for (size_t i = 1; i < stamps.size(); ++i) {
        EXPECT_NEAR((stamps[i] - stamps[i - 1]).inNanoseconds(), 16'666'667, 1);
    }
    EXPECT_DOUBLE_EQ(link->duration(), 1.0 / 60);
    EXPECT_LE(stamps.back(), ns::Clock::nowTicks());
    EXPECT_EQ(ca::mediaTime(), ns::Clock::now());
    EXPECT_NEAR((link->targetTimestampTicks() - stamps.back()).inNanoseconds(), 16'666'667, 1);
    EXPECT_EQ(link->timestamp(), stamps.back().inSeconds());

    stamps.clear();
    link->setFrameInterval(2);
    advance(1.0);
    EXPECT_EQ(stamps.size(), 30u);

    stamps.clear();
    link->setPreferredFramesPerSecond(20);
    EXPECT_EQ(link->frameInterval(), 3);
    advance(1.0);
    EXPECT_EQ(stamps.size(), 20u);
    link->invalidate();
}

TEST_F(DisplayLinkTest, FramesDueWhileTheLoopWasBusyAllArrive) {
    auto link = makeLink();
    ns::Clock::advance(0.5); // nothing pumps the main loop meanwhile
    EXPECT_TRUE(stamps.empty());
    drainMain();
    EXPECT_EQ(stamps.size(), 30u);
    link->invalidate();
}

TEST_F(DisplayLinkTest, PausedLinkGetsNoCalls) {
    auto link = makeLink();
    link->setPaused(true);
    advance(1.0);
    EXPECT_TRUE(stamps.empty());

    link->setPaused(false);
    advance(0.5);
    EXPECT_EQ(stamps.size(), 30u);

    // Frames already handed to the loop are dropped when the link pauses before they run.
    stamps.clear();
    ns::Clock::advance(0.1);
    link->setPaused(true);
    drainMain();
    EXPECT_TRUE(stamps.empty());
    link->invalidate();
}

TEST_F(DisplayLinkTest, OnlyTheModesItWasAddedIn) {
    auto link = makeLink(ns::TrackingRunLoopMode);
    advance(0.5); // the main loop runs in the default mode here
    EXPECT_TRUE(stamps.empty());
    link->addToRunLoop(ns::RunLoop::main(), ns::RunLoopCommonModes);
    advance(0.5);
    EXPECT_EQ(stamps.size(), 30u);
    link->removeFromRunLoop(ns::RunLoop::main(), ns::RunLoopCommonModes);
    advance(0.5);
    EXPECT_EQ(stamps.size(), 30u);
    link->invalidate();
}

TEST_F(DisplayLinkTest, TheRunLoopOwnsTheLinkUntilInvalidateWhichReleasesTheTarget) {
    auto target = std::make_shared<int>(0);
    auto link = ca::DisplayLink::displayLinkWithTarget([target](ca::DisplayLink&) { ++*target; });
    link->addToRunLoop(ns::RunLoop::main(), ns::DefaultRunLoopMode);
    ns::Weak<ca::DisplayLink> weakLink = link;
    link.reset();
    ASSERT_FALSE(weakLink.expired());

    advance(0.1);
    EXPECT_EQ(*target, 6);

    weakLink.lock()->invalidate();
    EXPECT_TRUE(weakLink.expired());
    EXPECT_EQ(target.use_count(), 1); // the link's copy is gone
    advance(0.5);
    EXPECT_EQ(*target, 6);

    // Invalidating from inside the call stops the calls that follow; invalidation is final.
    int calls = 0;
    auto link2 = ca::DisplayLink::displayLinkWithTarget([&calls](ca::DisplayLink& l) {
        if (++calls == 3) l.invalidate();
    });
    link2->addToRunLoop(ns::RunLoop::main(), ns::DefaultRunLoopMode);
    advance(1.0);
    link2->addToRunLoop(ns::RunLoop::main(), ns::DefaultRunLoopMode);
    advance(0.2);
    EXPECT_EQ(calls, 3);
}

TEST(Transaction, DisableActionsNestsAndTheImplicitOneIsCommittedByFlush) {
    EXPECT_FALSE(ca::Transaction::disableActions());
    ca::Transaction::begin();
    ca::Transaction::setDisableActions(true);
    ca::Transaction::begin();
    EXPECT_TRUE(ca::Transaction::disableActions()); // inherited
    ca::Transaction::setDisableActions(false);
    ca::Transaction::commit();
    EXPECT_TRUE(ca::Transaction::disableActions());
    ca::Transaction::commit();
    EXPECT_FALSE(ca::Transaction::disableActions());

    ca::Transaction::setDisableActions(true); // the implicit transaction
    EXPECT_TRUE(ca::Transaction::disableActions());
    ca::Transaction::flush();
    EXPECT_FALSE(ca::Transaction::disableActions());
}

} // namespace
