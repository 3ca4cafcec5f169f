#include "os/foundation/AdvertisingIdentifier.h"

#include "os/foundation/UUID.h"

namespace ns {

AdvertisingIdentifier& AdvertisingIdentifier::shared() {
    static AdvertisingIdentifier instance;
    return instance;
}

std::string AdvertisingIdentifier::uuidString() {
    std::lock_guard lock(mutex_);
    if (uuid_.empty()) uuid_ = UUID::random().string();
    return uuid_;
}

void AdvertisingIdentifier::setUUIDString(std::string uuid) {
    std::lock_guard lock(mutex_);
    uuid_ = std::move(uuid);
}

} // namespace ns
