#include "os/uikit/NavigationController.h"

#include "os/foundation/Log.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Screen.h"
#include "os/uikit/TabBarController.h"
#include "os/uikit/Window.h"

#include <algorithm>

namespace ui {
namespace {

// The default delegate of the pop gesture: it begins only over a pushed screen, not mid-transition.
class PopGestureDelegate : public GestureRecognizerDelegate {
public:
    explicit PopGestureDelegate(ns::Weak<NavigationController> nav) : nav_(std::move(nav)) {}
    bool shouldBegin(const GestureRecognizerRef&) override {
        auto nav = nav_.lock();
        return nav && nav->viewControllers().size() > 1 && !nav->isTransitioning();
    }

private:
    ns::Weak<NavigationController> nav_;
};

} // namespace

// The navigation controller's root view: the bar on top of the top controller's view.
class NavigationView : public View {
public:
    ns::Weak<NavigationController> nav;
    void layoutSubviews() override {
        auto controller = nav.lock();
        if (!controller) return;
        controller->bar_->setFrame(controller->barFrame());
        controller->bar_->setNeedsLayout(); // its backdrop reaches up to this view's top
        if (auto top = controller->topViewController())
            if (auto v = top->viewIfLoaded(); v && v->superview().get() == this) v->setFrame(bounds());
    }
};

// --- BarButtonItem ---

ns::Ref<BarButtonItem> BarButtonItem::withCustomView(const ViewRef& view) {
    auto item = ns::make<BarButtonItem>();
    item->customView_ = view;
    return item;
}

ns::Ref<BarButtonItem> BarButtonItem::withTitle(std::optional<std::string> title, BarButtonItemStyle style) {
    auto item = ns::make<BarButtonItem>();
    item->title_ = std::move(title);
    item->style_ = style;
    return item;
}

BarButtonItem& BarButtonItem::appearance() {
    static ns::Ref<BarButtonItem> proxy = ns::make<BarButtonItem>();
    return *proxy;
}

ns::Dictionary BarButtonItem::titleTextAttributes(unsigned state) const {
    auto it = attributes_.find(state);
    return it == attributes_.end() ? ns::Dictionary{} : it->second;
}

ViewRef BarButtonItem::view() {
    if (customView_) return customView_;
    if (!button_) {
        button_ = Button::buttonWithType(ButtonType::System);
        ns::Weak<BarButtonItem> weak = ref<BarButtonItem>();
        button_->addAction([weak](Control&) {
            if (auto item = weak.lock(); item && item->action_) {
                auto action = item->action_;
                action();
            }
        }, ControlEventTouchUpInside);
    }
    button_->setTitle(title_, ControlStateNormal);
    button_->setImage(image_, ControlStateNormal);
    button_->sizeToFit();
    return button_;
}

// --- NavigationItem ---

void NavigationItem::changed() {
    if (auto bar = bar_.lock(); bar && bar->topItem().get() == this) bar->refresh();
}

void NavigationItem::setTitle(std::optional<std::string> title) {
    title_ = std::move(title);
    changed();
}

void NavigationItem::setTitleView(ViewRef view) {
    titleView_ = std::move(view);
    changed();
}

void NavigationItem::setLeftBarButtonItem(BarButtonItemRef item) {
    left_ = std::move(item);
    changed();
}

void NavigationItem::setRightBarButtonItem(BarButtonItemRef item) {
    right_ = std::move(item);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides) {
    hidesBack_ = hides;
    changed();
}

// --- NavigationBar ---

void NavigationBar::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    backdrop_ = View::create();
    backdrop_->setUserInteractionEnabled(false);
    addSubview(backdrop_);
    hairline_ = View::create<ImageView>();
    hairline_->setUserInteractionEnabled(false);
    hairline_->setHidden(true);
    addSubview(hairline_);
    titleLabel_ = View::create<Label>();
    titleLabel_->setFont(Font::boldSystemFontOfSize(17));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    backButton_ = Button::buttonWithType(ButtonType::System);
    backButton_->setTitle("Back", ControlStateNormal);
    ns::Weak<NavigationBar> weak = ref<NavigationBar>();
    backButton_->addAction([weak](Control&) {
        if (auto bar = weak.lock())
            if (auto nav = bar->controller_.lock()) nav->popViewControllerAnimated(true);
    }, ControlEventTouchUpInside);
}

