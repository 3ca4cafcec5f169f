#pragma once
// KVO-lite: per-key observers of one object, told before and after a change that the object announces
// itself with willChangeValueForKey / didChangeValueForKey. Observers are held weakly; thread-safe.
// A class whose properties are observable inherits this next to ns::Object.

#include "os/foundation/Object.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ns {

class KeyValueObserving {
public:
    using Callback = std::function<void(const std::string& key)>;

    // Either callback may be empty. Callbacks run on the thread that announces the change, only while
    // the observer is alive; they must not hold the observer strongly. Returns an id for removal.
    uint64_t addObserver(const Ref<Object>& observer, std::string key, Callback didChange, Callback willChange = {});
    void removeObserver(uint64_t id);
    void removeObserver(const Object* observer, const std::string& key);
    void removeObserver(const Object* observer); // every key

    virtual void willChangeValueForKey(const std::string& key);
    virtual void didChangeValueForKey(const std::string& key);

    KeyValueObserving() = default;
    KeyValueObserving(const KeyValueObserving&) = delete;
    KeyValueObserving& operator=(const KeyValueObserving&) = delete;

protected:
    virtual ~KeyValueObserving() = default;

private:
    struct Entry;
    void notify(const std::string& key, bool after);
    std::mutex kvoMutex_;
    std::vector<std::shared_ptr<Entry>> kvoEntries_;
    uint64_t kvoNextId_ = 1;
};

} // namespace ns
