#pragma once
// A view controller: a lazily loaded view, the appearance and layout callbacks, child
// controllers, and modal presentation. Made two-phase: ViewController::create<T>() constructs T,
// then runs its virtual init().
//
// Callback order (our rule where the platform leaves it open):
// - viewDidLoad once, before the first viewWillAppear.
// - Appearance: the controller leaving gets viewWillDisappear, then the one coming gets
//   viewWillAppear; the coming view is added and laid out (viewWillLayoutSubviews,
//   layoutSubviews, viewDidLayoutSubviews); when the transition ends the leaving one gets
//   viewDidDisappear, then the coming one viewDidAppear. Push and pop end after 0.35 s,
//   present and dismiss after 0.3 s (next main-queue turn without animation); a tab switch
//   and a view joining or leaving a visible window outside a transition end at once.
// - Each callback reaches every controller whose root view is in the tree that appears or
//   disappears (children included), parents before children; a controller never gets the
//   same callback twice in a row.
// Presentation: the presenter is the topmost ancestor of the controller asked. Presenting is
// refused (with a logged warning) when that presenter already presents something or its view
// is not in a window. Full screen, page sheet, form sheet and current context (0-3) take the
// presenter's view out of the window at the end of the transition; custom, over full screen,
// over current context and popover (4-7) keep it, and the presenter gets no callbacks.
// A dismiss sent to a controller whose presenter presents something dismisses that (and all
// above it); otherwise it is passed (virtually) to the presenter's presentingViewController;
// otherwise nothing happens. The links stay until the dismissal ends.

#include "os/foundation/Bundle.h"
#include "os/foundation/Object.h"
#include "os/uikit/Orientation.h"
#include "os/uikit/Responder.h"
#include "os/uikit/Transition.h"
#include "os/uikit/View.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class ViewController;
class NavigationController;
class TabBarController;
class NavigationItem;
class TabBarItem;
class Storyboard;
using ViewControllerRef = ns::Ref<ViewController>;

enum class ModalPresentationStyle : int {
    FullScreen = 0, PageSheet = 1, FormSheet = 2, CurrentContext = 3, Custom = 4, OverFullScreen = 5,
    OverCurrentContext = 6, Popover = 7, None = -1, Automatic = -2,
};

enum class ModalTransitionStyle : int { CoverVertical = 0, FlipHorizontal = 1, CrossDissolve = 2, PartialCurl = 3 };

class ViewController : public Responder {
public:
    using Completion = std::function<void()>;
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

    template <class T = ViewController> static ns::Ref<T> create() {
        auto controller = ns::make<T>();
        controller->init();
        return controller;
    }
    // A controller whose view comes from the nib (the main bundle when bundle is null).
    template <class T = ViewController>
    static ns::Ref<T> createWithNib(std::optional<std::string> nibName, ns::Ref<ns::Bundle> bundle) {
        auto controller = ns::make<T>();
        controller->initWithNibName(std::move(nibName), std::move(bundle));
        return controller;
    }
    // Init steps; subclasses call the base first.
    virtual void init() {}
    virtual void initWithNibName(std::optional<std::string> nibName, ns::Ref<ns::Bundle> bundle);

    // --- View ---
    // Loads the view on first access (loadView, then viewDidLoad).
    ViewRef view();
    ViewRef viewIfLoaded() const { return view_; }
    bool isViewLoaded() const { return view_ != nullptr; }
    void loadViewIfNeeded() { view(); }
    void setView(const ViewRef& view);
    // Default: the storyboard scene's view, else the nib's (its builder sets the view outlet;
    // a nib that does not is an error), else a plain view of the screen's bounds.
    virtual void loadView();
    const std::optional<std::string>& nibName() const { return nibName_; }
    ns::Ref<ns::Bundle> nibBundle() const { return nibBundle_; }
    ns::Ref<Storyboard> storyboard() const { return storyboard_; }