void NavigationBar::setTitleTextAttributes(ns::Dictionary attributes) {
    titleAttributes_ = std::move(attributes);
    if (auto font = titleAttributes_[ns::FontAttributeName].objectAs<Font>()) titleLabel_->setFont(font);
    if (auto color = titleAttributes_[ns::ForegroundColorAttributeName].objectAs<Color>()) titleLabel_->setTextColor(color);
}

void NavigationBar::setBarTintColor(ColorRef color) {
    barTintColor_ = color;
    backdrop_->setBackgroundColor(color);
}

void NavigationBar::setShadowImage(ImageRef image) {
    shadowImage_ = std::move(image);
    hairline_->setImage(shadowImage_);
    hairline_->setHidden(!shadowImage_);
}

ImageRef NavigationBar::backgroundImageForBarMetrics(BarMetrics metrics) const {
    auto it = backgrounds_.find(static_cast<int>(metrics));
    return it == backgrounds_.end() ? nullptr : it->second;
}

void NavigationBar::setBackgroundImage(ImageRef image, BarMetrics metrics) {
    backgrounds_[static_cast<int>(metrics)] = std::move(image);
}

void NavigationBar::setItems(const NavigationItemRef& top, const NavigationItemRef& back) {
    auto old = top_.lock();
    if (old && old != top) old->setBar(nullptr);
    top_ = top;
    back_ = back;
    if (top) top->setBar(ref<NavigationBar>());
    refresh();
}

void NavigationBar::refresh() {
    for (const auto& v : hosted_)
        if (v->superview().get() == this) v->removeFromSuperview();
    hosted_.clear();
    auto top = top_.lock();
    if (!top) return;
    auto host = [&](const ViewRef& v) {
        if (!v) return;
        addSubview(v);
        hosted_.push_back(v);
    };
    if (top->titleView()) {
        host(top->titleView());
    } else {
        titleLabel_->setText(top->title());
        host(titleLabel_);
    }
    if (auto left = top->leftBarButtonItem()) {
        host(left->view());
    } else if (auto back = back_.lock(); back && !top->hidesBackButton()) {
        backButton_->setTitle(back->title() ? back->title() : std::optional<std::string>("Back"), ControlStateNormal);
        backButton_->sizeToFit();
        host(backButton_);
    }
    if (auto right = top->rightBarButtonItem()) host(right->view());
    setNeedsLayout();
    layoutIfNeeded();
}

void NavigationBar::layoutSubviews() {
    cg::Rect b = bounds();
    double above = std::max(0.0, frame().origin.y);
    backdrop_->setFrame(cg::RectMake(0, -above, b.size.width, b.size.height + above));
    double pixel = 1 / std::max(1.0, Screen::mainScreen().scale());
    hairline_->setFrame(cg::RectMake(0, b.size.height, b.size.width, pixel));
    auto top = top_.lock();
    if (!top) return;
    constexpr double margin = 8;
    auto middleY = [&](const ViewRef& v) { return (b.size.height - v->bounds().size.height) / 2; };
    ViewRef title = top->titleView() ? top->titleView() : ViewRef(titleLabel_);
    if (title == titleLabel_) titleLabel_->sizeToFit();
    if (title->superview().get() == this) title->setCenter({b.size.width / 2, b.size.height / 2});
    ViewRef left = top->leftBarButtonItem() ? top->leftBarButtonItem()->view() : ViewRef(backButton_);
    if (left->superview().get() == this) {
        cg::Rect f = left->frame();
        left->setFrame(cg::RectMake(margin, middleY(left), f.size.width, f.size.height));
    }
    if (auto right = top->rightBarButtonItem()) {
        auto v = right->view();
        cg::Rect f = v->frame();
        if (v->superview().get() == this)
            v->setFrame(cg::RectMake(b.size.width - margin - f.size.width, middleY(v), f.size.width, f.size.height));
    }
}

