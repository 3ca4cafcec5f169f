// The animated image view: playback on the display link under the manual clock, loops, the frame
// buffer's size and trimming, memory warnings, slots, contents rectangles and coding.

#include "ImageBytes.h"
#include "image/VXAnimatedImageView.h"
#include "image/VXImage.h"
#include "image/VXSpriteSheetImage.h"
#include "os/foundation/Clock.h"
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"
#include "os/foundation/NotificationCenter.h"
#include "os/foundation/Random.h"
#include "os/uikit/Application.h"
#include "os/uikit/Device.h"
#include "os/uikit/Window.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

using namespace imagebytes;

namespace {

constexpr double kTick = 1.0 / 60;
constexpr size_t kMiB = 1024 * 1024;

// A GIF of solid frames cycling red, green, blue, white.
ns::Ref<VXImage> solidGIF(int size, const std::vector<int>& delays, std::optional<int> loops = 0) {
    std::vector<SolidGifFrame> frames;
    for (size_t i = 0; i < delays.size(); ++i) frames.push_back({size, size, delays[i], uint8_t(i % 4)});
    return VXImage::imageWithData(dataOf(gif(size, size, frames, loops)), 1);
}

class AnimatedImageView : public vx::test::SandboxTest {
protected:
    void TearDown() override {
        ui::Device::currentDevice().reset();
        if (window) window->setHidden(true);
        SandboxTest::TearDown();
    }
    // The view shown in a window, recording every index change with its time.
    VXAnimatedImageViewRef shown(const ui::ImageRef& image) {
        auto view = VXAnimatedImageView::create(cg::RectMake(0, 0, 8, 8));
        view->setImage(image);
        window = ui::View::create<ui::Window>(cg::RectMake(0, 0, 100, 100));
        window->makeKeyAndVisible();
        window->addSubview(view);
        ns::Weak<VXAnimatedImageView> weak = view;
        view->addObserver(view, "currentAnimatedImageIndex", [this, weak](const std::string&) {
            changes.push_back({weak.lock()->currentAnimatedImageIndex(), ns::Clock::nowTicks()});
        });
        return view;
    }
    Rgba shownPixel(const VXAnimatedImageViewRef& view) { return pixelAt(view->layer()->contents(), 0, 0); }

    ns::Ref<ui::Window> window;
    std::vector<std::pair<size_t, ns::TimeTicks>> changes;
};

} // namespace

TEST_F(AnimatedImageView, PlaysFramesForTheirDurations) {
    auto view = shown(solidGIF(4, {10, 20, 30}));
    EXPECT_TRUE(view->isAnimating());
    drainMain();
    EXPECT_EQ(shownPixel(view), kRed);
    ns::TimeTicks start = ns::Clock::nowTicks();
    advance(1.25);
    ASSERT_GE(changes.size(), 4u);
    const double durations[] = {0.1, 0.2, 0.3};
    ns::TimeTicks last = start;
    for (size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].first, (i + 1) % 3);
        size_t shownIndex = i % 3;
        // A frame is shown at least its duration; the first fetch may cost a tick.
        double shownFor = (changes[i].second - last).inSeconds();
        EXPECT_GE(shownFor, durations[shownIndex] - 1e-9);
        EXPECT_LE(shownFor, durations[shownIndex] + 2 * kTick + 1e-9);
        last = changes[i].second;
    }
    const Rgba colours[] = {kRed, kGreen, kBlue};
    EXPECT_EQ(shownPixel(view), colours[view->currentAnimatedImageIndex()]);
}

TEST_F(AnimatedImageView, LoopCountEndsOnTheLastFrame) {
    auto view = shown(solidGIF(4, {10, 10, 10}, 2));
    advance(2.0);
    EXPECT_FALSE(view->isAnimating());
    EXPECT_EQ(view->currentAnimatedImageIndex(), 2u);
    EXPECT_EQ(shownPixel(view), kBlue);
    EXPECT_EQ(changes.size(), 5u); // 1 2 0 1 2
    // Starting again plays further passes.
    view->startAnimating();
    advance(0.2);
    EXPECT_TRUE(view->isAnimating());
    EXPECT_NE(view->currentAnimatedImageIndex(), 2u);
}

