#pragma once
// A navigation controller: a stack of controllers under a navigation bar. Initialising with a
// root goes through the virtual pushViewController, so a subclass's override sees the root too.
// Pushing and popping swap the top view with a transition (0.35 s when animated and shown; at
// once when not shown); the stack changes at once. The bar shows the top item's title view (or
// a title label), its left and right bar-button views, or a back button when the stack is deeper
// than one and the item has no left item. A tab bar is hidden while any controller in the stack
// hides the bottom bar when pushed.

#include "os/uikit/Button.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/Image.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/ViewController.h"

#include <map>

namespace ui {

class NavigationBar;
class NavigationController;
using NavigationBarRef = ns::Ref<NavigationBar>;
using NavigationControllerRef = ns::Ref<NavigationController>;

enum class BarButtonItemStyle : int { Plain = 0, Bordered = 1, Done = 2 };
enum class BarMetrics : int { Default = 0, Compact = 1 };

class BarButtonItem : public ns::Object {
public:
    static ns::Ref<BarButtonItem> withCustomView(const ViewRef& view);
    static ns::Ref<BarButtonItem> withTitle(std::optional<std::string> title, BarButtonItemStyle style = BarButtonItemStyle::Plain);
    // The process-wide look of bar button items (recorded only).
    static BarButtonItem& appearance();

    const ViewRef& customView() const { return customView_; }
    void setCustomView(ViewRef view) { customView_ = std::move(view); }
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> title) { title_ = std::move(title); }
    BarButtonItemStyle style() const { return style_; }
    ImageRef image() const { return image_; }
    void setImage(ImageRef image) { image_ = std::move(image); }
    // The target's member function runs when the item's button is tapped (target held weakly).
    template <class T> void setTarget(const ns::Ref<T>& target, void (T::*action)()) {
        ns::Weak<T> weak = target;
        action_ = [weak, action] {
            if (auto t = weak.lock()) ((*t).*action)();
        };
    }
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    // What the bar shows: the custom view, else a button with the title or image.
    ViewRef view();

    void setTitleTextAttributes(const ns::Dictionary& attributes, unsigned state) { attributes_[state] = attributes; }
    ns::Dictionary titleTextAttributes(unsigned state) const;

private:
    ViewRef customView_;
    ButtonRef button_;
    std::optional<std::string> title_;
    ImageRef image_;
    BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
    std::function<void()> action_;
    std::map<unsigned, ns::Dictionary> attributes_;
};
using BarButtonItemRef = ns::Ref<BarButtonItem>;

class NavigationItem : public ns::Object {
public:
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> title);
    const ViewRef& titleView() const { return titleView_; }
    void setTitleView(ViewRef view);
    const BarButtonItemRef& leftBarButtonItem() const { return left_; }
    void setLeftBarButtonItem(BarButtonItemRef item);
    const BarButtonItemRef& rightBarButtonItem() const { return right_; }
    void setRightBarButtonItem(BarButtonItemRef item);
    bool hidesBackButton() const { return hidesBack_; }
    void setHidesBackButton(bool hides);

    // The bar showing the item (refreshed on every change).
    void setBar(const NavigationBarRef& bar) { bar_ = bar; }

private:
    void changed();
    std::optional<std::string> title_;
    ViewRef titleView_;
    BarButtonItemRef left_, right_;
    bool hidesBack_ = false;
    ns::Weak<NavigationBar> bar_;
};
using NavigationItemRef = ns::Ref<NavigationItem>;

class NavigationBar : public View {
public:
    static constexpr double Height = 44;
    void initWithFrame(cg::Rect frame) override;

