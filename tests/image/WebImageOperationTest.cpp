// One image fetched from the loopback server: cache first, decoding and storage rules, HTTP and
// decode failures, the failed-URL list, cancellation and release, progressive partial images
// (plain and blurred), the network activity count, background tasks and server trust.

#include "ImageBytes.h"
#include "WebImageRecorder.h"
#include "image/UIImage+VXWebImage.h"
#include "image/VXImage.h"
#include "image/VXImageDecoder.h"
#include "image/VXWebImageManager.h"
#include "image/VXWebImageOperation.h"
#include "os/foundation/Clock.h"
#include "os/net/URLRequest.h"
#include "os/uikit/Application.h"
#include "os/uikit/Screen.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

using namespace imagebytes;
using namespace webimage;
using vx::test::HttpTestServer;
using Step = HttpTestServer::Step;

namespace {

class WebImageOperation : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        cache = VXImageCache::initWithPath(sandboxPath() + "/web");
        ASSERT_TRUE(cache);
    }

    ns::Ref<VXWebImageOperation> load(const std::string& path, VXWebImageRequestOptions options, Recorder& recorder,
                                      VXWebImageTransformBlock transform = nullptr, double timeout = 15) {
        auto request = ns::URLRequest::requestWithURL(ns::URL::fromString(server.url(path)));
        request->setTimeoutInterval(timeout);
        auto operation = VXWebImageOperation::initWithRequest(request, options, cache, std::nullopt, recorder.progress(),
                                                              std::move(transform), recorder.completion());
        operation->start();
        operations.push_back(operation); // a released running operation cancels itself
        return operation;
    }

    // Lets each piece arrive and be looked at, then moves the clock by spacings[i] (default: past the
    // partial-image interval) before piece i + 1.
    void feed(const Recorder& recorder, const std::vector<int>& gates, const std::vector<size_t>& boundaries,
              const std::vector<double>& spacings = {}) {
        for (size_t i = 0; i < gates.size(); ++i) {
            ASSERT_TRUE(runMainUntil([&] { return recorder.received() >= int64_t(boundaries[i]); }));
            ASSERT_TRUE(syncNetworkThread());
            ns::Clock::advance(spacings.empty() ? 0.5 : spacings[i]);
            server.open(gates[i]);
        }
    }

    // The byte counts at which partial images came, up to `last`.
    static std::vector<int64_t> partialsUpTo(const Recorder& recorder, size_t last) {
        std::vector<int64_t> at;
        for (const auto& p : recorder.partials())
            if (p.received <= int64_t(last)) at.push_back(p.received);
        return at;
    }

    HttpTestServer server;
    ns::Ref<VXImageCache> cache;
    std::vector<ns::Ref<VXWebImageOperation>> operations;
};

const std::vector<uint8_t> kPng8 = png(8, 8, distinct, true);

// The partial image a blurred display shows for the first `length` bytes at a radius.
cg::ImageRef expectedBlurred(const std::vector<uint8_t>& bytes, size_t length, double radius) {
    auto decoder = VXImageDecoder::initWithScale(ui::Screen::mainScreen().scale());
    decoder->updateData(dataOf(bytes, length), false);
    auto frame = decoder->frameAtIndex(0, true);
    if (!frame) return nullptr;
    auto blurred = VXWebImage::VX_imageByBlurRadius(frame->image, radius, nullptr, cg::BlendMode::Normal, 1, nullptr);
    return blurred ? blurred->CGImage() : nullptr;
}

bool samePixels(const cg::ImageRef& a, const cg::ImageRef& b) {
    if (!a || !b || a->width() != b->width() || a->height() != b->height()) return false;
    for (uint32_t y = 0; y < a->height(); ++y)
        for (uint32_t x = 0; x < a->width(); ++x)
            if (pixelAt(a, x, y) != pixelAt(b, x, y)) return false;
    return true;
}

// Piece ends just past the starts of some scans, so every piece brings a new scan and the scans
// before it whole.
std::vector<size_t> scanBoundaries(const std::vector<uint8_t>& jpegBytes) {
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < jpegBytes.size(); ++i)
        if (jpegBytes[i] == 0xFF && jpegBytes[i + 1] == 0xDA) starts.push_back(i);
    std::vector<size_t> boundaries;
    for (size_t k = 1; k < starts.size() && boundaries.size() < 4; k += 2) boundaries.push_back(starts[k] + 8);
    return boundaries;
}

