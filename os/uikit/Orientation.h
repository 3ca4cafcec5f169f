#pragma once
// Interface orientations, their masks and the status bar styles, with the platform's values.

namespace ui {

enum class InterfaceOrientation : int {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 4,
    LandscapeRight = 3,
};

enum InterfaceOrientationMask : unsigned {
    InterfaceOrientationMaskPortrait = 1u << 1,           // 2
    InterfaceOrientationMaskLandscapeLeft = 1u << 4,      // 16
    InterfaceOrientationMaskLandscapeRight = 1u << 3,     // 8
    InterfaceOrientationMaskPortraitUpsideDown = 1u << 2, // 4
    InterfaceOrientationMaskLandscape = (1u << 4) | (1u << 3),                           // 24
    InterfaceOrientationMaskAll = (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4),         // 30
    InterfaceOrientationMaskAllButUpsideDown = (1u << 1) | (1u << 3) | (1u << 4),        // 26
};

enum class StatusBarStyle : int { Default = 0, LightContent = 1, DarkContent = 3 };

} // namespace ui
