// The two-level image cache: where the shared one lives, levels per call, the scale kept beside
// the bytes, costs, animated and first-frame reads, block reads on the main thread, ageing.

#include "ImageBytes.h"
#include "image/VXFrameImage.h"
#include "image/VXImage.h"
#include "image/VXImageCache.h"
#include "image/VXImageCoder.h"
#include "os/foundation/Clock.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/Thread.h"
#include "os/uikit/Application.h"
#include "os/uikit/Screen.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

using namespace imagebytes;

namespace {

class ImageCache : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        cache = VXImageCache::initWithPath(sandboxPath() + "/images");
        ASSERT_TRUE(cache);
    }
    void TearDown() override {
        ui::Screen::mainScreen().reset();
        SandboxTest::TearDown();
    }
    ns::Ref<VXImageCache> cache;
};

const std::vector<uint8_t> kPng = png(6, 4, distinct, false);
const std::vector<uint8_t> kPngWithAlpha = png(6, 4, distinct, true);

} // namespace

TEST_F(ImageCache, SharedCacheIsOneInstanceInTheKitsFolder) {
    ns::Ref<VXImageCache> a, b;
    std::thread t1([&] { a = VXImageCache::sharedCache(); });
    std::thread t2([&] { b = VXImageCache::sharedCache(); });
    t1.join();
    t2.join();
    ASSERT_TRUE(a);
    EXPECT_EQ(a, b);
    const std::string& path = a->diskCache()->path();
    EXPECT_EQ(path.substr(path.size() - 24), "com.tandrel.VXkit/images");
    EXPECT_EQ(path.find(sandboxPath()), 0u);
}

TEST_F(ImageCache, DecodedImageIsInMemoryAtOnceAndOnDiskLaterWithItsScale) {
    // With alpha the cache encodes PNG, so the pixels come back exactly.
    auto image = VXImageCoder::VX_imageByDecoded(ui::Image::imageWithData(dataOf(kPngWithAlpha), 3));
    ASSERT_TRUE(VXImageCoder::VX_isDecodedForDisplay(image));
    cache->setImage(image, "k");
    EXPECT_EQ(cache->getImageForKey("k", VXImageCacheTypeMemory), image);
    EXPECT_EQ(cache->memoryCache()->totalCost(), image->CGImage()->bytesPerRow() * 4);

    settle(); // the encoding for the disk runs in the background
    auto fromDisk = cache->getImageForKey("k", VXImageCacheTypeDisk);
    ASSERT_TRUE(fromDisk);
    EXPECT_EQ(fromDisk->scale(), 3);
    EXPECT_EQ(VXImageSniffType(cache->getImageDataForKey("k")), VXImageTypePNG);
    EXPECT_EQ(pixelAt(fromDisk->CGImage(), 5, 3), distinct(5, 3));
}

TEST_F(ImageCache, DataAloneIsOnDiskBeforeTheCallReturnsAndReadsAtTheScreenScale) {
    ui::Screen::mainScreen().setScale(3);
    const ns::DataRef data = dataOf(kPng);
    cache->setImage(nullptr, data, "k", VXImageCacheTypeAll);
    EXPECT_TRUE(cache->containsImageForKey("k", VXImageCacheTypeDisk));
    EXPECT_TRUE(cache->getImageDataForKey("k")->isEqual(*data));
    EXPECT_EQ(cache->getImageForKey("k", VXImageCacheTypeDisk)->scale(), 3);

    settle(); // the memory level decodes in the background
    auto image = cache->getImageForKey("k", VXImageCacheTypeMemory);
    ASSERT_TRUE(image);
    EXPECT_TRUE(VXImageCoder::VX_isDecodedForDisplay(image));

    // Given an image too, its scale rides with the bytes.
    cache->setImage(ui::Image::imageWithData(data, 1.5), data, "k2", VXImageCacheTypeDisk);
    EXPECT_EQ(cache->getImageForKey("k2", VXImageCacheTypeDisk)->scale(), 1.5);

    // Nothing happens without a key or without anything to store.
    cache->setImage(nullptr, ns::Data::make(), "k3", VXImageCacheTypeAll);
    cache->setImage(ui::Image::imageWithData(data, 1), data, std::nullopt, VXImageCacheTypeAll);
    settle();
    EXPECT_FALSE(cache->containsImageForKey("k3"));
    EXPECT_EQ(cache->getImageForKey(std::nullopt), nullptr);
}

