#include "platform_sdk/VXPayPlug.h"

#include "os/foundation/ResetRegistry.h"

namespace {

ns::Ref<VXPayPlug>& slot() {
    static ns::Ref<VXPayPlug> shared;
    return shared;
}

} // namespace

ns::Ref<VXPayPlug> VXPayPlug::sharedInstance() {
    // Made once per process; tests drop it through the reset registry.
    static const bool registered = [] {
        ns::ResetRegistry::add("VXPayPlug", [] { slot() = nullptr; });
        return true;
    }();
    (void)registered;
    if (!slot()) slot() = std::make_shared<VXPayPlug>();
    return slot();
}
