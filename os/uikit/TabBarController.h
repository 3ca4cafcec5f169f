#pragma once
// A tab bar controller: tabs (children added in order), one selected, a tab bar at the bottom.
// Only the selected tab's view is loaded and shown; switching tabs sends the appearance calls at
// once (the tab leaving first). The tab bar hides while the selected tab's navigation stack holds
// a controller that hides the bottom bar when pushed. Tapping an item button selects its tab.

#include "os/uikit/Button.h"
#include "os/uikit/Image.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/ViewController.h"

namespace ui {

class TabBar;
class TabBarController;
using TabBarRef = ns::Ref<TabBar>;
using TabBarControllerRef = ns::Ref<TabBarController>;

class TabBarItem : public ns::Object {
public:
    static ns::Ref<TabBarItem> withTitle(std::optional<std::string> title, ImageRef image, ImageRef selectedImage);

    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> title);
    ImageRef image() const { return image_; }
    void setImage(ImageRef image);
    ImageRef selectedImage() const { return selectedImage_; }
    void setSelectedImage(ImageRef image);
    const std::optional<std::string>& badgeValue() const { return badge_; }
    void setBadgeValue(std::optional<std::string> badge) { badge_ = std::move(badge); }
    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }

    void setBar(const TabBarRef& bar) { bar_ = bar; }

private:
    void changed();
    std::optional<std::string> title_;
    ImageRef image_, selectedImage_;
    std::optional<std::string> badge_;
    long tag_ = 0;
    ns::Weak<TabBar> bar_;
};
using TabBarItemRef = ns::Ref<TabBarItem>;

class TabBar : public View {
public:
    static constexpr double Height = 49;

    const std::vector<TabBarItemRef>& items() const { return items_; }
    void setItems(std::vector<TabBarItemRef> items);
    TabBarItemRef selectedItem() const { return selected_.lock(); }
    void setSelectedItem(const TabBarItemRef& item);
    // One button per item, in order (image, selected image and title of the item).
    const std::vector<ButtonRef>& itemButtons() const { return buttons_; }

    ImageRef backgroundImage() const { return backgroundImage_; }
    void setBackgroundImage(ImageRef image) { backgroundImage_ = std::move(image); setNeedsDisplay(); }
    // Shown as a one-pixel line along the top, just above the bar.
    ImageRef shadowImage() const { return shadowImage_; }
    void setShadowImage(ImageRef image);
    ColorRef barTintColor() const { return barTintColor_; }
    void setBarTintColor(ColorRef color);
    ColorRef unselectedItemTintColor() const { return unselectedTint_; }
    void setUnselectedItemTintColor(ColorRef color) { unselectedTint_ = std::move(color); refresh(); }
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent) { translucent_ = translucent; }

    void refresh();
    void layoutSubviews() override;
    // The background image stretched over the bar (a light grey without one).
    void drawRect(cg::Rect rect) override;

private:
    friend class TabBarController;
    std::vector<TabBarItemRef> items_;
    std::vector<ButtonRef> buttons_;
    ns::Weak<TabBarItem> selected_;
    ImageRef backgroundImage_, shadowImage_;
    ImageViewRef hairline_;
    ColorRef barTintColor_, unselectedTint_;
    bool translucent_ = true;
    ns::Weak<TabBarController> controller_;
};

class TabBarController : public ViewController {
public:
    void init() override;

    // A child added becomes the last tab.
    void addChildViewController(const ViewControllerRef& child) override;
    const std::vector<ViewControllerRef>& viewControllers() const { return tabs_; }
    void setViewControllers(std::vector<ViewControllerRef> controllers);

    size_t selectedIndex() const { return selected_; }
    // Out-of-range indexes are ignored.
    void setSelectedIndex(size_t index);
    ViewControllerRef selectedViewController() const;
    void setSelectedViewController(const ViewControllerRef& controller);
    const TabBarRef& tabBar() const { return tabBar_; }

    // Hides the tab bar while the selected tab's stack asks for it.
    void updateTabBarVisibility();

    void loadView() override;

private:
    friend class TabBarView;
    cg::Rect tabBarFrame() const;
    void showSelected();

    std::vector<ViewControllerRef> tabs_;
    size_t selected_ = 0;
    TabBarRef tabBar_;
};

} // namespace ui
