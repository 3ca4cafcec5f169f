#include "os/uikit/TabBarController.h"

#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/Screen.h"
#include "os/uikit/Window.h"

#include <algorithm>

namespace ui {

// The tab bar controller's root view: the selected tab's view under the tab bar.
class TabBarView : public View {
public:
    ns::Weak<TabBarController> tabs;
    void layoutSubviews() override {
        auto controller = tabs.lock();
        if (!controller) return;
        controller->tabBar_->setFrame(controller->tabBarFrame());
        if (auto selected = controller->selectedViewController())
            if (auto v = selected->viewIfLoaded(); v && v->superview().get() == this) v->setFrame(bounds());
    }
};

// --- TabBarItem ---

ns::Ref<TabBarItem> TabBarItem::withTitle(std::optional<std::string> title, ImageRef image, ImageRef selectedImage) {
    auto item = ns::make<TabBarItem>();
    item->title_ = std::move(title);
    item->image_ = std::move(image);
    item->selectedImage_ = std::move(selectedImage);
    return item;
}

void TabBarItem::changed() {
    if (auto bar = bar_.lock()) bar->refresh();
}

void TabBarItem::setTitle(std::optional<std::string> title) {
    title_ = std::move(title);
    changed();
}

void TabBarItem::setImage(ImageRef image) {
    image_ = std::move(image);
    changed();
}

void TabBarItem::setSelectedImage(ImageRef image) {
    selectedImage_ = std::move(image);
    changed();
}

// --- TabBar ---

namespace {

// An item of the bar: its image centred above its title, as the platform lays them out.
class TabBarButton : public Button {
public:
    cg::Rect imageRectForContentRect(cg::Rect content) const override {
        auto image = currentImage();
        cg::Size size = image ? image->size() : cg::Size{0, 0};
        return cg::RectMake(content.origin.x + (content.size.width - size.width) / 2, content.origin.y + 5, size.width,
                            size.height);
    }
    cg::Rect titleRectForContentRect(cg::Rect content) const override {
        return cg::RectMake(content.origin.x, content.origin.y + 33, content.size.width, 13);
    }
};

} // namespace

void TabBar::setItems(std::vector<TabBarItemRef> items) {
    for (const auto& b : buttons_) b->removeFromSuperview();
    buttons_.clear();
    items_ = std::move(items);
    auto self = ref<TabBar>();
    ns::Weak<TabBar> weak = self;
    for (size_t i = 0; i < items_.size(); ++i) {
        items_[i]->setBar(self);
        auto button = View::create<TabBarButton>();
        button->titleLabel()->setFont(Font::systemFontOfSize(10));
        button->titleLabel()->setTextAlignment(TextAlignment::Center);
        button->addAction([weak, i](Control&) {
            if (auto bar = weak.lock())
                if (auto controller = bar->controller_.lock()) controller->setSelectedIndex(i);
        }, ControlEventTouchUpInside);
        addSubview(button);
        buttons_.push_back(button);
    }
    refresh();
}

void TabBar::setSelectedItem(const TabBarItemRef& item) {
    selected_ = item;
    refresh();
}

void TabBar::setBarTintColor(ColorRef color) {
    barTintColor_ = color;
    setBackgroundColor(color);
}

void TabBar::refresh() {
    auto selected = selected_.lock();
    for (size_t i = 0; i < items_.size() && i < buttons_.size(); ++i) {
        const auto& item = items_[i];
        const auto& button = buttons_[i];
        button->setTitle(item->title(), ControlStateNormal);
        button->setImage(item->image(), ControlStateNormal);
        button->setImage(item->selectedImage() ? item->selectedImage() : item->image(), ControlStateSelected);
        button->setTitleColor(unselectedTint_ ? unselectedTint_ : Color::colorWithWhite(0.57, 1), ControlStateNormal);
        button->setTitleColor(tintColor(), ControlStateSelected);
        button->setSelected(item == selected);
    }
    setNeedsLayout();
}

void TabBar::drawRect(cg::Rect) {
    cg::Rect b = bounds();
    if (backgroundImage_) {
        backgroundImage_->drawInRect(b);
    } else {
        Color::colorWithWhite(0.97, 1)->setFill();
        RectFill(b);
    }
}

void TabBar::setShadowImage(ImageRef image) {
    shadowImage_ = std::move(image);
    if (!hairline_) {
        hairline_ = View::create<ImageView>();
        hairline_->setUserInteractionEnabled(false);
        addSubview(hairline_);
    }
    hairline_->setImage(shadowImage_);
    hairline_->setHidden(!shadowImage_);
    setNeedsLayout();
}

void TabBar::layoutSubviews() {
    if (hairline_) {
        double pixel = 1 / std::max(1.0, Screen::mainScreen().scale());
        hairline_->setFrame(cg::RectMake(0, -pixel, bounds().size.width, pixel));
    }
    if (buttons_.empty()) return;
    double width = bounds().size.width / static_cast<double>(buttons_.size());
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setFrame(cg::RectMake(width * static_cast<double>(i), 0, width, Height));
}

// --- TabBarController ---

void TabBarController::init() {
    ViewController::init();
    tabBar_ = View::create<TabBar>();
    tabBar_->controller_ = ref<TabBarController>();
}

void TabBarController::addChildViewController(const ViewControllerRef& child) {
    if (!child || std::find(tabs_.begin(), tabs_.end(), child) != tabs_.end()) return;
    ViewController::addChildViewController(child);
    if (child->parentViewController().get() != this) return;
    tabs_.push_back(child);
    std::vector<TabBarItemRef> items;
    for (const auto& t : tabs_) items.push_back(t->tabBarItem());
    tabBar_->setItems(items);
    if (tabs_.size() == 1) {
        selected_ = 0;
        tabBar_->setSelectedItem(child->tabBarItem());
        showSelected();
    }
    child->didMoveToParentViewController(ref<ViewController>());
}

void TabBarController::setViewControllers(std::vector<ViewControllerRef> controllers) {
    auto old = tabs_;
    for (const auto& c : old) {
        if (auto v = c->viewIfLoaded(); v && v->superview() == viewIfLoaded()) v->removeFromSuperview();
        c->willMoveToParentViewController(nullptr);
        c->removeFromParentViewController();
    }
    tabs_.clear();
    selected_ = 0;
    for (const auto& c : controllers) addChildViewController(c);
}

ViewControllerRef TabBarController::selectedViewController() const {
    return selected_ < tabs_.size() ? tabs_[selected_] : nullptr;
}

void TabBarController::setSelectedViewController(const ViewControllerRef& controller) {
    auto it = std::find(tabs_.begin(), tabs_.end(), controller);
    if (it != tabs_.end()) setSelectedIndex(static_cast<size_t>(it - tabs_.begin()));
}

void TabBarController::setSelectedIndex(size_t index) {
    if (index >= tabs_.size()) return;
    auto old = selectedViewController();
    auto now = tabs_[index];
    selected_ = index;
    tabBar_->setSelectedItem(now->tabBarItem());
    auto view = viewIfLoaded();
    if (!view || old == now) {
        updateTabBarVisibility();
        return;
    }
    auto window = view->window();
    bool visible = window && !window->isHidden();
    auto leaving = visible && old ? groupOf(old, true) : std::vector<ViewControllerRef>{};
    auto coming = visible ? groupOf(now, false) : std::vector<ViewControllerRef>{};
    sendWill(leaving, false, false);
    sendWill(coming, true, false);
    if (old)
        if (auto ov = old->viewIfLoaded(); ov && ov->superview() == view) ov->removeFromSuperview();
    showSelected();
    sendDid(leaving, false, false);
    sendDid(coming, true, false);
}

void TabBarController::showSelected() {
    auto view = viewIfLoaded();
    auto selected = selectedViewController();
    if (view && selected) {
        auto v = selected->view();
        v->setFrame(view->bounds());
        view->insertSubviewBelow(v, tabBar_);
        v->layoutIfNeeded();
    }
    updateTabBarVisibility();
}

void TabBarController::updateTabBarVisibility() {
    bool hide = false;
    if (auto nav = std::dynamic_pointer_cast<NavigationController>(selectedViewController()))
        for (const auto& c : nav->viewControllers()) hide |= c->hidesBottomBarWhenPushed();
    tabBar_->setHidden(hide);
}

cg::Rect TabBarController::tabBarFrame() const {
    auto view = viewIfLoaded();
    cg::Rect b = view ? view->bounds() : Screen::mainScreen().bounds();
    double height = TabBar::Height + DeviceProfile::safeAreaInsets().bottom;
    return cg::RectMake(0, b.size.height - height, b.size.width, height);
}

void TabBarController::loadView() {
    auto view = View::create<TabBarView>(Screen::mainScreen().bounds());
    view->tabs = ref<TabBarController>();
    setView(view);
    tabBar_->setFrame(tabBarFrame());
    view->addSubview(tabBar_);
    showSelected();
}

} // namespace ui