    const ns::Dictionary& titleTextAttributes() const { return titleAttributes_; }
    void setTitleTextAttributes(ns::Dictionary attributes);
    // Shown as a one-pixel line under the bar.
    ImageRef shadowImage() const { return shadowImage_; }
    void setShadowImage(ImageRef image);
    // Fills the bar and, above it, the status bar's strip up to the top of the bar's superview.
    ColorRef barTintColor() const { return barTintColor_; }
    void setBarTintColor(ColorRef color);
    ImageRef backgroundImageForBarMetrics(BarMetrics metrics) const;
    void setBackgroundImage(ImageRef image, BarMetrics metrics);
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent) { translucent_ = translucent; }

    // The item shown and the one below it (for the back button).
    NavigationItemRef topItem() const { return top_.lock(); }
    NavigationItemRef backItem() const { return back_.lock(); }
    void setItems(const NavigationItemRef& top, const NavigationItemRef& back);
    // Shown when there is a back item and the top item has no left item and does not hide it.
    const ButtonRef& backButton() const { return backButton_; }
    const LabelRef& titleLabel() const { return titleLabel_; }
    // Re-reads the top item (items call it when they change).
    void refresh();

    void layoutSubviews() override;

private:
    friend class NavigationController;
    ns::Weak<NavigationItem> top_, back_;
    std::vector<ViewRef> hosted_;
    LabelRef titleLabel_;
    ButtonRef backButton_;
    ViewRef backdrop_;
    ImageViewRef hairline_;
    ns::Dictionary titleAttributes_;
    ImageRef shadowImage_;
    ColorRef barTintColor_;
    std::map<int, ImageRef> backgrounds_;
    bool translucent_ = true;
    ns::Weak<NavigationController> controller_;
};

// A pan that starts at the left edge of the view (within 20 points).
class ScreenEdgePanGestureRecognizer : public PanGestureRecognizer {
protected:
    void touchesBegan(const TouchSet& touches, const EventRef& event) override;
};

class NavigationController : public ViewController {
public:
    template <class T = NavigationController> static ns::Ref<T> createWithRoot(const ViewControllerRef& root) {
        auto nav = ViewController::create<T>();
        nav->initWithRootViewController(root);
        return nav;
    }
    void init() override;
    virtual void initWithRootViewController(const ViewControllerRef& root);

    virtual void pushViewController(const ViewControllerRef& controller, bool animated);
    // The popped controller; null when only the root is left.
    virtual ViewControllerRef popViewControllerAnimated(bool animated);
    virtual std::vector<ViewControllerRef> popToRootViewControllerAnimated(bool animated);
    std::vector<ViewControllerRef> popToViewController(const ViewControllerRef& controller, bool animated);

    const std::vector<ViewControllerRef>& viewControllers() const { return stack_; }
    ViewControllerRef topViewController() const { return stack_.empty() ? nullptr : stack_.back(); }
    // What is presented over the top controller, else the top controller.
    ViewControllerRef visibleViewController() const;

    const NavigationBarRef& navigationBar() const { return bar_; }
    bool isNavigationBarHidden() const { return bar_->isHidden(); }
    void setNavigationBarHidden(bool hidden, bool animated);
    const ns::Ref<ScreenEdgePanGestureRecognizer>& interactivePopGestureRecognizer() const { return popGesture_; }

    bool isTransitioning() const { return transition_.isRunning(); }
    // Runs the block when the running push or pop ends (on the next main-queue turn when none runs).
    void whenTransitionEnds(std::function<void()> block) { transition_.whenEnded(std::move(block)); }

    void loadView() override;

private:
    friend class NavigationBar;
    friend class NavigationView;
    std::vector<ViewControllerRef> popTo(size_t keep, bool animated);
    void showTop();
    void updateBar();
    void updateBottomBar();
    cg::Rect barFrame() const;
    void interactivePop();

    std::vector<ViewControllerRef> stack_;
    NavigationBarRef bar_;
    ns::Ref<ScreenEdgePanGestureRecognizer> popGesture_;
    std::shared_ptr<GestureRecognizerDelegate> popDelegate_; // the gesture's delegate until replaced
    PendingTransition transition_;
};

} // namespace ui
