#include "os/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace ns;

namespace {

struct Listener : Object {
    std::vector<std::string> heard;
    void onNote(const Notification& n) { heard.push_back(n.name); }
};

} // namespace

TEST(NotificationCenter, DeliversInRegistrationOrderWithFilters) {
    NotificationCenter center;
    auto sender = make<Object>();
    auto other = make<Object>();
    std::vector<std::string> calls;
    center.addObserver("A", nullptr, [&](const Notification& n) { calls.push_back("1" + n.name); });
    center.addObserver(std::nullopt, nullptr, [&](const Notification& n) { calls.push_back("2" + n.name); });
    center.addObserver("A", sender, [&](const Notification& n) {
        calls.push_back("3" + n.name + n.userInfo["k"].description());
    });
    center.post("A", sender, Dictionary{{"k", 5}});
    center.post("A", other);
    center.post("B");
    EXPECT_EQ(calls, (std::vector<std::string>{"1A", "2A", "3A5", "1A", "2A", "2B"}));
    calls.clear();
    sender.reset(); // a gone sender matches no post, not even one without a sender
    center.post("A");
    EXPECT_EQ(calls, (std::vector<std::string>{"1A", "2A"}));
}

TEST(NotificationCenter, RemovalDuringDeliveryIsSafe) {
    NotificationCenter center;
    std::vector<int> calls;
    NotificationCenter::Token second;
    NotificationCenter::Token first = center.addObserver("N", nullptr, [&](const Notification&) {
        calls.push_back(1);
        center.removeObserver(second);
        center.removeObserver(first);
        center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back(4); });
    });
    second = center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back(2); });
    center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back(3); });
    center.post("N");
    EXPECT_EQ(calls, (std::vector<int>{1, 3}));
    center.post("N");
    EXPECT_EQ(calls, (std::vector<int>{1, 3, 3, 4}));
}

TEST(NotificationCenter, WeakObserversAreDroppedWhenGone) {
    NotificationCenter center;
    auto listener = make<Listener>();
    center.addObserver(listener, &Listener::onNote, "Warn");
    center.addObserver(listener, &Listener::onNote, "Background");
    center.post("Warn");
    center.removeObserver(listener.get(), "Background");
    center.post("Background");
    EXPECT_EQ(listener->heard, (std::vector<std::string>{"Warn"}));

    int calls = 0;
    auto gone = make<Object>();
    center.addObserver(gone, [&](const Notification&) { ++calls; }, "Warn");
    gone.reset();
    center.post("Warn");
    EXPECT_EQ(calls, 0);

    EXPECT_EQ(listener->heard.size(), 2u);
    center.removeObserver(listener.get());
    center.post("Warn");
    EXPECT_EQ(listener->heard.size(), 2u);
}

TEST(NotificationCenter, DeliveryHappensOnThePostingThread) {
    NotificationCenter center;
    std::thread::id deliveredOn;
    center.addObserver("N", nullptr, [&](const Notification&) { deliveredOn = std::this_thread::get_id(); });
    std::thread::id poster;
    std::thread([&] {
        poster = std::this_thread::get_id();
        center.post("N");
    }).join();
    EXPECT_EQ(deliveredOn, poster);
}

TEST(NotificationCenter, DefaultCenterResets) {
    int calls = 0;
    NotificationCenter::defaultCenter().addObserver("N", nullptr, [&](const Notification&) { ++calls; });
    NotificationCenter::defaultCenter().post("N");
    NotificationCenter::resetDefaultCenter();
    NotificationCenter::defaultCenter().post("N");
    EXPECT_EQ(calls, 1);
}
