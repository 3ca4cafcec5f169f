#include "os/quartz/Animation.h"

namespace ca {

ns::Ref<MediaTimingFunction> MediaTimingFunction::functionWithName(const std::string& name) {
    return ns::make<MediaTimingFunction>(name);
}

ns::Ref<Animation> Animation::animation() { return ns::make<Animation>(); }

ns::Ref<Transition> Transition::animation() { return ns::make<Transition>(); }

} // namespace ca
