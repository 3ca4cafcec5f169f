#include "os/foundation/ResetRegistry.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace ns {
namespace {

struct Registry {
    std::mutex m;
    std::vector<std::pair<std::string, std::function<void()>>> entries;
};

Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

} // namespace

void ResetRegistry::add(const std::string& name, std::function<void()> reset) {
    Registry& r = registry();
    std::lock_guard lock(r.m);
    for (auto& e : r.entries) {
        if (e.first == name) {
            e.second = std::move(reset);
            return;
        }
    }
    r.entries.emplace_back(name, std::move(reset));
}

void ResetRegistry::remove(const std::string& name) {
    Registry& r = registry();
    std::lock_guard lock(r.m);
    r.entries.erase(std::remove_if(r.entries.begin(), r.entries.end(), [&](auto& e) { return e.first == name; }),
                    r.entries.end());
}

void ResetRegistry::resetAll() {
    Registry& r = registry();
    std::vector<std::function<void()>> resets;
    {
        std::lock_guard lock(r.m);
        for (auto& e : r.entries) resets.push_back(e.second);
    }
    // Outside the lock: a reset may register again (a singleton recreated on first use).
    for (auto& f : resets) {
        if (f) f();
    }
}

} // namespace ns
