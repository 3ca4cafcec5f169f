#include "os/uikit/AdvertisingIdentifier.h"

#include "os/foundation/ResetRegistry.h"
#include "os/foundation/UUID.h"

namespace ui {

AdvertisingIdentifierManager& AdvertisingIdentifierManager::sharedManager() {
    static AdvertisingIdentifierManager* manager = [] {
        ns::ResetRegistry::add("ui.AdvertisingIdentifierManager",
                               [] { AdvertisingIdentifierManager::sharedManager().reset(); });
        return new AdvertisingIdentifierManager;
    }();
    return *manager;
}

AdvertisingIdentifierManager::AdvertisingIdentifierManager() : identifier_(ns::UUID::random().string()) {}

std::string AdvertisingIdentifierManager::advertisingIdentifier() const {
    std::lock_guard lock(mutex_);
    return tracking_ ? identifier_ : "00000000-0000-0000-0000-000000000000";
}

void AdvertisingIdentifierManager::setAdvertisingIdentifier(std::string identifier) {
    std::lock_guard lock(mutex_);
    identifier_ = std::move(identifier);
}

bool AdvertisingIdentifierManager::isAdvertisingTrackingEnabled() const {
    std::lock_guard lock(mutex_);
    return tracking_;
}

void AdvertisingIdentifierManager::setAdvertisingTrackingEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    tracking_ = enabled;
}

void AdvertisingIdentifierManager::reset() {
    std::lock_guard lock(mutex_);
    identifier_ = ns::UUID::random().string();
    tracking_ = true;
}

} // namespace ui
