#include "foundation/VXDiskCache.h"

#include "os/foundation/Crypto.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/Sandbox.h"
#include "tests/support/Environment.h"

#include <fstream>

namespace {

ns::DataRef bytes(size_t length, uint8_t fill) { return ns::Data::make(std::vector<uint8_t>(length, fill)); }

class DiskCacheTest : public vx::test::SandboxTest {
protected:
    std::string folder() const { return ns::cachesPath() + "/disk"; }
    // Stores data objects as they are, as the image cache does.
    ns::Ref<VXDiskCache> openRaw() {
        auto cache = VXDiskCache::initWithPath(folder());
        cache->setCustomArchiveBlock([](const ns::Value& object) { return object.data(); });
        cache->setCustomUnarchiveBlock([](const ns::DataRef& data) { return ns::Value(data); });
        return cache;
    }
    bool hasFileFor(std::string_view key) const {
        return ns::FileManager::defaultManager().fileExists(folder() + "/data/" + ns::md5Hex(key));
    }
};

TEST_F(DiskCacheTest, OneInstancePerPathAndNullWhenTheStorageCannotOpen) {
    auto a = VXDiskCache::initWithPath(folder());
    ASSERT_TRUE(a);
    EXPECT_EQ(VXDiskCache::initWithPath(folder(), 100), a);
    EXPECT_NE(VXDiskCache::initWithPath(folder() + "2"), a);
    std::ofstream(ns::cachesPath() + "/file") << "x";
    EXPECT_FALSE(VXDiskCache::initWithPath(ns::cachesPath() + "/file"));
}

TEST_F(DiskCacheTest, ValuesAboveTheThresholdGoToFilesNamedByTheKeysMD5) {
    auto cache = openRaw();
    cache->setObject(bytes(20480, 1), "inline");
    cache->setObject(bytes(20481, 2), "file");
    EXPECT_FALSE(hasFileFor("inline"));
    EXPECT_TRUE(hasFileFor("file"));
    EXPECT_TRUE(cache->objectForKey("inline").data()->isEqual(*bytes(20480, 1)));
    EXPECT_TRUE(cache->objectForKey("file").data()->isEqual(*bytes(20481, 2)));

    cache->removeObjectForKey("file");
    EXPECT_FALSE(cache->containsObjectForKey("file"));
    EXPECT_FALSE(hasFileFor("file"));
    cache->setObject(ns::Value(), "inline"); // nil removes
    cache->setObject(bytes(3, 1), std::nullopt);
    EXPECT_TRUE(cache->objectForKey(std::nullopt).isNil());
    EXPECT_FALSE(cache->containsObjectForKey(std::nullopt));
    EXPECT_EQ(cache->totalCount(), 0);
}

TEST_F(DiskCacheTest, ExtendedDataTravelsWithTheItem) {
    auto cache = openRaw();
    auto image = bytes(30000, 5);
    auto scale = ns::KeyedArchiver::archivedData(ns::Value(2.0));
    VXDiskCache::setExtendedData(scale, image);
    cache->setObject(image, "img");
    cache->setObject(bytes(10, 1), "plain");

    auto back = cache->objectForKey("img"); // read from disk, with the data attached again
    ASSERT_TRUE(back.data() && back.data() != image && VXDiskCache::getExtendedDataFromObject(back));
    EXPECT_TRUE(VXDiskCache::getExtendedDataFromObject(back)->isEqual(*scale));
    EXPECT_FALSE(VXDiskCache::getExtendedDataFromObject(cache->objectForKey("plain")));
    VXDiskCache::setExtendedData(scale, ns::Value()); // nothing to attach to
    VXDiskCache::setExtendedData(nullptr, image);
    EXPECT_FALSE(VXDiskCache::getExtendedDataFromObject(image));
}

TEST_F(DiskCacheTest, KeyedArchivingWithoutCustomBlocks) {
    auto cache = VXDiskCache::initWithPath(folder());
    ns::Value value(ns::Dictionary{{"name", "x"}, {"n", 3}, {"list", ns::Array{1.5, "a"}}});
    cache->setObject(value, "dict");
    EXPECT_EQ(cache->objectForKey("dict"), value);

    cache->setCustomArchiveBlock([](const ns::Value& object) { return object.data(); });
    cache->setObject(ns::Data::fromString("not an archive"), "junk");
    cache->setCustomArchiveBlock(nullptr);
    EXPECT_TRUE(cache->containsObjectForKey("junk"));
    EXPECT_TRUE(cache->objectForKey("junk").isNil());
}

TEST_F(DiskCacheTest, TrimsEverySixtySecondsByCountCostAgeAndFreeSpace) {
    auto cache = openRaw();
    for (int i = 0; i < 4; ++i) {
        cache->setObject(bytes(i == 1 ? 30000 : 100, 1), "k" + std::to_string(i));
        advance(1);
    }
    cache->objectForKey("k0");
    cache->setCountLimit(2);
    advance(50); // 54 s: no trim yet
    EXPECT_EQ(cache->totalCount(), 4);
    advance(6); // the least recently used go: k1, k2
    EXPECT_TRUE(cache->containsObjectForKey("k0") && cache->containsObjectForKey("k3") && cache->totalCount() == 2);
    EXPECT_FALSE(hasFileFor("k1"));

    cache->setCostLimit(100);
    advance(60);
    EXPECT_EQ(cache->totalCount(), 1);

    cache->setObject(bytes(10, 1), "fresh");
    cache->setAgeLimit(30);
    advance(60);
    EXPECT_EQ(cache->totalCount(), 0);

    cache->setAgeLimit(std::numeric_limits<double>::max());
    cache->setObject(bytes(10, 1), "a");
    cache->setFreeDiskSpaceLimit(std::numeric_limits<size_t>::max() / 2); // more than any disk has
    advance(60);
    EXPECT_EQ(cache->totalCount(), 0);
}

} // namespace
