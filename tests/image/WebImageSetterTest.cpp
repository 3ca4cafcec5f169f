// The view setters: a result of a superseded request is never assigned, placeholders, memory hits
// in the same turn, no-auto-set, fades, buttons per single state, layers, annotation views, calls
// from other threads, and the SDK screens' game icon helper.

#include "ImageBytes.h"
#include "WebImageRecorder.h"
#include "image/CALayer+VXWebImage.h"
#include "image/MKAnnotationView+VXWebImage.h"
#include "image/UIButton+VXWebImage.h"
#include "image/UIImageView+VXExtension.h"
#include "image/UIImageView+VXWebImage.h"
#include "image/VXImageCoder.h"
#include "os/foundation/Clock.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace imagebytes;
using namespace webimage;
using vx::test::HttpTestServer;

namespace {

class WebImageSetter : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        manager = VXWebImageManager::initWithCache(VXImageCache::initWithPath(sandboxPath() + "/web"), nullptr);
        view = ui::View::create<ui::ImageView>();
        for (uint32_t side : {4u, 8u, 12u, 16u}) server.on("/" + std::to_string(side) + ".png", imageReply(png(side, side, distinct)));
    }
    std::string url(const std::string& path) const { return server.url(path); }
    // A reply that holds back the end of the body until the gate opens.
    int gated(const std::string& path, const std::vector<uint8_t>& bytes, size_t split = 40) {
        return serveInPieces(server, path, bytes, {split})[0];
    }
    static size_t width(const ui::ImageRef& image) { return image && image->CGImage() ? image->CGImage()->width() : 0; }

    HttpTestServer server;
    ns::Ref<VXWebImageManager> manager;
    ui::ImageViewRef view;
    const ui::ImageRef placeholder = ui::Image::imageWithData(dataOf(png(2, 2, distinct)), 1);
};

} // namespace

TEST_F(WebImageSetter, OnlyTheNewestRequestOfASlotIsAssigned) {
    const int gate = gated("/slow.png", png(20, 20, distinct));
    Recorder first, second;
    VXWebImage::VX_setImageWithURL(view, url("/slow.png"), placeholder, 0, manager, nullptr, nullptr, first.completion());
    EXPECT_EQ(view->image(), placeholder);
    ASSERT_TRUE(runMainUntil([&] { return server.requestCount("/slow.png") == 1; }));
    VXWebImage::VX_setImageWithURL(view, url("/16.png"), placeholder, 0, manager, nullptr, nullptr, second.completion());
    ASSERT_TRUE(second.waitForFinal());
    EXPECT_EQ(width(view->image()), 16u);
    EXPECT_EQ(VXWebImage::VX_imageURL(view)->absoluteString(), url("/16.png"));

    server.open(gate);
    ASSERT_TRUE(first.waitForFinal());
    settle();
    auto calls = first.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].phase, VXWebImagePhaseCancelled);
    EXPECT_TRUE(calls[0].onMain);
    EXPECT_EQ(width(view->image()), 16u);

    // A burst of requests on one view: only the last one's image stays.
    std::vector<Recorder> burst(12);
    for (size_t i = 0; i < burst.size(); ++i) {
        const char* path = i % 3 == 0 ? "/4.png" : i % 3 == 1 ? "/8.png" : "/12.png";
        VXWebImage::VX_setImageWithURL(view, url(path), nullptr, 0, manager, nullptr, nullptr, burst[i].completion());
        if (i % 4 == 0) drainMain();
    }
    for (auto& r : burst) ASSERT_TRUE(r.waitForFinal());
    settle();
    EXPECT_EQ(width(view->image()), 4u * 3); // the twelfth request asked for 12 pixels
    EXPECT_EQ(burst.back().last().phase, VXWebImagePhaseDone);
}

TEST_F(WebImageSetter, AResultAlreadyOnItsWayIsDroppedWhenANewerRequestCameFirst) {
    std::atomic<bool> decoded{false};
    Recorder recorder;
    VXWebImage::VX_setImageWithURL(view, url("/16.png"), nullptr, 0, manager, nullptr,
                                   [&decoded](const ui::ImageRef& image, const ns::Ref<ns::URL>&) {
                                       decoded = true;
                                       return image;
                                   },
                                   recorder.completion());
    // Without pumping the main loop: wait until the result has been handed to the main queue.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!(decoded && ns::RunLoop::main().hasPendingWork()) && std::chrono::steady_clock::now() < end)
        std::this_thread::yield();
    ASSERT_TRUE(decoded);
    VXWebImage::VX_setImageWithURL(view, nullptr, placeholder); // a newer request, before the result lands
    ASSERT_TRUE(recorder.waitForFinal());
    EXPECT_EQ(recorder.last().phase, VXWebImagePhaseCancelled);
    EXPECT_EQ(recorder.last().image, nullptr);
    settle();
    EXPECT_EQ(view->image(), placeholder);
    EXPECT_EQ(VXWebImage::VX_imageURL(view), nullptr);
}

