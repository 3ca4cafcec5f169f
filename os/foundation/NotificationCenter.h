#pragma once
// NSNotificationCenter: synchronous delivery on the posting thread, to the observers in the order
// they registered. Observers added during a delivery wait for the next post; observers removed during
// a delivery are not called any more. Thread-safe.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ns {

struct Notification {
    std::string name;
    Ref<Object> object;
    Dictionary userInfo;
};

class NotificationCenter {
public:
    using Callback = std::function<void(const Notification&)>;
    // Handle of a block observer, for removeObserver.
    struct Token {
        uint64_t id = 0;
        explicit operator bool() const { return id != 0; }
        bool operator==(const Token&) const = default;
    };

    static NotificationCenter& defaultCenter();
    // Test hook: forgets every observer of the default center.
    static void resetDefaultCenter();

    // Filters: a name (nullopt: every name) and a sender (null: any sender). The sender is held weakly;
    // once it is gone the observer hears nothing more.
    Token addObserver(std::optional<std::string> name, const Ref<Object>& sender, Callback block);
    // Observer held weakly: the callback runs only while it is alive and is dropped once it is gone.
    // The callback must not hold the observer strongly.
    void addObserver(const Ref<Object>& observer, Callback callback, std::optional<std::string> name,
                     const Ref<Object>& sender = nullptr);
    // The same with a member function of the observer.
    template <class T>
    void addObserver(const Ref<T>& observer, void (T::*method)(const Notification&), std::optional<std::string> name,
                     const Ref<Object>& sender = nullptr) {
        Weak<T> weak = observer;
        addObserver(std::static_pointer_cast<Object>(observer), [weak, method](const Notification& n) {
            if (auto strong = weak.lock()) ((*strong).*method)(n);
        }, std::move(name), sender);
    }

    void removeObserver(Token token);
    // Every registration of the observer, or only those for the name.
    void removeObserver(const Object* observer, std::optional<std::string> name = std::nullopt);

    void post(const Notification& notification);
    void post(std::string name, const Ref<Object>& object = nullptr, Dictionary userInfo = {});

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

private:
    struct Entry;
    std::mutex mutex_;
    std::vector<std::shared_ptr<Entry>> entries_;
    uint64_t nextId_ = 1;
};

} // namespace ns
