#include "os/uikit/ViewController.h"

#include "os/foundation/Error.h"
#include "os/foundation/Format.h"
#include "os/foundation/Log.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/Nib.h"
#include "os/uikit/Screen.h"
#include "os/uikit/TabBarController.h"
#include "os/uikit/Window.h"

#include <algorithm>

namespace ui {
namespace {

// Post-order: subviews wake before the views that hold them.
void awakeTree(const ViewRef& view) {
    auto copy = view->subviews();
    for (const auto& s : copy) awakeTree(s);
    view->awakeFromNib();
}

} // namespace

ViewController::~ViewController() = default;

void ViewController::initWithNibName(std::optional<std::string> nibName, ns::Ref<ns::Bundle> bundle) {
    init();
    nibName_ = std::move(nibName);
    nibBundle_ = std::move(bundle);
}

// --- View ---

ViewRef ViewController::view() {
    if (view_ || loadingView_) return view_;
    ViewControllerRef self = ref<ViewController>();
    struct Loading {
        bool& flag;
        explicit Loading(bool& f) : flag(f) { flag = true; }
        ~Loading() { flag = false; }
    };
    {
        Loading loading(loadingView_);
        loadView();
        if (!view_) setView(View::create(Screen::mainScreen().bounds()));
    }
    viewDidLoad();
    return view_;
}

void ViewController::setView(const ViewRef& view) {
    if (view_ && view_->viewController().get() == this) view_->setViewController(nullptr);
    view_ = view;
    if (view_) view_->setViewController(ref<ViewController>());
}

void ViewController::loadView() {
    if (sceneViewLoader_) {
        auto loader = sceneViewLoader_;
        loader(*this);
        if (view_) awakeTree(view_);
        return;
    }
    if (nibName_) {
        Nib::nibWithNibName(*nibName_, nibBundle_)->instantiateWithOwner(ref<ViewController>());
        if (!view_)
            throw ns::Exception("NSInternalInconsistencyException",
                                ns::format("-[%@ loadView] loaded the \"%@\" nib but the view outlet was not set.",
                                           className(), *nibName_));
        return;
    }
    setView(View::create(Screen::mainScreen().bounds()));
}

// --- Appearance ---

std::vector<ViewControllerRef> ViewController::settledIn(const View& root, bool appeared) {
    std::vector<ViewControllerRef> out;
    Appearance wanted = appeared ? Appearance::Appeared : Appearance::Disappeared;
    std::function<void(const View&)> walk = [&](const View& v) {
        if (auto c = v.viewController(); c && c->appearance_ == wanted) out.push_back(c);
        for (const auto& s : v.subviews()) walk(*s);
    };
    walk(root);
    return out;
}

std::vector<ViewControllerRef> ViewController::groupOf(const ViewControllerRef& controller, bool appeared) {
    if (!controller) return {};
    auto view = controller->view();
    return settledIn(*view, appeared);
}

void ViewController::sendWill(const std::vector<ViewControllerRef>& group, bool appearing, bool animated) {
    for (const auto& c : group) {
        if (appearing && (c->appearance_ == Appearance::Disappeared || c->appearance_ == Appearance::Disappearing)) {
            c->loadViewIfNeeded();
            c->appearance_ = Appearance::Appearing;
            c->viewWillAppear(animated);
        } else if (!appearing && (c->appearance_ == Appearance::Appeared || c->appearance_ == Appearance::Appearing)) {
            c->appearance_ = Appearance::Disappearing;
            c->viewWillDisappear(animated);
        }
    }
}

void ViewController::sendDid(const std::vector<ViewControllerRef>& group, bool appearing, bool animated) {
    for (const auto& c : group) {
        if (appearing && c->appearance_ == Appearance::Appearing) {
            c->appearance_ = Appearance::Appeared;
            c->viewDidAppear(animated);
        } else if (!appearing && c->appearance_ == Appearance::Disappearing) {
            c->appearance_ = Appearance::Disappeared;
            c->viewDidDisappear(animated);
        }
    }
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
    auto self = ref<ViewController>();
    manualGroup_ = groupOf(self, !appearing);
    manualAppearing_ = appearing;
    sendWill(manualGroup_, appearing, animated);
}

void ViewController::endAppearanceTransition() {
    auto group = std::move(manualGroup_);
    manualGroup_.clear();
    sendDid(group, manualAppearing_, false);
}

// --- Title and items ---

void ViewController::setTitle(std::optional<std::string> title) {
    title_ = title;
    if (navigationItem_) navigationItem_->setTitle(title);
    if (tabBarItem_) tabBarItem_->setTitle(title);
}

ns::Ref<NavigationItem> ViewController::navigationItem() {
    if (!navigationItem_) {
        navigationItem_ = ns::make<NavigationItem>();
        navigationItem_->setTitle(title_);
    }
    return navigationItem_;
}

ns::Ref<TabBarItem> ViewController::tabBarItem() {
    // A navigation controller without an item of its own shows its first screen's, as the platform does.
    if (!tabBarItem_)
        if (auto nav = dynamic_cast<NavigationController*>(this); nav && !nav->viewControllers().empty())
            return nav->viewControllers().front()->tabBarItem();
    if (!tabBarItem_) {
        tabBarItem_ = ns::make<TabBarItem>();
        tabBarItem_->setTitle(title_);
    }
    return tabBarItem_;
}

void ViewController::setTabBarItem(ns::Ref<TabBarItem> item) { tabBarItem_ = std::move(item); }

ns::Ref<NavigationController> ViewController::navigationController() const {
    for (auto c = parent_.lock(); c; c = c->parent_.lock())
        if (auto nav = std::dynamic_pointer_cast<NavigationController>(c)) return nav;
    return nullptr;
}

ns::Ref<TabBarController> ViewController::tabBarController() const {
    for (auto c = parent_.lock(); c; c = c->parent_.lock())
        if (auto tab = std::dynamic_pointer_cast<TabBarController>(c)) return tab;
    return nullptr;
}

// --- Containment ---

void ViewController::addChildViewController(const ViewControllerRef& child) {
    if (!child || child.get() == this || child->parent_.lock().get() == this) return;
    auto self = ref<ViewController>();
    if (child->parent_.lock()) child->removeFromParentViewController();
    child->willMoveToParentViewController(self);
    children_.push_back(child);
    child->parent_ = self;
}

void ViewController::removeFromParentViewController() {
    auto parent = parent_.lock();
    if (!parent) return;
    auto self = ref<ViewController>();
    auto& list = parent->children_;
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    parent_.reset();
    didMoveToParentViewController(nullptr);
}

// --- Presentation ---

ViewControllerRef ViewController::topmostAncestor() {
    ViewControllerRef top = ref<ViewController>();
    while (auto up = top->parent_.lock()) top = up;
    return top;
}

ViewControllerRef ViewController::presentedViewController() const {
    const ViewController* top = this;
    while (auto up = top->parent_.lock()) top = up.get();
    return top->presented_;
}

ViewControllerRef ViewController::presentingViewController() const {
    const ViewController* top = this;
    while (auto up = top->parent_.lock()) top = up.get();
    return top->presenting_.lock();
}

bool ViewController::coversPresenter() const {
    switch (presentationStyle_) {
    case ModalPresentationStyle::FullScreen:
    case ModalPresentationStyle::PageSheet:
    case ModalPresentationStyle::FormSheet:
    case ModalPresentationStyle::CurrentContext: return true;
    default: return false;
    }
}

void ViewController::presentViewController(const ViewControllerRef& controller, bool animated, Completion completion) {
    if (!controller) return;
    auto self = ref<ViewController>();
    auto presenter = topmostAncestor();
    if (controller == presenter || controller->presenting_.lock() || controller->parent_.lock()) {
        ns::log("Warning: Application tried to present modally an active controller %@.", controller);
        return;
    }
    if (presenter->presented_) {
        ns::log("Warning: Attempt to present %@ on %@ which is already presenting %@", controller, self,
                presenter->presented_);
        return;
    }
    auto window = presenter->view_ ? presenter->view_->window() : nullptr;
    if (!window) {
        ns::log("Warning: Attempt to present %@ on %@ whose view is not in the window hierarchy!", controller, self);
        return;
    }

    presenter->presented_ = controller;
    controller->presenting_ = presenter;
    controller->beingPresented_ = true;
    bool covers = controller->coversPresenter();
    bool visible = !window->isHidden();
    auto leaving = covers && visible ? settledIn(*presenter->view_, true) : std::vector<ViewControllerRef>{};
    auto coming = visible ? groupOf(controller, false) : std::vector<ViewControllerRef>{};
    sendWill(leaving, false, animated);
    sendWill(coming, true, animated);
    auto view = controller->view();
    view->setFrame(window->bounds());
    window->addSubview(view);
    view->layoutIfNeeded();

    presenter->presentation_.start(animated ? PresentTransitionDuration : 0,
                                   [presenter, controller, covers, leaving, coming, animated, completion] {
        if (covers && presenter->view_ && presenter->view_->superview()) presenter->view_->removeFromSuperview();
        controller->beingPresented_ = false;
        sendDid(leaving, false, animated);
        sendDid(coming, true, animated);
        if (completion) completion();
    });
}

void ViewController::dismissViewControllerAnimated(bool animated, Completion completion) {
    auto presenter = topmostAncestor();
    if (presenter->presented_) {
        presenter->dismissPresented(animated, std::move(completion));
        return;
    }
    if (auto up = presenter->presenting_.lock()) up->dismissViewControllerAnimated(animated, std::move(completion));
}

void ViewController::dismissPresented(bool animated, Completion completion) {
    auto self = ref<ViewController>();
    if (dismissing_) return;
    presentation_.finishNow();
    auto first = presented_;
    if (!first) return;
    std::vector<ViewControllerRef> chain;
    for (auto c = first; c; c = c->presented_) chain.push_back(c);
    for (const auto& c : chain) c->presentation_.finishNow();

    // The chain's views that are still in the window (covered ones were taken out).
    ns::Ref<Window> window;
    ViewRef lowest;
    for (const auto& c : chain) {
        auto w = c->view_ ? c->view_->window() : nullptr;
        if (!w) continue;
        if (!window) window = w;
        if (!lowest && c->view_->superview() == window) lowest = c->view_;
    }
    bool visible = window && !window->isHidden();
    std::vector<ViewControllerRef> leaving, coming;
    if (visible)
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            auto group = settledIn(*(*it)->view_, true);
            leaving.insert(leaving.end(), group.begin(), group.end());
        }
    sendWill(leaving, false, animated);
    bool covered = view_ && !view_->superview();
    if (window && covered) {
        if (visible) coming = groupOf(self, false);
        sendWill(coming, true, animated);
        view_->setFrame(window->bounds());
        // A window's root view goes back to the bottom, below what the window holds besides it
        // (overlays such as the SDK's floating button), as the window itself placed it.
        if (window->rootViewController() == self) window->insertSubview(view_, 0);
        else if (lowest) window->insertSubviewBelow(view_, lowest);
        else window->addSubview(view_);
        view_->layoutIfNeeded();
    }
    dismissing_ = true;
    first->beingDismissed_ = true;
    presentation_.start(animated ? PresentTransitionDuration : 0, [self, chain, leaving, coming, animated, completion] {
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            if ((*it)->view_) (*it)->view_->removeFromSuperview();
        sendDid(leaving, false, animated);
        sendDid(coming, true, animated);
        ViewControllerRef up = self;
        for (const auto& c : chain) {
            up->presented_.reset();
            c->presenting_.reset();
            up = c;
        }
        chain.front()->beingDismissed_ = false;
        self->dismissing_ = false;
        if (completion) completion();
    });
}

// --- Responder ---

ResponderRef ViewController::nextResponder() const {
    if (view_)
        if (auto up = view_->superview()) return up;
    return nullptr;
}

ns::Ref<Window> ViewController::responderWindow() const { return view_ ? view_->window() : nullptr; }

} // namespace ui
