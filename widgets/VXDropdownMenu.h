#pragma once
// A title button with a turning arrow that opens a list of options below itself (in the window,
// over everything else). Choosing an option makes its text the title, tells the delegate and
// closes the list; a second tap on the title closes it too.

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/View.h"

#include <string>
#include <vector>

class VXDropdownMenu;
using VXDropdownMenuRef = ns::Ref<VXDropdownMenu>;

class VXDropdownMenuDataSource {
public:
    virtual ~VXDropdownMenuDataSource() = default;
    virtual long numberOfOptionsInDropdownMenu(const VXDropdownMenuRef& menu) = 0;
    virtual double heightForOptionAtIndex(const VXDropdownMenuRef& menu, long index) = 0;
    virtual std::string titleForOptionAtIndex(const VXDropdownMenuRef& menu, long index) = 0;
};

// Optional hooks.
class VXDropdownMenuDelegate {
public:
    virtual ~VXDropdownMenuDelegate() = default;
    virtual void didSelectOptionAtIndex(const VXDropdownMenuRef& /*menu*/, long /*index*/, const std::string& /*optionTitle*/) {}
};

class VXDropdownMenu : public ui::View {
public:
    void initWithFrame(cg::Rect frame) override;

    ns::Weak<VXDropdownMenuDataSource> dataSource() const { return dataSource_; }
    void setDataSource(ns::Weak<VXDropdownMenuDataSource> dataSource) { dataSource_ = std::move(dataSource); }
    ns::Weak<VXDropdownMenuDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<VXDropdownMenuDelegate> delegate) { delegate_ = std::move(delegate); }

    // --- The title ---
    std::string title() const { return titleButton_->titleForState(ui::ControlStateNormal).value_or(""); }
    void setTitle(const std::string& title) { titleButton_->setTitle(title, ui::ControlStateNormal); }
    ui::FontRef titleFont() const { return titleButton_->titleLabel()->font(); }
    void setTitleFont(ui::FontRef font) { titleButton_->titleLabel()->setFont(std::move(font)); }
    ui::ColorRef titleColor() const { return titleButton_->titleColorForState(ui::ControlStateNormal); }
    void setTitleColor(ui::ColorRef color) { titleButton_->setTitleColor(std::move(color), ui::ControlStateNormal); }
    ui::TextAlignment titleAlignment() const { return titleAlignment_; }
    void setTitleAlignment(ui::TextAlignment alignment);
    ui::EdgeInsets titleEdgeInsets() const { return titleButton_->titleEdgeInsets(); }
    void setTitleEdgeInsets(ui::EdgeInsets insets) { titleButton_->setTitleEdgeInsets(insets); }
    // The arrow at the right end; it turns over while the list is open.
    ui::ImageRef rotateIcon() const { return iconView_->image(); }
    void setRotateIcon(ui::ImageRef icon) { iconView_->setImage(icon); }
    cg::Size rotateIconSize() const { return rotateIconSize_; }
    void setRotateIconSize(cg::Size size);

    // --- The options (read when the list opens) ---
    ui::FontRef optionFont() const { return optionFont_; }
    void setOptionFont(ui::FontRef font) { optionFont_ = std::move(font); }
    ui::ColorRef optionTextColor() const { return optionTextColor_; }
    void setOptionTextColor(ui::ColorRef color) { optionTextColor_ = std::move(color); }
    ui::ColorRef optionBgColor() const { return optionBgColor_; }
    void setOptionBgColor(ui::ColorRef color) { optionBgColor_ = std::move(color); }
    // The separator between options.
    ui::ColorRef optionLineColor() const { return optionLineColor_; }
    void setOptionLineColor(ui::ColorRef color) { optionLineColor_ = std::move(color); }
    ui::TextAlignment optionTextAlignment() const { return optionTextAlignment_; }
    void setOptionTextAlignment(ui::TextAlignment alignment) { optionTextAlignment_ = alignment; }
    // Kept for the callers; options carry no icons here.
    cg::Size optionIconSize() const { return optionIconSize_; }
    void setOptionIconSize(cg::Size size) { optionIconSize_ = size; }

    // --- The list ---
    void showDropDown();
    void hideDropDown();
    bool isShowingOptions() const { return optionsView_ != nullptr; }
    // The open list (none when closed) and its option buttons, in order.
    const ui::ViewRef& optionsView() const { return optionsView_; }
    const std::vector<ui::ButtonRef>& optionButtons() const { return optionButtons_; }
    // What a tap on option i does; nothing for an index the list does not have.
    void selectOptionAtIndex(long index);

    const ui::ButtonRef& titleButton() const { return titleButton_; }
    const ui::ImageViewRef& iconView() const { return iconView_; }

    void setHidden(bool hidden) override;
    void didMoveToWindow() override;
    void layoutSubviews() override;
    ~VXDropdownMenu() override;

private:
    void toggle();

    ns::Weak<VXDropdownMenuDataSource> dataSource_;
    ns::Weak<VXDropdownMenuDelegate> delegate_;
    ui::ButtonRef titleButton_;
    ui::ImageViewRef iconView_;
    ui::TextAlignment titleAlignment_ = ui::TextAlignment::Center;
    cg::Size rotateIconSize_{15, 15};
    ui::FontRef optionFont_;
    ui::ColorRef optionTextColor_;
    ui::ColorRef optionBgColor_;
    ui::ColorRef optionLineColor_;
    ui::TextAlignment optionTextAlignment_ = ui::TextAlignment::Center;
    cg::Size optionIconSize_{0, 0};
    ui::ViewRef optionsView_;
    std::vector<ui::ButtonRef> optionButtons_;
    std::vector<std::string> optionTitles_;
};