std::string describe(const Call& call) { return call.error ? call.error->description() : "no error"; }

Rgba texture(uint32_t x, uint32_t y) { return {uint8_t(x * 5), uint8_t(y * 3), uint8_t((x ^ y) * 7), 255}; }

} // namespace

TEST_F(WebImageOperation, DownloadsDecodesStoresAndThenAnswersFromTheCache) {
    server.on("/a.png", imageReply(kPng8));
    Recorder first;
    auto operation = load("/a.png", 0, first);
    ASSERT_TRUE(first.waitForFinal());
    Call call = first.last();
    ASSERT_TRUE(call.image);
    EXPECT_EQ(call.from, VXWebImageOriginNetwork);
    EXPECT_EQ(call.phase, VXWebImagePhaseDone);
    EXPECT_EQ(call.error, nullptr);
    EXPECT_FALSE(call.onMain);
    EXPECT_EQ(call.url->absoluteString(), server.url("/a.png"));
    EXPECT_EQ(call.image->CGImage()->width(), 8u);
    EXPECT_EQ(call.image->scale(), ui::Screen::mainScreen().scale());
    EXPECT_EQ(first.expected(), int64_t(kPng8.size()));
    EXPECT_TRUE(operation->isFinished());
    EXPECT_FALSE(operation->isExecuting());

    settle();
    const std::string key = server.url("/a.png");
    EXPECT_EQ(*operation->cacheKey(), key);
    EXPECT_TRUE(cache->containsImageForKey(key, VXImageCacheTypeMemory));
    EXPECT_TRUE(cache->getImageDataForKey(key)->isEqual(*dataOf(kPng8))); // a still PNG keeps its bytes

    Recorder fromMemory;
    load("/a.png", 0, fromMemory);
    ASSERT_TRUE(fromMemory.waitForFinal());
    EXPECT_EQ(fromMemory.last().from, VXWebImageOriginMemory);

    cache->removeImageForKey(key, VXImageCacheTypeMemory);
    Recorder fromDisk;
    load("/a.png", 0, fromDisk);
    ASSERT_TRUE(fromDisk.waitForFinal());
    EXPECT_EQ(fromDisk.last().from, VXWebImageOriginDisk);
    EXPECT_EQ(server.requestCount("/a.png"), 1u);
    settle();
    EXPECT_TRUE(cache->containsImageForKey(key, VXImageCacheTypeMemory));
}

TEST_F(WebImageOperation, MemoryOnlyIgnoresTheDiskAndStoresInMemoryOnly) {
    const std::string key = server.url("/m.png");
    const ns::DataRef old = dataOf(png(2, 2, distinct));
    cache->setImage(nullptr, old, key, VXImageCacheTypeDisk);
    server.on("/m.png", imageReply(kPng8));
    Recorder recorder;
    load("/m.png", VXWebImageOptionMemoryOnly, recorder);
    ASSERT_TRUE(recorder.waitForFinal());
    ASSERT_EQ(recorder.last().from, VXWebImageOriginNetwork) << describe(recorder.last());
    settle();
    auto inMemory = cache->getImageForKey(key, VXImageCacheTypeMemory);
    ASSERT_TRUE(inMemory);
    EXPECT_EQ(inMemory->CGImage()->width(), 8u);
    EXPECT_TRUE(cache->getImageDataForKey(key)->isEqual(*old));
}

TEST_F(WebImageOperation, UndecodableBytesFailAndAreStoredOnlyWhenReloading) {
    const std::string junk = "this is not an image, only some text";
    server.on("/junk", HttpTestServer::Reply::text(200, junk));
    server.on("/junk2", HttpTestServer::Reply::text(200, junk));
    Recorder reload, plain;
    load("/junk", VXWebImageOptionReload, reload);
    load("/junk2", 0, plain);
    ASSERT_TRUE(reload.waitForFinal());
    ASSERT_TRUE(plain.waitForFinal());
    Call call = reload.last();
    EXPECT_EQ(call.image, nullptr);
    EXPECT_EQ(call.from, VXWebImageOriginNetwork);
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->domain(), "com.tandrel.image");
    EXPECT_EQ(call.error->code(), -1);
    EXPECT_EQ(call.error->localizedDescription(), "Web image decode fail.");
    settle();
    auto stored = cache->getImageDataForKey(server.url("/junk"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->toString(), junk);
    EXPECT_FALSE(cache->containsImageForKey(server.url("/junk2")));
}

