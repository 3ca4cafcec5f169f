#pragma once
// A table keyed by text that a client can fill with cheap requests: each entry remembers when it
// was set, so it can go once its time is over, and past a cap the oldest go first. Entries can be
// pinned: only time takes them away, never the cap (a lock-out must not end because others filled
// the table).

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace server {

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
    // When the entry was set (the clock's seconds); only for a key that is in the table.
    double since(const std::string& key) const { return entries_.at(key).since; }
    size_t size() const { return entries_.size(); }

    // Sets the entry as the newest, its time starting now, unpinned.
    V& put(const std::string& key, V value, double now) {
        erase(key);
        uint64_t order = ++last_;
        auto& e = entries_[key];
        e = Entry{std::move(value), now, order};
        byAge_.emplace(order, key);
        unpinned_.insert(order);
        return e.value;
    }
    void erase(const std::string& key) {
        auto it = entries_.find(key);
        if (it == entries_.end()) return;
        byAge_.erase(it->second.order);
        unpinned_.erase(it->second.order);
        entries_.erase(it);
    }
    void pin(const std::string& key) {
        auto it = entries_.find(key);
        if (it != entries_.end()) unpinned_.erase(it->second.order);
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
    // Drops the oldest unpinned entries while more than `cap` remain.
    void trim(size_t cap) {
        while (entries_.size() > cap && !unpinned_.empty()) erase(byAge_.at(*unpinned_.begin()));
    }
    // Whether one more entry fits within `cap`, an unpinned one giving way if need be.
    bool hasRoom(size_t cap) const { return entries_.size() < cap || !unpinned_.empty(); }

private:
    struct Entry {
        V value;
        double since = 0;
        uint64_t order = 0;
    };
    std::map<std::string, Entry> entries_;
    std::map<uint64_t, std::string> byAge_; // every entry, oldest first
    std::set<uint64_t> unpinned_;           // the ones the cap may drop, oldest first
    uint64_t last_ = 0;
};

} // namespace server