// A nil URL showing the placeholder is in AResultAlreadyOnItsWay...; without a placeholder option
// a bad URL leaves the current image.
TEST_F(WebImageSetter, BadURLWithNoPlaceholderKeepsTheCurrentImage) {
    auto current = ui::Image::imageWithData(dataOf(png(3, 3, distinct)), 1);
    view->setImage(current);
    VXWebImage::VX_setImageWithURL(view, "not a url", placeholder, VXWebImageOptionNoPlaceholder, nullptr);
    EXPECT_EQ(view->image(), current);
    settle();
    EXPECT_EQ(view->image(), current);
}

TEST_F(WebImageSetter, AMemoryHitIsShownAndReportedWithinTheCall) {
    auto image = VXImageCoder::VX_imageByDecoded(ui::Image::imageWithData(dataOf(png(5, 5, distinct)), 2));
    manager->cache()->setImage(image, url("/cached.png"));
    Recorder recorder;
    VXWebImage::VX_setImageWithURL(view, url("/cached.png"), placeholder, VXWebImageOptionFade, manager, nullptr, nullptr,
                                   recorder.completion());
    ASSERT_EQ(recorder.calls().size(), 1u);
    EXPECT_EQ(recorder.last().from, VXWebImageOriginMemoryImmediate);
    EXPECT_EQ(recorder.last().phase, VXWebImagePhaseDone);
    EXPECT_EQ(view->image(), image);
    EXPECT_EQ(view->layer()->animationForKey(VXWebImageFadeAnimationKey), nullptr); // no fade for a memory hit
    EXPECT_EQ(server.requestCount("/cached.png"), 0u);
}

TEST_F(WebImageSetter, NoAutoSetLeavesTheViewAndReportsEveryImage) {
    // Noise, so that half of the bytes hold half of the rows.
    const auto bytes = png(48, 48, [](uint32_t x, uint32_t y) {
        const uint32_t h = (x * 2654435761u) ^ (y * 40503u + 977u);
        return Rgba{uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16), 255};
    }, false);
    const int gate = gated("/pieces.png", bytes, bytes.size() / 2);
    view->setImage(placeholder);
    Recorder recorder;
    VXWebImage::VX_setImageWithURL(view, url("/pieces.png"), nullptr,
                                   VXWebImageOptionNoAutoSet | VXWebImageOptionNoPlaceholder | VXWebImageOptionPartialDisplay,
                                   manager, nullptr, nullptr, recorder.completion());
    ASSERT_TRUE(runMainUntil([&] { return !recorder.partials().empty(); }));
    ns::Clock::advance(0.5);
    server.open(gate);
    ASSERT_TRUE(recorder.waitForFinal());
    EXPECT_EQ(recorder.partials().size(), 2u);
    EXPECT_EQ(width(recorder.last().image), 48u);
    EXPECT_TRUE(recorder.last().onMain);
    EXPECT_EQ(view->image(), placeholder);
}

TEST_F(WebImageSetter, FadesGoOnTheLayerOfTheSlotOnShow) {
    VXWebImage::VX_setImageWithURL(view, url("/8.png"), nullptr, VXWebImageOptionFade, manager, nullptr, nullptr, nullptr);
    ASSERT_TRUE(runMainUntil([&] { return width(view->image()) == 8; }));
    auto fade = ns::as<ca::Transition>(view->layer()->animationForKey(VXWebImageFadeAnimationKey));
    ASSERT_TRUE(fade);
    EXPECT_EQ(fade->duration(), 0.2);
    EXPECT_EQ(fade->type(), ca::kTransitionFade);
    EXPECT_EQ(fade->timingFunction()->name(), ca::kMediaTimingFunctionEaseInEaseOut);

    // The highlighted slot fades only while the view is highlighted.
    auto other = ui::View::create<ui::ImageView>();
    VXWebImage::VX_setHighlightedImageWithURL(other, url("/4.png"), nullptr, VXWebImageOptionFade, manager, nullptr,
                                              nullptr, nullptr);
    ASSERT_TRUE(runMainUntil([&] { return width(other->highlightedImage()) == 4; }));
    EXPECT_EQ(other->image(), nullptr);
    EXPECT_EQ(other->layer()->animationForKey(VXWebImageFadeAnimationKey), nullptr);
    EXPECT_EQ(VXWebImage::VX_highlightedImageURL(other)->absoluteString(), url("/4.png"));
    EXPECT_EQ(VXWebImage::VX_imageURL(other), nullptr);
}

