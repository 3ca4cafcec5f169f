#pragma once
// The device's advertising identifier: one UUID per device, settable so tests can fix it.

#include <mutex>
#include <string>

namespace ns {

class AdvertisingIdentifier {
public:
    static AdvertisingIdentifier& shared();
    // Upper-case 8-4-4-4-12 text; made once on first use.
    std::string uuidString();
    void setUUIDString(std::string uuid);

private:
    std::mutex mutex_;
    std::string uuid_;
};

} // namespace ns
