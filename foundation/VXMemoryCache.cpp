#include "foundation/VXMemoryCache.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Clock.h"
#include "os/foundation/NotificationCenter.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr double kAutoTrimInterval = 5;
constexpr const char* kMemoryWarningNotification = "UIApplicationDidReceiveMemoryWarningNotification";
constexpr const char* kDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";

// One entry of the LRU list, kept in place inside the map (map values never move).
struct Entry {
    ns::Value value;
    size_t cost = 0;
    double time = 0; // last access, monotonic seconds
    Entry* prev = nullptr;
    Entry* next = nullptr;
    const std::string* key = nullptr; // the map's own key
};

// Lookups by string_view without building a string.
struct KeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
};

using EntryMap = std::unordered_map<std::string, Entry, KeyHash, std::equal_to<>>;

} // namespace

struct VXMemoryCache::Impl {
    mutable std::mutex mutex;
    EntryMap map;
    Entry* head = nullptr; // most recently used
    Entry* tail = nullptr; // least recently used
    size_t totalCost = 0;
    dispatch::Queue queue;
    std::vector<ns::NotificationCenter::Token> observers;

    void unlink(Entry* entry) {
        (entry->prev ? entry->prev->next : head) = entry->next;
        (entry->next ? entry->next->prev : tail) = entry->prev;
        entry->prev = entry->next = nullptr;
    }

    void insertAtHead(Entry* entry) {
        entry->prev = nullptr;
        entry->next = head;
        if (head) head->prev = entry;
        head = entry;
        if (!tail) tail = entry;
    }

    void bringToHead(Entry* entry) {
        if (head == entry) return;
        unlink(entry);
        insertAtHead(entry);
    }

    // Drops the entry and hands its value back, so that the caller releases it after unlocking.
    ns::Value remove(Entry* entry) {
        ns::Value value = std::move(entry->value);
        totalCost -= entry->cost;
        unlink(entry);
        map.erase(map.find(std::string_view(*entry->key)));
        return value;
    }
};

ns::Ref<VXMemoryCache> VXMemoryCache::make() {
    ns::Ref<VXMemoryCache> cache(new VXMemoryCache());
    ns::Weak<VXMemoryCache> weak = cache;
    auto& center = ns::NotificationCenter::defaultCenter();
    cache->impl_->observers.push_back(center.addObserver(kMemoryWarningNotification, nullptr, [weak](const ns::Notification&) {
        auto self = weak.lock();
        if (self && self->shouldRemoveAllObjectsOnMemoryWarning()) self->removeAllObjects();
    }));
    cache->impl_->observers.push_back(center.addObserver(kDidEnterBackgroundNotification, nullptr, [weak](const ns::Notification&) {
        auto self = weak.lock();
        if (self && self->shouldRemoveAllObjectsWhenEnteringBackground()) self->removeAllObjects();
    }));
    cache->scheduleTrim();
    return cache;
}

VXMemoryCache::VXMemoryCache() : impl_(std::make_unique<Impl>()) {
    impl_->queue = dispatch::Queue::createSerial("com.vx.cache.memory");
}

VXMemoryCache::~VXMemoryCache() {
    auto& center = ns::NotificationCenter::defaultCenter();
    for (auto token : impl_->observers) center.removeObserver(token);
}

// Trims every few seconds on the cache's own queue for as long as the cache lives.
void VXMemoryCache::scheduleTrim() {
    ns::Weak<VXMemoryCache> weak = ref<VXMemoryCache>();
    dispatch::after(kAutoTrimInterval, impl_->queue, [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->trimToCost(self->costLimit());
        self->trimToCount(self->countLimit());
        self->trimToAge(self->ageLimit());
        self->scheduleTrim();
    });
}

size_t VXMemoryCache::totalCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->map.size();
}

size_t VXMemoryCache::totalCost() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->totalCost;
}

bool VXMemoryCache::contains(std::string_view key) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->map.contains(key);
}

ns::Value VXMemoryCache::object(std::string_view key) {
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->map.find(key);
    if (it == impl_->map.end()) return {};
    Entry& entry = it->second;
    entry.time = ns::Clock::coarseNow();
    impl_->bringToHead(&entry);
    return entry.value;
}

void VXMemoryCache::store(const ns::Value& object, std::string_view key, size_t cost) {
    if (object.isNil()) {
        remove(key);
        return;
    }
    ns::Value dropped; // released after the unlock
    bool overCost;
    double now = ns::Clock::coarseNow();
    {
        std::lock_guard lock(impl_->mutex);
        auto it = impl_->map.find(key);
        if (it != impl_->map.end()) {
            Entry& entry = it->second;
            impl_->totalCost = impl_->totalCost - entry.cost + cost;
            entry.value = object;
            entry.cost = cost;
            entry.time = now;
            impl_->bringToHead(&entry);
        } else {
            it = impl_->map.emplace(std::string(key), Entry{object, cost, now}).first;
            it->second.key = &it->first;
            impl_->insertAtHead(&it->second);
            impl_->totalCost += cost;
        }
        overCost = impl_->totalCost > costLimit_;
        if (impl_->map.size() > countLimit_ && impl_->tail) dropped = impl_->remove(impl_->tail);
    }
    if (overCost) {
        ns::Weak<VXMemoryCache> weak = ref<VXMemoryCache>();
        dispatch::async(impl_->queue, [weak] {
            if (auto self = weak.lock()) self->trimToCost(self->costLimit());
        });
    }
}

void VXMemoryCache::remove(std::string_view key) {
    ns::Value removed; // declared before the lock: released after the unlock
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->map.find(key);
    if (it != impl_->map.end()) removed = impl_->remove(&it->second);
}

void VXMemoryCache::removeAllObjects() {
    EntryMap removed; // released after the unlock
    std::lock_guard lock(impl_->mutex);
    removed.swap(impl_->map);
    impl_->head = impl_->tail = nullptr;
    impl_->totalCost = 0;
}

// --- Trimming: least recently used first, a few entries per lock so callers are not held up. ---

namespace {
constexpr int kTrimBatch = 32;
}

void VXMemoryCache::trimToCost(size_t limit) {
    for (bool more = true; more;) {
        std::vector<ns::Value> removed; // released after the unlock
        std::lock_guard lock(impl_->mutex);
        for (int i = 0; i < kTrimBatch && impl_->totalCost > limit && impl_->tail; ++i)
            removed.push_back(impl_->remove(impl_->tail));
        more = impl_->totalCost > limit && impl_->tail;
    }
}

void VXMemoryCache::trimToCount(size_t limit) {
    for (bool more = true; more;) {
        std::vector<ns::Value> removed; // released after the unlock
        std::lock_guard lock(impl_->mutex);
        for (int i = 0; i < kTrimBatch && impl_->map.size() > limit && impl_->tail; ++i)
            removed.push_back(impl_->remove(impl_->tail));
        more = impl_->map.size() > limit && impl_->tail;
    }
}

void VXMemoryCache::trimToAge(double age) {
    if (age >= std::numeric_limits<double>::max()) return;
    double oldest = ns::Clock::now() - age;
    for (bool more = true; more;) {
        std::vector<ns::Value> removed; // released after the unlock
        std::lock_guard lock(impl_->mutex);
        for (int i = 0; i < kTrimBatch && impl_->tail && impl_->tail->time < oldest; ++i)
            removed.push_back(impl_->remove(impl_->tail));
        more = impl_->tail && impl_->tail->time < oldest;
    }
}