TEST_F(WebImageSetter, ButtonsGetOneRequestPerSingleState) {
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    const int gate = gated("/slow.png", png(20, 20, distinct));
    VXWebImage::VX_setImageWithURL(button, url("/slow.png"), ui::ControlStateSelected, placeholder);
    VXWebImage::VX_setImageWithURL(button, url("/8.png"), ui::ControlStateHighlighted, placeholder);
    EXPECT_EQ(VXWebImage::VX_imageURLForState(button, ui::ControlStateHighlighted | ui::ControlStateSelected)->absoluteString(),
              url("/8.png"));
    EXPECT_EQ(VXWebImage::VX_imageURLForState(button, ui::ControlStateNormal), nullptr);
    VXWebImage::VX_cancelImageRequestForState(button, ui::ControlStateSelected);
    EXPECT_EQ(VXWebImage::VX_imageURLForState(button, ui::ControlStateSelected), nullptr);
    server.open(gate);

    VXWebImage::VX_setBackgroundImageWithURL(button, url("/12.png"), ui::ControlStateHighlighted | ui::ControlStateSelected,
                                             nullptr);
    VXWebImage::VX_setBackgroundImageWithURL(button, url("/4.png"), ui::ControlStateFocused, placeholder); // no single state
    ASSERT_TRUE(runMainUntil([&] {
        return width(button->imageForState(ui::ControlStateHighlighted)) == 8 &&
               width(button->backgroundImageForState(ui::ControlStateHighlighted)) == 12 &&
               width(button->backgroundImageForState(ui::ControlStateSelected)) == 12;
    }));
    settle();
    EXPECT_EQ(button->imageForState(ui::ControlStateSelected), placeholder);
    EXPECT_EQ(button->backgroundImageForState(ui::ControlStateNormal), nullptr);
    EXPECT_EQ(server.requestCount("/4.png"), 0u);
    EXPECT_EQ(VXWebImage::VX_backgroundImageURLForState(button, ui::ControlStateSelected)->absoluteString(), url("/12.png"));
}

TEST_F(WebImageSetter, LayersAndAnnotationViewsTakeTheImageToo) {
    auto layer = ca::Layer::layer();
    VXWebImage::VX_setImageWithURL(layer, url("/8.png"), placeholder, VXWebImageOptionFade, manager, nullptr, nullptr,
                                   nullptr);
    EXPECT_EQ(layer->contents(), placeholder->CGImage());
    ASSERT_TRUE(runMainUntil([&] { return layer->contents() && layer->contents()->width() == 8; }));
    EXPECT_TRUE(layer->animationForKey(VXWebImageFadeAnimationKey));

    auto annotation = ui::View::create<mk::AnnotationView>();
    VXWebImage::VX_setImageWithURL(annotation, url("/12.png"), placeholder, 0, manager, nullptr, nullptr, nullptr);
    EXPECT_EQ(annotation->image(), placeholder);
    ASSERT_TRUE(runMainUntil([&] { return width(annotation->image()) == 12; }));
    EXPECT_EQ(VXWebImage::VX_imageURL(annotation)->absoluteString(), url("/12.png"));
    VXWebImage::VX_cancelCurrentImageRequest(annotation);
    EXPECT_EQ(VXWebImage::VX_imageURL(annotation), nullptr);
}

TEST_F(WebImageSetter, CallsFromAnotherThreadChangeTheViewOnTheMainThread) {
    Recorder recorder;
    std::atomic<bool> returned{false};
    std::thread caller([&] {
        VXWebImage::VX_setImageWithURL(view, url("/8.png"), placeholder, 0, manager, nullptr, nullptr,
                                       recorder.completion());
        returned = true;
    });
    ASSERT_TRUE(runMainUntil([&] { return returned.load(); }));
    caller.join();
    ASSERT_TRUE(recorder.waitForFinal());
    EXPECT_TRUE(recorder.last().onMain);
    EXPECT_EQ(width(view->image()), 8u);
}

TEST_F(WebImageSetter, GameIconShowsTheBundlePlaceholderUntilTheIconArrives) {
    namespace fs = std::filesystem;
    fs::create_directories(bundlePath() + "/VOZUV.bundle");
    const auto iconBytes = png(6, 6, distinct);
    std::ofstream(bundlePath() + "/VOZUV.bundle/VX_icon.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(iconBytes.data()), std::streamsize(iconBytes.size()));

    view->setImage(placeholder);
    VXExtension::setGameIconWithUrlStr(view, "no url here", "");
    VXExtension::setGameIconWithUrlStr(view, std::nullopt, "");
    EXPECT_EQ(view->image(), placeholder);
    VXExtension::setGameIconWithUrlStr(view, "no url here", "VX_icon");
    EXPECT_EQ(width(view->image()), 6u);

    VXExtension::setGameIconWithUrlStr(view, url("/16.png"), "VX_icon");
    EXPECT_EQ(width(view->image()), 6u);
    ASSERT_TRUE(runMainUntil([&] { return width(view->image()) == 16; }));
    EXPECT_EQ(VXWebImage::VX_imageURL(view)->absoluteString(), url("/16.png"));
    // Through the shared manager: its queue, into the shared cache.
    auto shared = VXWebImageManager::sharedManager();
    EXPECT_EQ(shared->queue()->qualityOfService(), ns::QualityOfService::Background);
    settle();
    EXPECT_TRUE(VXImageCache::sharedCache()->containsImageForKey(url("/16.png")));
}
