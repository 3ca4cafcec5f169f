#include "platform_sdk/VXEndpoints.h"

#include "os/foundation/Bundle.h"
#include "os/foundation/URL.h"

namespace VXEndpoints {

std::string apiHost() {
    auto configured = ns::Bundle::main()->objectForInfoDictionaryKey("VXPlatformAPIHost").string();
    std::string host = configured && !configured->empty() ? *configured : DefaultAPIHost;
    while (!host.empty() && host.back() == '/') host.pop_back();
    return host;
}

std::string baseURL() { return apiHost() + "/sdkapicoupon2/"; }

std::string referer() {
    auto url = ns::URL::fromString(apiHost());
    std::string name = url && url->host() ? *url->host() : std::string();
    return name + "://";
}

std::string boxPageURL() { return apiHost() + "/cdcloud/welcome/box"; }

} // namespace VXEndpoints