    // --- Lifecycle ---
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewWillDisappear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}
    virtual void updateViewConstraints() {}
    virtual void awakeFromNib() {}
    virtual void didReceiveMemoryWarning() {}
    Appearance appearance() const { return appearance_; }
    // Manual appearance calls for custom containers (the whole tree of this controller's view).
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();

    // --- Title and bar items ---
    const std::optional<std::string>& title() const { return title_; }
    // Also the navigation item's and tab bar item's title.
    virtual void setTitle(std::optional<std::string> title);
    ns::Ref<NavigationItem> navigationItem();
    ns::Ref<TabBarItem> tabBarItem();
    void setTabBarItem(ns::Ref<TabBarItem> item);
    // The nearest navigation / tab bar controller among the ancestors.
    ns::Ref<NavigationController> navigationController() const;
    ns::Ref<TabBarController> tabBarController() const;

    // --- Containment ---
    ViewControllerRef parentViewController() const { return parent_.lock(); }
    const std::vector<ViewControllerRef>& childViewControllers() const { return children_; }
    // Sends willMoveToParentViewController; the caller adds the view and sends didMove.
    virtual void addChildViewController(const ViewControllerRef& child);
    // Sends didMoveToParentViewController(null); the caller removes the view.
    void removeFromParentViewController();
    virtual void willMoveToParentViewController(const ViewControllerRef& /*parent*/) {}
    virtual void didMoveToParentViewController(const ViewControllerRef& /*parent*/) {}

    // --- Presentation ---
    void presentViewController(const ViewControllerRef& controller, bool animated, Completion completion = {});
    virtual void dismissViewControllerAnimated(bool animated, Completion completion = {});
    // Of this controller or, for a child, of its topmost ancestor.
    ViewControllerRef presentedViewController() const;
    ViewControllerRef presentingViewController() const;
    bool isBeingPresented() const { return beingPresented_; }
    bool isBeingDismissed() const { return beingDismissed_; }
    ModalPresentationStyle modalPresentationStyle() const { return presentationStyle_; }
    void setModalPresentationStyle(ModalPresentationStyle style) { presentationStyle_ = style; }
    ModalTransitionStyle modalTransitionStyle() const { return transitionStyle_; }
    void setModalTransitionStyle(ModalTransitionStyle style) { transitionStyle_ = style; }

    // --- Orientation and status bar ---
    virtual bool shouldAutorotate() const { return true; }
    virtual unsigned supportedInterfaceOrientations() const { return InterfaceOrientationMaskAllButUpsideDown; }
    virtual InterfaceOrientation preferredInterfaceOrientationForPresentation() const {
        return InterfaceOrientation::Portrait;
    }
    virtual StatusBarStyle preferredStatusBarStyle() const { return StatusBarStyle::Default; }
    virtual bool prefersStatusBarHidden() const { return false; }

    // --- Flags ---
    bool hidesBottomBarWhenPushed() const { return hidesBottomBar_; }
    void setHidesBottomBarWhenPushed(bool hides) { hidesBottomBar_ = hides; }
    bool automaticallyAdjustsScrollViewInsets() const { return adjustsInsets_; }
    void setAutomaticallyAdjustsScrollViewInsets(bool adjusts) { adjustsInsets_ = adjusts; }

    // --- Responder ---
    ResponderRef nextResponder() const override;
    ns::Ref<Window> responderWindow() const override;

    ~ViewController() override;

protected:
    // Appearance groups: the controllers whose root views are in the controller's view tree
    // (loading the view) that are settled appeared (or disappeared); and the calls on a group.
    static std::vector<ViewControllerRef> groupOf(const ViewControllerRef& controller, bool appeared);
    static void sendWill(const std::vector<ViewControllerRef>& group, bool appearing, bool animated);
    static void sendDid(const std::vector<ViewControllerRef>& group, bool appearing, bool animated);

private:
    friend class View;
    friend class Window;
    friend class Storyboard;
    static std::vector<ViewControllerRef> settledIn(const View& root, bool appeared);
    ViewControllerRef topmostAncestor();
    void dismissPresented(bool animated, Completion completion);
    bool coversPresenter() const;

    ViewRef view_;
    bool loadingView_ = false;
    std::optional<std::string> nibName_;
    ns::Ref<ns::Bundle> nibBundle_;
    ns::Ref<Storyboard> storyboard_;
    std::function<void(ViewController&)> sceneViewLoader_;
    Appearance appearance_ = Appearance::Disappeared;
    std::vector<ViewControllerRef> manualGroup_;
    bool manualAppearing_ = false;
    std::optional<std::string> title_;
    ns::Ref<NavigationItem> navigationItem_;
    ns::Ref<TabBarItem> tabBarItem_;
    ns::Weak<ViewController> parent_;
    std::vector<ViewControllerRef> children_;
    ViewControllerRef presented_;
    ns::Weak<ViewController> presenting_;
    PendingTransition presentation_;
    bool beingPresented_ = false;
    bool beingDismissed_ = false;
    bool dismissing_ = false;
    ModalPresentationStyle presentationStyle_ = ModalPresentationStyle::FullScreen;
    ModalTransitionStyle transitionStyle_ = ModalTransitionStyle::CoverVertical;
    bool hidesBottomBar_ = false;
    bool adjustsInsets_ = true;
};

} // namespace ui
