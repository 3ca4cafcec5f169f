#pragma once
// In-memory key-value cache: an LRU list under a mutex with count, cost and age limits, trimmed
// every 5 s on a serial queue of its own; empties itself on memory warnings and on entering the
// background when asked to. Thread-safe.

#include "os/foundation/Value.h"

#include <atomic>
#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

class VXMemoryCache : public ns::Object {
public:
    // Keys are text; nullopt is the nil key.
    using Key = std::optional<std::string_view>;

    static ns::Ref<VXMemoryCache> make();
    ~VXMemoryCache() override;

    // Unlimited by default (all bits set / the largest double). Exceeding the count limit drops the
    // least recently used entry at once; cost and age are enforced by the trims.
    size_t countLimit() const { return countLimit_; }
    void setCountLimit(size_t limit) { countLimit_ = limit; }
    size_t costLimit() const { return costLimit_; }
    void setCostLimit(size_t limit) { costLimit_ = limit; }
    double ageLimit() const { return ageLimit_; }
    void setAgeLimit(double seconds) { ageLimit_ = seconds; }

    // Default YES both.
    bool shouldRemoveAllObjectsOnMemoryWarning() const { return removeAllOnMemoryWarning_; }
    void setShouldRemoveAllObjectsOnMemoryWarning(bool flag) { removeAllOnMemoryWarning_ = flag; }
    bool shouldRemoveAllObjectsWhenEnteringBackground() const { return removeAllOnBackground_; }
    void setShouldRemoveAllObjectsWhenEnteringBackground(bool flag) { removeAllOnBackground_ = flag; }

    size_t totalCount() const;
    size_t totalCost() const;

    // NO for nil.
    bool containsObjectForKey(Key key) const { return key && contains(*key); }
    // The object, which becomes the most recently used; nil for a nil key or a miss.
    ns::Value objectForKey(Key key) { return key ? object(*key) : ns::Value(); }
    // Stores or replaces the object as the most recently used; a nil object removes the key.
    void setObject(const ns::Value& object, Key key, size_t cost = 0) {
        if (key) store(object, *key, cost);
    }
    void removeObjectForKey(Key key) {
        if (key) remove(*key);
    }
    void removeAllObjects();

    struct Impl;

private:
    VXMemoryCache();
    // The key-checked operations (inline above, so the optional key never crosses a call).
    bool contains(std::string_view key) const;
    ns::Value object(std::string_view key);
    void store(const ns::Value& object, std::string_view key, size_t cost);
    void remove(std::string_view key);
    void scheduleTrim();
    void trimToCost(size_t limit);
    void trimToCount(size_t limit);
    void trimToAge(double age);

    std::unique_ptr<Impl> impl_;
    std::atomic<size_t> countLimit_{std::numeric_limits<size_t>::max()};
    std::atomic<size_t> costLimit_{std::numeric_limits<size_t>::max()};
    std::atomic<double> ageLimit_{std::numeric_limits<double>::max()};
    std::atomic<bool> removeAllOnMemoryWarning_{true};
    std::atomic<bool> removeAllOnBackground_{true};
};
