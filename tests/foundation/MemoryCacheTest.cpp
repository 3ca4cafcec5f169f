#include "foundation/VXMemoryCache.h"

#include "os/foundation/NotificationCenter.h"
#include "tests/support/Environment.h"

#include <thread>

namespace {

using MemoryCacheTest = vx::test::SandboxTest;

TEST_F(MemoryCacheTest, StoresReplacesRemovesAndDropsTheLeastRecentlyUsed) {
    auto cache = VXMemoryCache::make();
    auto image = ns::Data::fromString("image");
    cache->setObject(image, "a", 10);
    EXPECT_EQ(cache->objectForKey("a").data(), image); // the very same object
    cache->setObject(ns::Value("other"), "a", 4);
    EXPECT_EQ(cache->objectForKey("a"), ns::Value("other"));
    EXPECT_EQ(cache->totalCost(), 4u);
    cache->setObject(ns::Value(), "a"); // nil removes
    EXPECT_FALSE(cache->containsObjectForKey("a"));
    cache->setObject(ns::Value(1), std::nullopt);
    EXPECT_TRUE(cache->objectForKey(std::nullopt).isNil());
    EXPECT_EQ(cache->totalCount(), 0u);

    cache->setCountLimit(2);
    cache->setObject(ns::Value(1), "a");
    cache->setObject(ns::Value(2), "b");
    cache->objectForKey("a");            // b is now the least recently used
    cache->setObject(ns::Value(3), "c"); // over the count: b goes at once
    EXPECT_TRUE(cache->containsObjectForKey("a"));
    EXPECT_FALSE(cache->containsObjectForKey("b"));
}

TEST_F(MemoryCacheTest, OverCostQueuesATrimToTheCostLimit) {
    auto cache = VXMemoryCache::make();
    cache->setCostLimit(100);
    cache->setObject(ns::Value(1), "a", 60);
    cache->setObject(ns::Value(2), "b", 30);
    cache->objectForKey("a");
    cache->setObject(ns::Value(3), "c", 30);
    settle();
    EXPECT_EQ(cache->totalCost(), 90u);
    EXPECT_FALSE(cache->containsObjectForKey("b"));
}

TEST_F(MemoryCacheTest, TrimsByAgeEveryFiveSeconds) {
    auto cache = VXMemoryCache::make();
    cache->setAgeLimit(8);
    cache->setObject(ns::Value(1), "old");
    cache->setObject(ns::Value(2), "read");
    advance(4);
    cache->setObject(ns::Value(3), "young");
    cache->objectForKey("read"); // a read makes it young again
    advance(4.5);                // the trim at 5 s finds nothing older than 8 s
    EXPECT_TRUE(cache->containsObjectForKey("old"));
    advance(1.5); // the trim at 10 s
    EXPECT_FALSE(cache->containsObjectForKey("old"));
    EXPECT_TRUE(cache->containsObjectForKey("young"));
    EXPECT_TRUE(cache->containsObjectForKey("read"));

    cache->setCountLimit(0); // a lowered limit is enforced by the next periodic trim
    advance(5);
    EXPECT_EQ(cache->totalCount(), 0u);
}

TEST_F(MemoryCacheTest, MemoryWarningAndBackgroundEmptyTheCacheWhenAsked) {
    auto cache = VXMemoryCache::make();
    auto post = [&](const char* name) {
        cache->setObject(ns::Value(1), "a", 5);
        ns::NotificationCenter::defaultCenter().post(name);
        return cache->totalCount();
    };
    cache->setShouldRemoveAllObjectsOnMemoryWarning(false);
    cache->setShouldRemoveAllObjectsWhenEnteringBackground(false);
    EXPECT_EQ(post("UIApplicationDidReceiveMemoryWarningNotification"), 1u);
    EXPECT_EQ(post("UIApplicationDidEnterBackgroundNotification"), 1u);
    cache->setShouldRemoveAllObjectsOnMemoryWarning(true);
    EXPECT_EQ(post("UIApplicationDidReceiveMemoryWarningNotification"), 0u);
    EXPECT_EQ(post("UIApplicationDidEnterBackgroundNotification"), 1u);
    cache->setShouldRemoveAllObjectsWhenEnteringBackground(true);
    EXPECT_EQ(post("UIApplicationDidEnterBackgroundNotification"), 0u);
    EXPECT_EQ(cache->totalCost(), 0u);
}

TEST_F(MemoryCacheTest, ConcurrentUseKeepsTotalsConsistent) {
    auto cache = VXMemoryCache::make();
    cache->setCountLimit(50);
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([cache, t] {
            for (int i = 0; i < 2000; ++i) {
                std::string key = std::to_string((i * 7 + t) % 80);
                cache->setObject(ns::Value(i), key, 1);
                cache->objectForKey(std::to_string(i % 80));
                if (i % 5 == 0) cache->removeObjectForKey(key);
            }
        });
    threads.clear(); // joins
    EXPECT_LE(cache->totalCount(), 50u);
    EXPECT_EQ(cache->totalCost(), cache->totalCount());
}

} // namespace