TEST_F(WebImageOperation, HttpErrorStatusesFailWithTheStatusAsCode) {
    server.on("/304", HttpTestServer::Reply::text(304, ""));
    for (const char* path : {"/missing", "/304"}) {
        Recorder recorder;
        load(path, 0, recorder);
        ASSERT_TRUE(recorder.waitForFinal());
        Call call = recorder.last();
        EXPECT_EQ(call.image, nullptr);
        EXPECT_EQ(call.from, VXWebImageOriginNone);
        EXPECT_EQ(call.phase, VXWebImagePhaseDone);
        ASSERT_TRUE(call.error);
        EXPECT_EQ(call.error->domain(), ns::URLErrorDomain);
        EXPECT_EQ(call.error->code(), std::string(path) == "/304" ? 304 : 404);
    }
}

TEST_F(WebImageOperation, FailedURLListKeepsLastingFailuresAndRefusesThemWithoutNetwork) {
    HttpTestServer::Reply stall;
    stall.steps = {Step::stall()};
    server.on("/slow", stall);
    server.on("/bad", HttpTestServer::Reply::text(200, "still not an image, really"));
    const auto list = VXWebImageOptionFailedURLList;

    Recorder timedOut;
    load("/slow", list, timedOut, nullptr, 0.3);
    ASSERT_TRUE(timedOut.waitForFinal());
    EXPECT_EQ(timedOut.last().error->code(), ns::URLErrorTimedOut);
    EXPECT_FALSE(VXWebImageOperation::isURLInFailedList(ns::URL::fromString(server.url("/slow"))));

    for (const char* path : {"/missing", "/bad"}) {
        Recorder failing, refused;
        load(path, list, failing);
        ASSERT_TRUE(failing.waitForFinal());
        EXPECT_TRUE(VXWebImageOperation::isURLInFailedList(ns::URL::fromString(server.url(path))));
        load(path, list, refused);
        ASSERT_TRUE(refused.waitForFinal());
        Call call = refused.last();
        EXPECT_EQ(call.from, VXWebImageOriginNone);
        ASSERT_TRUE(call.error);
        EXPECT_EQ(call.error->domain(), ns::URLErrorDomain);
        EXPECT_EQ(call.error->code(), -1100);
        EXPECT_EQ(call.error->localizedDescription(), "Failed to load URL, blacklisted.");
        EXPECT_EQ(server.requestCount(path), 1u) << path;
    }
}

TEST_F(WebImageOperation, CancellingReportsOnceAndNothingFollows) {
    const int gate = serveInPieces(server, "/gated.png", kPng8, {40})[0];

    Recorder recorder;
    auto operation = load("/gated.png", VXWebImageOptionPartialDisplay, recorder);
    std::vector<std::string> keys;
    auto observer = ns::make<ns::Object>();
    for (const char* key : {"isExecuting", "isFinished", "isCancelled"})
        operation->addObserver(observer, key, [&keys](const std::string& k) { keys.push_back(k); });
    ASSERT_TRUE(runMainUntil([&] { return recorder.received() >= 40; }));

    operation->cancel();
    operation->cancel();
    ASSERT_TRUE(recorder.waitForFinal());
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_TRUE(operation->isFinished());
    EXPECT_FALSE(operation->isExecuting());
    EXPECT_EQ(keys, (std::vector<std::string>{"isCancelled", "isExecuting", "isFinished"}));

    server.open(gate);
    settle();
    ASSERT_TRUE(syncNetworkThread());
    settle();
    auto calls = recorder.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].phase, VXWebImagePhaseCancelled);
    EXPECT_EQ(calls[0].image, nullptr);
    EXPECT_EQ(calls[0].from, VXWebImageOriginNone);

    // Cancelled before it starts: starting it reports the cancellation and finishes it.
    Recorder early;
    auto request = ns::URLRequest::requestWithURL(ns::URL::fromString(server.url("/a.png")));
    auto notStarted = VXWebImageOperation::initWithRequest(request, 0, cache, std::nullopt, nullptr, nullptr,
                                                           early.completion());
    notStarted->cancel();
    EXPECT_FALSE(notStarted->isFinished());
    notStarted->start();
    EXPECT_TRUE(notStarted->isFinished());
    ASSERT_TRUE(early.waitForFinal());
    EXPECT_EQ(early.last().phase, VXWebImagePhaseCancelled);
    EXPECT_EQ(server.requestCount("/a.png"), 0u);
}

