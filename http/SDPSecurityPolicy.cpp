#include "http/SDPSecurityPolicy.h"

#include "http/SDPNetworkReachabilityManager.h"
#include "os/net/URLError.h"

ns::Ref<SDPSecurityPolicy> SDPSecurityPolicy::defaultPolicy() { return std::make_shared<SDPSecurityPolicy>(); }

const ns::Ref<SDPNetworkReachabilityManager>& SDPNetworkReachabilityManager::sharedManager() {
    static const auto shared = std::make_shared<SDPNetworkReachabilityManager>();
    return shared;
}

SDPNetworkReachabilityManager::Status SDPNetworkReachabilityManager::networkReachabilityStatus() const {
    return ns::networkInterfaceIsUp() ? Status::ReachableViaWiFi : Status::NotReachable;
}
