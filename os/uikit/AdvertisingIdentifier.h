#pragma once
// The advertising identifier: a UUID string fixed for the process (settable), all zeros while
// advertising tracking is limited. reset() (a registered reset hook) draws a new one and
// enables tracking.

#include <mutex>
#include <string>

namespace ui {

class AdvertisingIdentifierManager {
public:
    static AdvertisingIdentifierManager& sharedManager();

    // Upper-case 8-4-4-4-12 text.
    std::string advertisingIdentifier() const;
    void setAdvertisingIdentifier(std::string identifier);
    bool isAdvertisingTrackingEnabled() const;
    void setAdvertisingTrackingEnabled(bool enabled);
    void reset();

private:
    AdvertisingIdentifierManager();
    mutable std::mutex mutex_;
    std::string identifier_;
    bool tracking_ = true;
};

} // namespace ui
