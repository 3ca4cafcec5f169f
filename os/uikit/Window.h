#pragma once
// A window: the root of a view tree with a root view controller, a level, visibility (hidden at
// first) and key status. The application lists windows back to front by level, then by the order
// they were last shown; it keeps shown windows alive and hidden ones only weakly.
// Touches enter the tree here: hit-tested at the touch's start, then delivered to the gesture
// recognisers of the hit view and its ancestors and to the hit view's responder chain.

#include "os/uikit/View.h"

namespace ui {

class Window;
using WindowRef = ns::Ref<Window>;

inline constexpr double WindowLevelNormal = 0;
inline constexpr double WindowLevelStatusBar = 1000;
inline constexpr double WindowLevelAlert = 2000;

inline const std::string WindowDidBecomeVisibleNotification = "UIWindowDidBecomeVisibleNotification";
inline const std::string WindowDidBecomeHiddenNotification = "UIWindowDidBecomeHiddenNotification";
inline const std::string WindowDidBecomeKeyNotification = "UIWindowDidBecomeKeyNotification";
inline const std::string WindowDidResignKeyNotification = "UIWindowDidResignKeyNotification";

class Window : public View {
public:
    void initWithFrame(cg::Rect frame) override;

    double windowLevel() const { return level_; }
    void setWindowLevel(double level) { level_ = level; }

    // The root's view fills the window. Replacing a root takes the old root's view out.
    ns::Ref<ViewController> rootViewController() const { return root_; }
    void setRootViewController(const ns::Ref<ViewController>& controller);

    // Showing puts the window in front of its level; hiding the key window passes key status to
    // the frontmost remaining visible window (or none).
    void setHidden(bool hidden) override;
    void makeKeyAndVisible();
    void makeKeyWindow();
    // A window on its way out gives key status up before it is hidden: to the frontmost other
    // shown window, or to none. Nothing happens when it is not the key window.
    void resignKey();
    bool isKeyWindow() const;
    virtual void becomeKeyWindow() {}
    virtual void resignKeyWindow() {}

    // The device profile's insets (zero before iOS 11) where they overlap this window's frame.
    EdgeInsets safeAreaInsets() const;

    // --- Touch delivery (window coordinates) ---
    // Starts a touch at the point: null when no view accepts it.
    TouchRef beginTouch(cg::Point point, int tapCount = 1);
    void moveTouch(const TouchRef& touch, cg::Point point);
    void endTouch(const TouchRef& touch, cg::Point point);
    void cancelTouch(const TouchRef& touch);

    ResponderRef nextResponder() const override { return nullptr; }
    ~Window() override;

private:
    void deliver(const TouchRef& touch, Touch::Phase phase);

    double level_ = WindowLevelNormal;
    ns::Ref<ViewController> root_;
};

} // namespace ui
