#pragma once
// Between the block animations and the view setters (not for callers outside os/uikit).

#include "os/quartz/Layer.h"

#include <optional>

namespace ui::detail {

// The timing of the innermost running animation block (starting after its delay from now), or
// none outside a block, in one of duration 0 or under performWithoutAnimation.
std::optional<ca::AnimationTiming> runningAnimationTiming();

} // namespace ui::detail
