#include "widgets/VXDropdownMenu.h"

#include <numbers>

namespace {

constexpr double IconMargin = 5;
constexpr double LineWidth = 0.5;

ui::ControlContentHorizontalAlignment contentAlignment(ui::TextAlignment alignment) {
    switch (alignment) {
    case ui::TextAlignment::Center: return ui::ControlContentHorizontalAlignment::Center;
    case ui::TextAlignment::Right: return ui::ControlContentHorizontalAlignment::Right;
    default: return ui::ControlContentHorizontalAlignment::Left;
    }
}

} // namespace

void VXDropdownMenu::initWithFrame(cg::Rect frame) {
    ui::View::initWithFrame(frame);
    optionFont_ = ui::Font::systemFontOfSize(14);
    optionTextColor_ = ui::Color::darkGrayColor();
    optionBgColor_ = ui::Color::whiteColor();
    optionLineColor_ = ui::Color::colorWithWhite(0.94, 1);
    titleButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    titleButton_->setTitleColor(ui::Color::darkGrayColor(), ui::ControlStateNormal);
    ns::Weak<VXDropdownMenu> weak = ref<VXDropdownMenu>();
    titleButton_->addAction([weak](ui::Control&) {
        if (auto self = weak.lock()) self->toggle();
    }, ui::ControlEventTouchUpInside);
    addSubview(titleButton_);
    iconView_ = ui::View::create<ui::ImageView>();
    iconView_->setContentMode(ui::ContentMode::ScaleAspectFit);
    addSubview(iconView_);
}

VXDropdownMenu::~VXDropdownMenu() {
    if (optionsView_) optionsView_->removeFromSuperview();
}

void VXDropdownMenu::setTitleAlignment(ui::TextAlignment alignment) {
    titleAlignment_ = alignment;
    titleButton_->setContentHorizontalAlignment(contentAlignment(alignment));
}

void VXDropdownMenu::setRotateIconSize(cg::Size size) {
    rotateIconSize_ = size;
    setNeedsLayout();
}

void VXDropdownMenu::layoutSubviews() {
    cg::Rect b = bounds();
    titleButton_->setFrame(b);
    // Bounds and centre, so that the turned arrow keeps its place.
    iconView_->setBounds(cg::RectMake(0, 0, rotateIconSize_.width, rotateIconSize_.height));
    iconView_->setCenter({b.size.width - IconMargin - rotateIconSize_.width / 2, b.size.height / 2});
}

void VXDropdownMenu::toggle() {
    if (isShowingOptions()) hideDropDown();
    else showDropDown();
}

void VXDropdownMenu::showDropDown() {
    if (isShowingOptions() || isHidden()) return;
    auto dataSource = dataSource_.lock();
    if (!dataSource) return;
    VXDropdownMenuRef self = ref<VXDropdownMenu>();
    // The list goes into the root of the tree (the window), so nothing clips it or takes its touches.
    ui::ViewRef root = self;
    while (root->superview()) root = root->superview();
    cg::Rect f = convertRectToView(bounds(), root.get());
    long count = std::max(0L, dataSource->numberOfOptionsInDropdownMenu(self));
    auto list = ui::View::create(cg::RectMake(f.origin.x, cg::RectGetMaxY(f), f.size.width, 0));
    list->setBackgroundColor(optionBgColor_);
    list->setClipsToBounds(true);
    optionButtons_.clear();
    optionTitles_.clear();
    double y = 0;
    for (long i = 0; i < count; ++i) {
        double height = std::max(0.0, dataSource->heightForOptionAtIndex(self, i));
        std::string title = dataSource->titleForOptionAtIndex(self, i);
        auto option = ui::Button::buttonWithType(ui::ButtonType::Custom);
        option->setFrame(cg::RectMake(0, y, f.size.width, height));
        option->setTag(i);
        option->setBackgroundColor(optionBgColor_);
        option->setTitle(title, ui::ControlStateNormal);
        option->setTitleColor(optionTextColor_, ui::ControlStateNormal);
        option->titleLabel()->setFont(optionFont_);
        option->setContentHorizontalAlignment(contentAlignment(optionTextAlignment_));
        ns::Weak<VXDropdownMenu> weak = self;
        option->addAction([weak, i](ui::Control&) {
            if (auto menu = weak.lock()) menu->selectOptionAtIndex(i);
        }, ui::ControlEventTouchUpInside);
        list->addSubview(option);
        if (i + 1 < count) {
            auto line = ui::View::create(cg::RectMake(0, y + height - LineWidth, f.size.width, LineWidth));
            line->setBackgroundColor(optionLineColor_);
            line->setUserInteractionEnabled(false);
            list->addSubview(line);
        }
        optionButtons_.push_back(option);
        optionTitles_.push_back(title);
        y += height;
    }
    list->setFrame(cg::RectMake(f.origin.x, cg::RectGetMaxY(f), f.size.width, y));
    root->addSubview(list);
    optionsView_ = list;
    ui::View::animate(0.25, [this] { iconView_->setTransform(cg::AffineTransformMakeRotation(std::numbers::pi)); });
}

void VXDropdownMenu::hideDropDown() {
    if (!optionsView_) return;
    optionsView_->removeFromSuperview();
    optionsView_.reset();
    optionButtons_.clear();
    ui::View::animate(0.25, [this] { iconView_->setTransform(cg::AffineTransformIdentity); });
}

void VXDropdownMenu::selectOptionAtIndex(long index) {
    if (index < 0 || index >= static_cast<long>(optionTitles_.size()) || !isShowingOptions()) return;
    VXDropdownMenuRef self = ref<VXDropdownMenu>();
    std::string title = optionTitles_[static_cast<size_t>(index)];
    setTitle(title);
    if (auto delegate = delegate_.lock()) delegate->didSelectOptionAtIndex(self, index, title);
    hideDropDown();
}

void VXDropdownMenu::setHidden(bool hidden) {
    ui::View::setHidden(hidden);
    if (hidden) hideDropDown();
}

void VXDropdownMenu::didMoveToWindow() {
    if (!window()) hideDropDown();
}