// --- ScreenEdgePanGestureRecognizer ---

void ScreenEdgePanGestureRecognizer::touchesBegan(const TouchSet& touches, const EventRef& event) {
    PanGestureRecognizer::touchesBegan(touches, event);
    if (locationInView(view()).x > 20) setState(GestureRecognizerState::Failed);
}

// --- NavigationController ---

void NavigationController::init() {
    ViewController::init();
    auto self = ref<NavigationController>();
    bar_ = View::create<NavigationBar>();
    bar_->controller_ = self;
    popGesture_ = ns::make<ScreenEdgePanGestureRecognizer>();
    popDelegate_ = std::make_shared<PopGestureDelegate>(self);
    popGesture_->setDelegate(popDelegate_);
    ns::Weak<NavigationController> weak = self;
    popGesture_->addAction([weak](GestureRecognizer&) {
        if (auto nav = weak.lock()) nav->interactivePop();
    });
}

void NavigationController::initWithRootViewController(const ViewControllerRef& root) { pushViewController(root, false); }

ViewControllerRef NavigationController::visibleViewController() const {
    if (auto presented = presentedViewController()) return presented;
    return topViewController();
}

cg::Rect NavigationController::barFrame() const {
    double top = DeviceProfile::systemVersionAtLeast(11) ? DeviceProfile::safeAreaInsets().top
                                                          : (DeviceProfile::isLandscape() ? 0 : 20);
    auto view = viewIfLoaded();
    double width = view ? view->bounds().size.width : Screen::mainScreen().bounds().size.width;
    return cg::RectMake(0, top, width, NavigationBar::Height);
}

void NavigationController::loadView() {
    auto view = View::create<NavigationView>(Screen::mainScreen().bounds());
    view->nav = ref<NavigationController>();
    setView(view);
    bar_->setFrame(barFrame());
    view->addSubview(bar_);
    view->addGestureRecognizer(popGesture_);
    showTop();
}

void NavigationController::showTop() {
    auto view = viewIfLoaded();
    auto top = topViewController();
    if (view && top) {
        auto v = top->view();
        v->setFrame(view->bounds());
        view->insertSubviewBelow(v, bar_);
    }
    updateBar();
}

void NavigationController::updateBar() {
    auto top = topViewController();
    auto back = stack_.size() > 1 ? stack_[stack_.size() - 2] : nullptr;
    bar_->setItems(top ? top->navigationItem() : nullptr, back ? back->navigationItem() : nullptr);
}

void NavigationController::updateBottomBar() {
    if (auto tab = tabBarController()) tab->updateTabBarVisibility();
}

void NavigationController::setNavigationBarHidden(bool hidden, bool) {
    bar_->setHidden(hidden);
    if (auto view = viewIfLoaded()) view->setNeedsLayout();
}