TEST_F(WebImageOperation, ReleasingARunningOperationReportsItCancelled) {
    const int gate = serveInPieces(server, "/gated.png", kPng8, {40})[0];
    Recorder recorder;
    auto operation = load("/gated.png", 0, recorder);
    ASSERT_TRUE(runMainUntil([&] { return recorder.received() >= 40; }));
    ASSERT_TRUE(syncNetworkThread());
    operations.clear();
    operation.reset();
    ASSERT_EQ(recorder.finals(), 1u);
    EXPECT_EQ(recorder.last().phase, VXWebImagePhaseCancelled);
    EXPECT_TRUE(recorder.last().onMain); // on the thread that released it
    server.open(gate);
    settle();
    EXPECT_EQ(recorder.calls().size(), 1u);
}

TEST_F(WebImageOperation, PlainPartialImagesArriveOnlyWhileTheBodyComesInPieces) {
    const auto bytes = png(64, 64, texture, false);
    const std::vector<size_t> boundaries = {bytes.size() / 4, bytes.size() / 2};
    auto gates = serveInPieces(server, "/pieces.png", bytes, boundaries, true, "image/png");
    Recorder recorder;
    load("/pieces.png", VXWebImageOptionPartialDisplay, recorder);
    ASSERT_NO_FATAL_FAILURE(feed(recorder, gates, boundaries));
    ASSERT_TRUE(recorder.waitForFinal());
    // One partial image per piece, the last one included.
    auto partials = recorder.partials();
    ASSERT_EQ(partials.size(), boundaries.size() + 1);
    for (const auto& p : partials) {
        ASSERT_TRUE(p.image);
        EXPECT_EQ(p.from, VXWebImageOriginNetwork);
        EXPECT_EQ(p.image->CGImage()->width(), 64u);
    }
    EXPECT_EQ(recorder.last().phase, VXWebImagePhaseDone);

    // The whole body in one piece: no partial image.
    server.on("/whole.png", imageReply(bytes));
    Recorder whole;
    load("/whole.png", VXWebImageOptionPartialDisplay, whole);
    ASSERT_TRUE(whole.waitForFinal());
    EXPECT_TRUE(whole.partials().empty());
    EXPECT_TRUE(whole.last().image);
}

TEST_F(WebImageOperation, BlurredPartialImagesSharpenAsTheProgressiveBytesArrive) {
    const auto bytes = jpeg(96, 96, texture, true);
    const auto boundaries = scanBoundaries(bytes);
    ASSERT_GE(boundaries.size(), 3u);
    const double total = double(bytes.size());

    for (bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "with a content length" : "without a content length");
        const std::string path = announced ? "/sized.jpg" : "/unsized.jpg";
        auto gates = serveInPieces(server, path, bytes, boundaries, announced, "image/jpeg");
        Recorder recorder;
        load(path, VXWebImageOptionBlurredPartialDisplay, recorder);
        ASSERT_NO_FATAL_FAILURE(feed(recorder, gates, boundaries));
        ASSERT_TRUE(recorder.waitForFinal());
        auto ends = boundaries;
        ends.push_back(bytes.size());
        auto partials = recorder.partials();
        ASSERT_EQ(partials.size(), ends.size());
        double previous = 1e9;
        for (size_t i = 0; i < partials.size(); ++i) {
            const double length = double(partials[i].received);
            EXPECT_EQ(partials[i].received, int64_t(ends[i]));
            const double radius = announced ? (1 / (3 * length / total + 0.6) - 0.25) * 32 : 32.0 / double(i + 1);
            EXPECT_LT(radius, previous);
            previous = radius;
            EXPECT_TRUE(samePixels(partials[i].image->CGImage(), expectedBlurred(bytes, ends[i], radius)))
                << "partial " << i << " at radius " << radius;
        }
        EXPECT_EQ(recorder.last().phase, VXWebImagePhaseDone);
    }

    // A baseline JPEG never shows a blurred partial image.
    const auto baseline = jpeg(96, 96, texture, false);
    const std::vector<size_t> thirds = {baseline.size() / 3, 2 * baseline.size() / 3};
    auto gates = serveInPieces(server, "/baseline.jpg", baseline, thirds, true, "image/jpeg");
    Recorder recorder;
    load("/baseline.jpg", VXWebImageOptionBlurredPartialDisplay, recorder);
    ASSERT_NO_FATAL_FAILURE(feed(recorder, gates, thirds));
    ASSERT_TRUE(recorder.waitForFinal());
    EXPECT_TRUE(recorder.partials().empty());
    EXPECT_TRUE(recorder.last().image);
}

