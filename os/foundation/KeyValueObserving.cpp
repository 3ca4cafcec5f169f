#include "os/foundation/KeyValueObserving.h"

#include <atomic>

namespace ns {

struct KeyValueObserving::Entry {
    uint64_t id = 0;
    std::string key;
    Weak<Object> observer;
    const Object* observerKey = nullptr; // identity for removal, never dereferenced
    Callback didChange;
    Callback willChange;
    std::atomic<bool> removed{false};
};

uint64_t KeyValueObserving::addObserver(const Ref<Object>& observer, std::string key, Callback didChange,
                                        Callback willChange) {
    if (!observer) return 0;
    auto entry = std::make_shared<Entry>();
    entry->key = std::move(key);
    entry->observer = observer;
    entry->observerKey = observer.get();
    entry->didChange = std::move(didChange);
    entry->willChange = std::move(willChange);
    std::lock_guard lock(kvoMutex_);
    entry->id = kvoNextId_++;
    kvoEntries_.push_back(entry);
    return entry->id;
}

void KeyValueObserving::removeObserver(uint64_t id) {
    std::lock_guard lock(kvoMutex_);
    std::erase_if(kvoEntries_, [&](const std::shared_ptr<Entry>& e) {
        if (e->id != id) return false;
        e->removed = true;
        return true;
    });
}

void KeyValueObserving::removeObserver(const Object* observer, const std::string& key) {
    std::lock_guard lock(kvoMutex_);
    std::erase_if(kvoEntries_, [&](const std::shared_ptr<Entry>& e) {
        if (e->observerKey != observer || e->key != key) return false;
        e->removed = true;
        return true;
    });
}

void KeyValueObserving::removeObserver(const Object* observer) {
    std::lock_guard lock(kvoMutex_);
    std::erase_if(kvoEntries_, [&](const std::shared_ptr<Entry>& e) {
        if (e->observerKey != observer) return false;
        e->removed = true;
        return true;
    });
}

void KeyValueObserving::willChangeValueForKey(const std::string& key) { notify(key, false); }

void KeyValueObserving::didChangeValueForKey(const std::string& key) { notify(key, true); }

void KeyValueObserving::notify(const std::string& key, bool after) {
    std::vector<std::shared_ptr<Entry>> targets;
    {
        std::lock_guard lock(kvoMutex_);
        std::erase_if(kvoEntries_, [](const std::shared_ptr<Entry>& e) { return e->observer.expired(); });
        for (const auto& e : kvoEntries_)
            if (e->key == key) targets.push_back(e);
    }
    for (const auto& e : targets) {
        const Callback& callback = after ? e->didChange : e->willChange;
        if (e->removed || !callback) continue;
        auto alive = e->observer.lock();
        if (alive) callback(key);
    }
}

} // namespace ns
