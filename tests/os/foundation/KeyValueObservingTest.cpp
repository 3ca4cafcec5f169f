#include "os/foundation/KeyValueObserving.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace ns;

namespace {

class Player : public Object, public KeyValueObserving {
public:
    void setIndex(int value) {
        willChangeValueForKey("currentAnimatedImageIndex");
        index = value;
        didChangeValueForKey("currentAnimatedImageIndex");
    }
    int index = 0;
};

} // namespace

TEST(KeyValueObserving, WillAndDidAroundTheChange) {
    auto player = make<Player>();
    auto observer = make<Object>();
    std::vector<std::string> seen;
    player->addObserver(observer, "currentAnimatedImageIndex",
        [&](const std::string& key) { seen.push_back("did " + key + " " + std::to_string(player->index)); },
        [&](const std::string&) { seen.push_back("will " + std::to_string(player->index)); });
    player->addObserver(observer, "other", [&](const std::string&) { seen.push_back("other"); });
    player->setIndex(4);
    EXPECT_EQ(seen, (std::vector<std::string>{"will 0", "did currentAnimatedImageIndex 4"}));
}

TEST(KeyValueObserving, ObserversAreWeakAndRemovableEvenDuringANotification) {
    auto player = make<Player>();
    auto keep = make<Object>();
    auto drop = make<Object>();
    int kept = 0, dropped = 0;
    uint64_t id = player->addObserver(keep, "k", [&](const std::string&) { ++kept; });
    player->addObserver(drop, "k", [&](const std::string&) { ++dropped; });
    drop.reset();
    player->didChangeValueForKey("k");
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(dropped, 0);
    player->removeObserver(id);
    player->didChangeValueForKey("k");
    EXPECT_EQ(kept, 1);

    player->addObserver(keep, "a", [&](const std::string&) { ++kept; });
    player->addObserver(keep, "b", [&](const std::string&) { ++kept; });
    player->removeObserver(keep.get(), "a");
    player->didChangeValueForKey("a");
    player->didChangeValueForKey("b");
    EXPECT_EQ(kept, 2);
    player->removeObserver(keep.get());
    player->didChangeValueForKey("b");
    EXPECT_EQ(kept, 2);

    // Removal during a notification is safe and stops the later observers at once.
    player->addObserver(keep, "k", [&](const std::string&) { player->removeObserver(keep.get()); });
    player->addObserver(keep, "k", [&](const std::string&) { ++kept; });
    player->didChangeValueForKey("k");
    EXPECT_EQ(kept, 2);
}

TEST(KeyValueObserving, ChangesFromManyThreads) {
    auto player = make<Player>();
    auto observer = make<Object>();
    std::atomic<int> count{0};
    player->addObserver(observer, "k", [&](const std::string&) { ++count; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) player->didChangeValueForKey("k");
        });
    for (int i = 0; i < 200; ++i) player->addObserver(make<Object>(), "k", [](const std::string&) {}); // gone at once
    for (auto& t : threads) t.join();
    EXPECT_EQ(count.load(), 2000);
}
