#pragma once
// The process's reachability manager. Nothing here monitors it; it answers what the interfaces say.

#include "os/foundation/Object.h"

class SDPNetworkReachabilityManager : public ns::Object {
public:
    enum class Status { Unknown = -1, NotReachable = 0, ReachableViaWWAN = 1, ReachableViaWiFi = 2 };
    static const ns::Ref<SDPNetworkReachabilityManager>& sharedManager();

    // ReachableViaWiFi while a non-loopback interface is up, NotReachable otherwise.
    Status networkReachabilityStatus() const;
    bool isReachable() const { return networkReachabilityStatus() != Status::NotReachable; }
};