TEST_F(AnimatedImageView, BufferSizeFollowsMemory) {
    auto& device = ui::Device::currentDevice();
    device.setPhysicalMemory(80 * kMiB); // 20 %: 16 MiB
    device.setFreeMemory(int64_t(1) << 40);
    auto big = solidGIF(512, std::vector<int>(20, 2)); // 1 MiB per frame
    ASSERT_EQ(big->animatedImageBytesPerFrame(), kMiB);
    auto view = shown(big);
    EXPECT_EQ(view->maxBufferCount(), 16u);

    // The buffer cannot hold all 20: shown frames leave it.
    advance(1.0);
    auto buffered = view->bufferedFrameIndexes();
    EXPECT_LE(buffered.size(), 16u);
    EXPECT_EQ(std::count(buffered.begin(), buffered.end(), view->currentAnimatedImageIndex()), 0);

    device.setFreeMemory(-1); // unknown: the 10 MiB floor
    view->setImage(nullptr);
    view->setImage(big);
    EXPECT_EQ(view->maxBufferCount(), 10u);
    view->setMaxBufferSize(4 * kMiB);
    view->setImage(nullptr);
    view->setImage(big);
    EXPECT_EQ(view->maxBufferCount(), 4u);

    view->setImage(solidGIF(1, std::vector<int>(600, 2)));
    EXPECT_EQ(view->maxBufferCount(), 512u);
}

TEST_F(AnimatedImageView, MemoryWarningAndBackgroundKeepOnlyTheNextFrame) {
    ns::Random::seed(7);
    auto view = shown(solidGIF(2, std::vector<int>(12, 5)));
    advance(1.0);
    ASSERT_GT(view->bufferedFrameIndexes().size(), 1u);
    auto next = [&] { return std::vector<size_t>{(view->currentAnimatedImageIndex() + 1) % 12}; };

    ns::NotificationCenter::defaultCenter().post(ui::ApplicationDidReceiveMemoryWarningNotification);
    settle();
    EXPECT_EQ(view->bufferedFrameIndexes(), next());
    // Afterwards it refills one frame per fetch and drops what it has shown: it stays small.
    for (int i = 0; i < 30; ++i) {
        advance(0.05);
        EXPECT_LE(view->bufferedFrameIndexes().size(), 2u);
    }
    EXPECT_TRUE(view->isAnimating());

    view->setImage(nullptr);
    view->setImage(solidGIF(2, std::vector<int>(12, 5)));
    advance(1.0);
    ASSERT_GT(view->bufferedFrameIndexes().size(), 1u);
    ns::NotificationCenter::defaultCenter().post(ui::ApplicationDidEnterBackgroundNotification);
    EXPECT_EQ(view->bufferedFrameIndexes(), next());
}

TEST_F(AnimatedImageView, LeavingTheWindowStopsAndComingBackResumes) {
    auto view = shown(solidGIF(4, {10, 10, 10, 10}));
    advance(0.25);
    size_t index = view->currentAnimatedImageIndex();
    EXPECT_GT(index, 0u);
    view->removeFromSuperview();
    EXPECT_FALSE(view->isAnimating());
    advance(1.0);
    EXPECT_EQ(view->currentAnimatedImageIndex(), index);
    window->addSubview(view);
    EXPECT_TRUE(view->isAnimating());
    EXPECT_EQ(view->currentAnimatedImageIndex(), index);
    advance(0.15);
    EXPECT_EQ(view->currentAnimatedImageIndex(), (index + 1) % 4);

    view->stopAnimating();
    advance(0.5);
    EXPECT_EQ(view->currentAnimatedImageIndex(), (index + 1) % 4);
    view->startAnimating();
    EXPECT_TRUE(view->currentIsPlayingAnimation());
}