void NavigationController::pushViewController(const ViewControllerRef& controller, bool animated) {
    if (!controller) return;
    if (std::find(stack_.begin(), stack_.end(), controller) != stack_.end() || controller->parentViewController()) {
        ns::log("Warning: Pushing a view controller that is already in a container is not supported: %@", controller);
        return;
    }
    auto self = ref<NavigationController>();
    transition_.finishNow();
    auto old = topViewController();
    addChildViewController(controller);
    stack_.push_back(controller);
    updateBottomBar();
    auto view = viewIfLoaded();
    if (!view) {
        controller->didMoveToParentViewController(self);
        return;
    }
    auto window = view->window();
    bool visible = window && !window->isHidden();
    auto leaving = visible && old ? groupOf(old, true) : std::vector<ViewControllerRef>{};
    auto coming = visible ? groupOf(controller, false) : std::vector<ViewControllerRef>{};
    sendWill(leaving, false, animated);
    sendWill(coming, true, animated);
    auto v = controller->view();
    v->setFrame(view->bounds());
    view->insertSubviewBelow(v, bar_);
    updateBar();
    v->layoutIfNeeded();
    auto end = [self, old, controller, leaving, coming, animated] {
        auto navView = self->viewIfLoaded();
        if (old)
            if (auto ov = old->viewIfLoaded(); ov && ov->superview() == navView) ov->removeFromSuperview();
        sendDid(leaving, false, animated);
        sendDid(coming, true, animated);
        controller->didMoveToParentViewController(self);
    };
    if (visible) transition_.start(animated ? PushTransitionDuration : 0, end);
    else end();
}

ViewControllerRef NavigationController::popViewControllerAnimated(bool animated) {
    auto popped = popTo(stack_.size() - 1, animated);
    return popped.empty() ? nullptr : popped.back();
}

std::vector<ViewControllerRef> NavigationController::popToRootViewControllerAnimated(bool animated) {
    return popTo(1, animated);
}

std::vector<ViewControllerRef> NavigationController::popToViewController(const ViewControllerRef& controller,
                                                                         bool animated) {
    auto it = std::find(stack_.begin(), stack_.end(), controller);
    if (it == stack_.end()) return {};
    return popTo(static_cast<size_t>(it - stack_.begin()) + 1, animated);
}

std::vector<ViewControllerRef> NavigationController::popTo(size_t keep, bool animated) {
    if (keep == 0 || keep >= stack_.size()) return {};
    auto self = ref<NavigationController>();
    transition_.finishNow();
    auto old = stack_.back();
    std::vector<ViewControllerRef> popped(stack_.begin() + static_cast<long>(keep), stack_.end());
    stack_.resize(keep);
    auto now = stack_.back();
    for (const auto& c : popped) c->willMoveToParentViewController(nullptr);
    updateBottomBar();
    auto view = viewIfLoaded();
    if (!view) {
        for (const auto& c : popped) c->removeFromParentViewController();
        updateBar();
        return popped;
    }
    auto window = view->window();
    bool visible = window && !window->isHidden();
    auto leaving = visible ? groupOf(old, true) : std::vector<ViewControllerRef>{};
    auto coming = visible ? groupOf(now, false) : std::vector<ViewControllerRef>{};
    sendWill(leaving, false, animated);
    sendWill(coming, true, animated);
    auto nowView = now->view();
    nowView->setFrame(view->bounds());
    auto oldView = old->viewIfLoaded();
    if (oldView && oldView->superview() == view) view->insertSubviewBelow(nowView, oldView);
    else view->insertSubviewBelow(nowView, bar_);
    updateBar();
    nowView->layoutIfNeeded();
    auto end = [self, popped, leaving, coming, animated] {
        auto navView = self->viewIfLoaded();
        for (const auto& c : popped)
            if (auto v = c->viewIfLoaded(); v && v->superview() == navView) v->removeFromSuperview();
        sendDid(leaving, false, animated);
        sendDid(coming, true, animated);
        for (const auto& c : popped) c->removeFromParentViewController();
    };
    if (visible) transition_.start(animated ? PushTransitionDuration : 0, end);
    else end();
    return popped;
}

void NavigationController::interactivePop() {
    if (popGesture_->state() != GestureRecognizerState::Ended || stack_.size() < 2) return;
    auto view = viewIfLoaded();
    if (!view) return;
    if (popGesture_->translationInView(view).x > view->bounds().size.width * 0.3) popViewControllerAnimated(true);
}

} // namespace ui
