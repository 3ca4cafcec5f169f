#include "os/foundation/NotificationCenter.h"

#include "os/foundation/ResetRegistry.h"

#include <algorithm>
#include <atomic>

namespace ns {

struct NotificationCenter::Entry {
    uint64_t id = 0;
    std::optional<std::string> name;
    bool filtersSender = false;
    Weak<Object> sender;
    bool hasObserver = false;
    Weak<Object> observer;
    const Object* observerKey = nullptr; // identity for removal, never dereferenced
    Callback callback;
    std::atomic<bool> removed{false};

    bool matches(const Notification& n) const {
        if (name && *name != n.name) return false;
        if (filtersSender) {
            auto s = sender.lock();
            if (!s || s != n.object) return false;
        }
        return true;
    }
    bool gone() const { return (hasObserver && observer.expired()) || (filtersSender && sender.expired()); }
};

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter* center = [] {
        ResetRegistry::add("ns::NotificationCenter", &NotificationCenter::resetDefaultCenter);
        return new NotificationCenter; // never destroyed: observers may post during exit
    }();
    return *center;
}

void NotificationCenter::resetDefaultCenter() {
    auto& center = defaultCenter();
    std::lock_guard lock(center.mutex_);
    for (auto& entry : center.entries_) entry->removed = true;
    center.entries_.clear();
}

NotificationCenter::Token NotificationCenter::addObserver(std::optional<std::string> name, const Ref<Object>& sender,
                                                          Callback block) {
    auto entry = std::make_shared<Entry>();
    entry->name = std::move(name);
    entry->filtersSender = sender != nullptr;
    entry->sender = sender;
    entry->callback = std::move(block);
    std::lock_guard lock(mutex_);
    entry->id = nextId_++;
    entries_.push_back(entry);
    return Token{entry->id};
}

void NotificationCenter::addObserver(const Ref<Object>& observer, Callback callback, std::optional<std::string> name,
                                     const Ref<Object>& sender) {
    if (!observer || !callback) return;
    auto entry = std::make_shared<Entry>();
    entry->name = std::move(name);
    entry->filtersSender = sender != nullptr;
    entry->sender = sender;
    entry->hasObserver = true;
    entry->observer = observer;
    entry->observerKey = observer.get();
    entry->callback = std::move(callback);
    std::lock_guard lock(mutex_);
    entry->id = nextId_++;
    entries_.push_back(entry);
}

void NotificationCenter::removeObserver(Token token) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const std::shared_ptr<Entry>& e) {
        if (e->id != token.id) return false;
        e->removed = true;
        return true;
    });
}

void NotificationCenter::removeObserver(const Object* observer, std::optional<std::string> name) {
    if (!observer) return;
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const std::shared_ptr<Entry>& e) {
        if (!e->hasObserver || e->observerKey != observer || (name && e->name != name)) return false;
        e->removed = true;
        return true;
    });
}

void NotificationCenter::post(const Notification& notification) {
    std::vector<std::shared_ptr<Entry>> targets;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(entries_, [](const std::shared_ptr<Entry>& e) { return e->gone(); });
        for (const auto& e : entries_)
            if (e->matches(notification)) targets.push_back(e);
    }
    for (const auto& e : targets) {
        if (e->removed) continue;
        if (e->hasObserver) {
            // Keep the observer alive for the length of its call.
            auto alive = e->observer.lock();
            if (!alive) continue;
            e->callback(notification);
        } else if (e->callback) {
            e->callback(notification);
        }
    }
}

void NotificationCenter::post(std::string name, const Ref<Object>& object, Dictionary userInfo) {
    post(Notification{std::move(name), object, std::move(userInfo)});
}

} // namespace ns
