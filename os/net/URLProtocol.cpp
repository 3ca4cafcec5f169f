#include "os/net/URLProtocol.h"

#include "os/net/URLRequest.h"

#include <mutex>
#include <vector>

namespace ns {

namespace {

struct Registration {
    uint64_t id;
    URLProtocolRegistry::Matcher matcher;
    URLProtocolRegistry::Responder responder;
};

struct Registry {
    std::mutex mutex;
    uint64_t nextId = 1;
    std::vector<Registration> handlers; // oldest first
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

uint64_t URLProtocolRegistry::registerHandler(Matcher matcher, Responder responder) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    uint64_t id = r.nextId++;
    r.handlers.push_back({id, std::move(matcher), std::move(responder)});
    return id;
}

void URLProtocolRegistry::unregisterHandler(uint64_t id) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.handlers, [id](const Registration& h) { return h.id == id; });
}

void URLProtocolRegistry::unregisterAll() {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.handlers.clear();
}

URLProtocolRegistry::Responder URLProtocolRegistry::responderFor(const URLRequest& request) {
    std::vector<Registration> handlers;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        if (r.handlers.empty()) return {};
        handlers = r.handlers;
    }
    // Matchers run outside the lock: they are the test's code.
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
        if (it->matcher && it->matcher(request)) return it->responder;
    }
    return {};
}

} // namespace ns