// Plain partial images come at least 0.2 s apart, blurred ones 0.4 s: pieces 0.19 s after the last
// partial image bring none, 0.21 s after do; 0.3 s apart is enough for plain ones only.
TEST_F(WebImageOperation, PartialImageIntervalsPlainAndBlurredAtTheirBoundaries) {
    const auto picture = png(128, 128, texture, false);
    const std::vector<size_t> sixths = {picture.size() / 6, 2 * picture.size() / 6, 3 * picture.size() / 6, 4 * picture.size() / 6};
    auto gates = serveInPieces(server, "/spaced.png", picture, sixths, true, "image/png");
    Recorder plain;
    load("/spaced.png", VXWebImageOptionPartialDisplay, plain);
    ASSERT_NO_FATAL_FAILURE(feed(plain, gates, sixths, {0.19, 0.02, 0.3, 0.5}));
    ASSERT_TRUE(plain.waitForFinal());
    EXPECT_EQ(partialsUpTo(plain, sixths.back()),
              (std::vector<int64_t>{int64_t(sixths[0]), int64_t(sixths[2]), int64_t(sixths[3])}));

    const auto progressive = jpeg(96, 96, texture, true);
    const auto scans = scanBoundaries(progressive);
    ASSERT_EQ(scans.size(), 4u);
    gates = serveInPieces(server, "/spaced.jpg", progressive, scans, true, "image/jpeg");
    Recorder blurred;
    load("/spaced.jpg", VXWebImageOptionBlurredPartialDisplay, blurred);
    ASSERT_NO_FATAL_FAILURE(feed(blurred, gates, scans, {0.39, 0.02, 0.3, 0.5}));
    ASSERT_TRUE(blurred.waitForFinal());
    EXPECT_EQ(partialsUpTo(blurred, scans.back()), (std::vector<int64_t>{int64_t(scans[0]), int64_t(scans[2])}));
}

TEST_F(WebImageOperation, TheCacheKeepsDownloadedBytesOnlyWhereTheySayMore) {
    const auto still = gif(4, 4, {{4, 4, 10, 1}}, std::nullopt);
    const auto animated = gif(4, 4, {{4, 4, 10, 0}, {4, 4, 10, 2}}, 0);
    server.on("/still.gif", imageReply(still, "image/gif"));
    server.on("/animated.gif", imageReply(animated, "image/gif"));
    server.on("/t.png", imageReply(kPng8));
    Recorder a, b, c;
    load("/still.gif", 0, a);
    load("/animated.gif", 0, b);
    // A transform giving another image: the cache stores that image's encoding.
    load("/t.png", 0, c, [](const ui::ImageRef& image, const ns::Ref<ns::URL>&) {
        return VXWebImage::VX_imageByResizeToSize(image, {2, 2});
    });
    ASSERT_TRUE(a.waitForFinal() && b.waitForFinal() && c.waitForFinal());
    EXPECT_TRUE(ns::as<VXImage>(b.last().image));
    settle();
    EXPECT_FALSE(cache->getImageDataForKey(server.url("/still.gif"))->isEqual(*dataOf(still)));
    EXPECT_TRUE(cache->getImageDataForKey(server.url("/animated.gif"))->isEqual(*dataOf(animated)));
    auto transformed = cache->getImageDataForKey(server.url("/t.png"));
    EXPECT_FALSE(transformed->isEqual(*dataOf(kPng8)));
    EXPECT_EQ(cache->getImageForKey(server.url("/t.png"), VXImageCacheTypeDisk)->size().width, 2);
}

