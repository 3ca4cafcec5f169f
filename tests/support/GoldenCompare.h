#pragma once
// The one comparison of screen captures with their golden pictures. Rendering here is
// deterministic (same fonts, same libraries), so the rule is strict: a pixel differs when any
// channel is more than kChannelSlack apart, and a capture matches when at most kStrayPixels
// pixels differ. A hairline across a label, one changed character or a missing shadow moves
// hundreds of pixels.
//
// VX_UPDATE_GOLDEN=1 makes the capture the new golden instead (look at it before committing).

#include "os/graphics/Image.h"

#include <gtest/gtest.h>

#include <string>

namespace vx::test {

inline constexpr int kChannelSlack = 2;
inline constexpr size_t kStrayPixels = 4;

// Same size, and no more than kStrayPixels pixels differing; the failure names the count and the
// box (in pixels) that holds every difference.
::testing::AssertionResult sameAsGolden(const cg::ImageRef& shot, const cg::ImageRef& golden, const std::string& name);

// The PNG at `shotPath` against the golden PNG at `goldenPath` (or, when updating, copied over it).
::testing::AssertionResult matchesGoldenFile(const std::string& shotPath, const std::string& goldenPath);

} // namespace vx::test
