#pragma once
// A table keyed by text that a client can fill with cheap requests: each entry remembers when it
// was last set, so it can go once its time is over, and a cap can drop the oldest first.

#include <cstdint>
#include <map>
#include <string>

namespace vx::server {

template <class V>
class AgedTable {
public:
    V* find(const std::string& key) {
        auto it = entries_.find(key);
        return it == entries_.end() ? nullptr : &it->second.value;
    }
    const V* find(const std::string& key) const {
        auto it = entries_.find(key);
        return it == entries_.end() ? nullptr : &it->second.value;
    }
    size_t size() const { return entries_.size(); }

    // Sets the entry as the newest, its time starting now.
    V& put(const std::string& key, V value, double now) {
        erase(key);
        uint64_t order = ++last_;
        auto& e = entries_[key];
        e = Entry{std::move(value), now, order};
        byAge_.emplace(order, key);
        return e.value;
    }
    // Makes an entry that is in the table the newest, its time starting now, its value kept.
    V& renew(const std::string& key, double now) {
        V value = std::move(entries_.at(key).value);
        return put(key, std::move(value), now);
    }
    void erase(const std::string& key) {
        auto it = entries_.find(key);
        if (it == entries_.end()) return;
        byAge_.erase(it->second.order);
        entries_.erase(it);
    }
    // Drops the entries set `lifetime` seconds ago or earlier. Entries are set in the clock's
    // order, so the oldest are looked at first and the rest stay untouched.
    void expire(double now, double lifetime) {
        while (!byAge_.empty()) {
            auto it = entries_.find(byAge_.begin()->second);
            if (now - it->second.since < lifetime) return;
            erase(it->first);
        }
    }
    // Drops the oldest entries while more than `cap` remain.
    void trim(size_t cap) {
        while (entries_.size() > cap) erase(byAge_.begin()->second);
    }

private:
    struct Entry {
        V value;
        double since = 0;
        uint64_t order = 0;
    };
    std::map<std::string, Entry> entries_;
    std::map<uint64_t, std::string> byAge_; // every entry, oldest first
    uint64_t last_ = 0;
};

} // namespace vx::server