TEST_F(WebImageOperation, NetworkCountAndBackgroundTaskFollowTheLoad) {
    auto& application = ui::Application::shared();
    const int gate = serveInPieces(server, "/gated.png", kPng8, {40})[0];
    const auto options = VXWebImageOptionNetworkIndicator | VXWebImageOptionBackgroundTask;

    Recorder recorder;
    auto operation = load("/gated.png", options, recorder);
    ASSERT_TRUE(runMainUntil([] { return VXWebImageManager::currentNetworkActivityCount() == 1; }));
    EXPECT_EQ(application.backgroundTaskCount(), 1u);
    advance(1.0 / 30);
    EXPECT_TRUE(application.isNetworkActivityIndicatorVisible());
    server.open(gate);
    ASSERT_TRUE(recorder.waitForFinal());
    ASSERT_TRUE(runMainUntil([] { return VXWebImageManager::currentNetworkActivityCount() == 0; }));
    advance(1.0 / 30);
    EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());
    EXPECT_EQ(application.backgroundTaskCount(), 0u);

    // Cancelled from the last progress call: the load may finish before the cancellation runs,
    // and the count still comes back down.
    server.on("/a.png", imageReply(kPng8));
    Recorder cancelled;
    auto request = ns::URLRequest::requestWithURL(ns::URL::fromString(server.url("/a.png")));
    ns::Weak<VXWebImageOperation> weak;
    auto cancelling = VXWebImageOperation::initWithRequest(
        request, options, nullptr, std::nullopt,
        [&weak](int64_t received, int64_t expected) {
            if (received == expected)
                if (auto op = weak.lock()) op->cancel();
        },
        nullptr, cancelled.completion());
    weak = cancelling;
    cancelling->start();
    ASSERT_TRUE(cancelled.waitForFinal());
    EXPECT_EQ(cancelled.last().phase, VXWebImagePhaseCancelled);
    settle();
    ASSERT_TRUE(syncNetworkThread());
    settle();
    EXPECT_EQ(VXWebImageManager::currentNetworkActivityCount(), 0);
    EXPECT_EQ(application.backgroundTaskCount(), 0u);

    // The system's time is up: the operation is cancelled and finished.
    const int hold = server.newGate();
    HttpTestServer::Reply held;
    held.steps = {Step::send("partial"), Step::wait(hold), Step::send("rest")};
    server.on("/held", held);
    Recorder expired;
    auto expiring = load("/held", VXWebImageOptionBackgroundTask, expired);
    ASSERT_TRUE(runMainUntil([&] { return application.backgroundTaskCount() == 1; }));
    application.expireBackgroundTasks();
    EXPECT_TRUE(expiring->isCancelled());
    EXPECT_TRUE(expiring->isFinished());
    ASSERT_TRUE(expired.waitForFinal());
    EXPECT_EQ(expired.last().phase, VXWebImagePhaseCancelled);
    server.open(hold);
}

TEST_F(WebImageOperation, ServerTrustIsCheckedUnlessAnyServerIsTrusted) {
    HttpTestServer secure(HttpTestServer::Scheme::Https);
    secure.on("/a.png", imageReply(kPng8));
    for (bool trustAny : {false, true}) {
        Recorder recorder;
        auto request = ns::URLRequest::requestWithURL(ns::URL::fromString(secure.url("/a.png")));
        auto operation = VXWebImageOperation::initWithRequest(request, trustAny ? VXWebImageRequestOptions(VXWebImageOptionTrustAnyServer) : 0,
                                                              nullptr, std::nullopt, nullptr, nullptr,
                                                              recorder.completion());
        operation->start();
        ASSERT_TRUE(recorder.waitForFinal());
        if (trustAny) {
            EXPECT_TRUE(recorder.last().image);
        } else {
            ASSERT_TRUE(recorder.last().error);
            EXPECT_EQ(recorder.last().error->domain(), ns::URLErrorDomain);
        }
    }
}