TEST_F(AnimatedImageView, SlotsIndexesAndStillImages) {
    auto gif = solidGIF(4, {10, 10, 10});
    auto view = shown(gif);
    drainMain();
    view->setCurrentAnimatedImageIndex(2);
    EXPECT_EQ(view->currentAnimatedImageIndex(), 2u);
    drainMain();
    EXPECT_EQ(shownPixel(view), kBlue);
    view->setCurrentAnimatedImageIndex(3); // out of range
    view->setImage(gif); // the same image: nothing happens
    EXPECT_EQ(view->currentAnimatedImageIndex(), 2u);
    EXPECT_TRUE(view->isAnimating());
    EXPECT_EQ(changes.size(), 1u);

    // Highlighting switches to the highlighted image at frame 0.
    auto apngImage = VXImage::imageWithData(
        dataOf(apng(2, 2, {{0, 0, 2, 2, 1, 10, 0, 0, solid(kGreen)}, {0, 0, 2, 2, 1, 10, 0, 0, solid(kBlue)}})), 1);
    view->setHighlightedImage(apngImage);
    view->setHighlighted(true);
    EXPECT_EQ(view->currentAnimatedImageIndex(), 0u);
    drainMain();
    EXPECT_EQ(shownPixel(view), kGreen);
    advance(0.15);
    EXPECT_EQ(shownPixel(view), kBlue);

    // A one-frame image is still: no playback.
    view->setHighlighted(false);
    view->setImage(solidGIF(4, {10}));
    EXPECT_FALSE(view->isAnimating());
    advance(0.5);
    EXPECT_EQ(view->currentAnimatedImageIndex(), 0u);
}

TEST_F(AnimatedImageView, SpriteSheetsPlayThroughTheContentsRectangle) {
    auto sheet = ui::Image::imageWithCGImage(makeImage(4, 2, [](uint32_t x, uint32_t) { return x < 2 ? kRed : kGreen; }));
    auto sprite = VXSpriteSheetImage::initWithSpriteSheetImage(sheet, {cg::RectMake(0, 0, 2, 2), cg::RectMake(2, 0, 2, 2)},
                                                               {0.1, 0.1}, 0);
    auto view = shown(sprite);
    EXPECT_EQ(view->layer()->contentsRect(), cg::RectMake(0, 0, 0.5, 1));
    advance(0.15);
    EXPECT_EQ(view->currentAnimatedImageIndex(), 1u);
    EXPECT_EQ(view->layer()->contentsRect(), cg::RectMake(0.5, 0, 0.5, 1));
    view->setImage(solidGIF(4, {10, 10}));
    EXPECT_EQ(view->layer()->contentsRect(), cg::UnitRect);
}

TEST_F(AnimatedImageView, CodingRoundTrips) {
    auto view = VXAnimatedImageView::create();
    view->setImage(solidGIF(4, {10, 20, 30}));
    view->setHighlightedImage(solidGIF(4, {10})); // still: not written
    view->setRunloopMode(ns::DefaultRunLoopMode);
    view->setAutoPlayAnimatedImage(false);
    auto back = ns::KeyedUnarchiver::unarchiveObject(ns::KeyedArchiver::archivedData(ns::Value(view)))
                    .objectAs<VXAnimatedImageView>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->runloopMode(), ns::DefaultRunLoopMode);
    EXPECT_FALSE(back->autoPlayAnimatedImage());
    auto image = ns::as<VXImage>(back->image());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->animatedImageFrameCount(), 3u);
    EXPECT_EQ(back->highlightedImage(), nullptr);
}

TEST_F(AnimatedImageView, ThePlayingViewIsFreedWithItsOwners) {
    ns::Weak<VXAnimatedImageView> weak;
    {
        auto view = shown(solidGIF(4, {10, 10}));
        advance(0.3);
        weak = view;
        view->removeFromSuperview();
    }
    advance(0.2); // the display link's calls find nothing to step
    EXPECT_TRUE(weak.expired());
}