// A manifest of another shape in the cache's folder (another version, another program) once cost
// the cache its disk level on every start.
TEST_F(ImageCache, ManifestOfAnotherShapeLeavesTheDiskLevelWorking) {
    const std::string path = sandboxPath() + "/reshaped";
    ASSERT_TRUE(ns::FileManager::defaultManager().createDirectory(path, true));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((path + "/manifest.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "create table manifest (a text, b text);", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    auto reshaped = VXImageCache::initWithPath(path);
    ASSERT_TRUE(reshaped);
    const ns::DataRef data = dataOf(kPng);
    reshaped->setImage(nullptr, data, "k", VXImageCacheTypeDisk);
    EXPECT_TRUE(reshaped->containsImageForKey("k", VXImageCacheTypeDisk));
    ASSERT_TRUE(reshaped->getImageDataForKey("k"));
    EXPECT_TRUE(reshaped->getImageDataForKey("k")->isEqual(*data));
}

TEST_F(ImageCache, AnimatedDataReadsBackAnimatedOrAsItsFirstFrame) {
    const auto gifBytes = gif(4, 4, {{4, 4, 10, 0}, {4, 4, 10, 1}, {4, 4, 10, 2}}, 0);
    cache->setImage(nullptr, dataOf(gifBytes), "gif", VXImageCacheTypeDisk);

    auto animated = ns::as<VXImage>(cache->getImageForKey("gif", VXImageCacheTypeDisk));
    ASSERT_TRUE(animated);
    EXPECT_EQ(animated->animatedImageFrameCount(), 3u);

    cache->setAllowAnimatedImage(false);
    auto still = cache->getImageForKey("gif", VXImageCacheTypeDisk);
    ASSERT_TRUE(still);
    EXPECT_FALSE(ns::as<VXImage>(still));
    EXPECT_TRUE(still->images().empty());
    EXPECT_EQ(pixelAt(still->CGImage(), 0, 0), (Rgba{255, 0, 0, 255}));

    cache->setImage(nullptr, ns::Data::fromString("not an image at all"), "junk", VXImageCacheTypeDisk);
    EXPECT_EQ(cache->getImageForKey("junk"), nullptr);
}

TEST_F(ImageCache, OnlyReadsWithTheMemoryBitFillTheMemoryLevelAtTheBitmapsCost) {
    cache->setImage(nullptr, dataOf(kPng), "k", VXImageCacheTypeDisk);
    ASSERT_TRUE(cache->getImageForKey("k", VXImageCacheTypeDisk));
    EXPECT_FALSE(cache->containsImageForKey("k", VXImageCacheTypeMemory));

    auto image = cache->getImageForKey("k", VXImageCacheTypeAll);
    ASSERT_TRUE(image);
    EXPECT_TRUE(cache->containsImageForKey("k", VXImageCacheTypeMemory));
    EXPECT_EQ(cache->memoryCache()->totalCost(), cache->imageCost(image));
    EXPECT_EQ(cache->imageCost(image), image->CGImage()->bytesPerRow() * 4);
    EXPECT_EQ(cache->imageCost(nullptr), 1u); // without a bitmap
    EXPECT_EQ(cache->imageCost(ns::make<ui::Image>()), 1u);

    cache->removeImageForKey("k", VXImageCacheTypeMemory);
    EXPECT_FALSE(cache->containsImageForKey("k", VXImageCacheTypeMemory));
    EXPECT_TRUE(cache->containsImageForKey("k"));
    cache->removeImageForKey("k");
    EXPECT_FALSE(cache->containsImageForKey("k"));
}

TEST_F(ImageCache, BlockReadsAnswerOnTheMainThreadAndFillMemoryWithoutCost) {
    cache->setImage(nullptr, dataOf(kPng), "k", VXImageCacheTypeDisk);
    struct Answer {
        ui::ImageRef image;
        VXImageCacheType type = VXImageCacheTypeAll;
        bool onMain = false;
        bool arrived = false;
    };
    auto read = [&](const char* key, VXImageCacheType type) {
        Answer answer;
        cache->getImageForKey(key, type, [&](const ui::ImageRef& image, VXImageCacheType from) {
            answer = {image, from, ns::Thread::isMainThread(), true};
        });
        EXPECT_TRUE(runMainUntil([&] { return answer.arrived; }));
        return answer;
    };

    Answer hit = read("k", VXImageCacheTypeDisk);
    ASSERT_TRUE(hit.image);
    EXPECT_EQ(hit.type, VXImageCacheTypeDisk);
    EXPECT_TRUE(hit.onMain);
    EXPECT_TRUE(cache->containsImageForKey("k", VXImageCacheTypeMemory));
    EXPECT_EQ(cache->memoryCache()->totalCost(), 0u);
    EXPECT_EQ(read("k", VXImageCacheTypeAll).type, VXImageCacheTypeMemory);

    Answer miss = read("missing", VXImageCacheTypeAll);
    EXPECT_EQ(miss.image, nullptr);
    EXPECT_EQ(miss.type, VXImageCacheTypeNone);
    EXPECT_TRUE(miss.onMain);

    ns::DataRef data;
    bool arrived = false;
    cache->getImageDataForKey("k", [&](const ns::DataRef& d) {
        data = d;
        arrived = ns::Thread::isMainThread();
    });
    ASSERT_TRUE(runMainUntil([&] { return arrived; }));
    EXPECT_TRUE(data && data->isEqual(*dataOf(kPng)));
}

TEST_F(ImageCache, MemoryLevelAgesOutAfterTwelveHoursAndEmptiesOnMemoryWarning) {
    auto decoded = VXImageCoder::VX_imageByDecoded(ui::Image::imageWithData(dataOf(kPng), 1));
    cache->setImage(decoded, dataOf(kPng), "k", VXImageCacheTypeAll);
    ASSERT_TRUE(cache->containsImageForKey("k", VXImageCacheTypeMemory));

    advance(6 * 60 * 60);
    EXPECT_TRUE(cache->containsImageForKey("k", VXImageCacheTypeMemory));
    advance(6 * 60 * 60 + 10);
    EXPECT_FALSE(cache->containsImageForKey("k", VXImageCacheTypeMemory));
    EXPECT_TRUE(cache->containsImageForKey("k", VXImageCacheTypeDisk));

    ASSERT_TRUE(cache->getImageForKey("k"));
    ui::Application::shared().receiveMemoryWarning();
    settle();
    EXPECT_FALSE(cache->containsImageForKey("k", VXImageCacheTypeMemory));
    EXPECT_TRUE(cache->containsImageForKey("k", VXImageCacheTypeDisk));
}

// A memory hit hands back the very object stored, whatever image class it is of; anything else
// stored under the key (the memory cache is open to every caller) is no image and reads as a miss.
TEST_F(ImageCache, MemoryHitReturnsTheStoredImageOfAnyClass) {
    const ns::DataRef bytes = dataOf(kPng);
    const std::vector<std::pair<std::string, ui::ImageRef>> images = {
        {"plain", ui::Image::imageWithData(bytes)},
        {"kit", VXImage::imageWithData(bytes)},
        {"frames", VXFrameImage::initWithImageDataArray({bytes, bytes}, 0.1, 0)},
    };
    for (const auto& [key, image] : images) {
        ASSERT_TRUE(image) << key;
        cache->memoryCache()->setObject(ns::Value(image), key);
        EXPECT_EQ(cache->getImageForKey(key, VXImageCacheTypeMemory), image) << key;
    }
    struct NotAnImage : ns::Object {};
    cache->memoryCache()->setObject(ns::Value(std::make_shared<NotAnImage>()), "object");
    EXPECT_FALSE(cache->getImageForKey("object", VXImageCacheTypeMemory));
    cache->memoryCache()->setObject(ns::Value(bytes), "data");
    EXPECT_FALSE(cache->getImageForKey("data", VXImageCacheTypeMemory));
    EXPECT_FALSE(cache->getImageForKey("missing", VXImageCacheTypeMemory));
}
