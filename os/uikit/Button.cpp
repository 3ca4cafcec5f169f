#include "os/uikit/Button.h"

#include <algorithm>

namespace ui {
namespace {

template <class T> const T* lookup(const std::map<unsigned, T>& values, unsigned state) {
    auto it = values.find(state);
    if (it == values.end()) it = values.find(ControlStateNormal);
    return it == values.end() ? nullptr : &it->second;
}

} // namespace

ButtonRef Button::buttonWithType(ButtonType type) {
    auto button = View::create<Button>();
    button->type_ = type;
    button->refresh();
    return button;
}

void Button::initWithFrame(cg::Rect frame) {
    Control::initWithFrame(frame);
    setOpaque(false);
    backgroundView_ = View::create<ImageView>();
    imageView_ = View::create<ImageView>();
    titleLabel_ = View::create<Label>();
    titleLabel_->setFont(Font::systemFontOfSize(15));
    addSubview(backgroundView_);
    addSubview(imageView_);
    addSubview(titleLabel_);
    refresh();
}

// --- Per state ---

std::optional<std::string> Button::titleForState(unsigned state) const {
    auto v = lookup(titles_, state);
    return v ? *v : std::nullopt;
}

void Button::setTitle(std::optional<std::string> title, unsigned state) {
    titles_[state] = std::move(title);
    refresh();
}

ColorRef Button::titleColorForState(unsigned state) const {
    if (auto v = lookup(titleColors_, state); v && *v) return *v;
    if (type_ == ButtonType::Custom) return Color::whiteColor();
    if (state & ControlStateDisabled) return Color::colorWithWhite(0.5, 1);
    return tintColor();
}

void Button::setTitleColor(ColorRef color, unsigned state) {
    titleColors_[state] = std::move(color);
    refresh();
}

ImageRef Button::imageForState(unsigned state) const {
    auto v = lookup(images_, state);
    return v ? *v : nullptr;
}

void Button::setImage(ImageRef image, unsigned state) {
    images_[state] = std::move(image);
    refresh();
}

ImageRef Button::backgroundImageForState(unsigned state) const {
    auto v = lookup(backgroundImages_, state);
    return v ? *v : nullptr;
}

void Button::setBackgroundImage(ImageRef image, unsigned state) {
    backgroundImages_[state] = std::move(image);
    refresh();
}

std::optional<ns::AttributedString> Button::attributedTitleForState(unsigned state) const {
    auto v = lookup(attributedTitles_, state);
    return v ? *v : std::nullopt;
}

void Button::setAttributedTitle(std::optional<ns::AttributedString> title, unsigned state) {
    attributedTitles_[state] = std::move(title);
    refresh();
}

// --- Current ---

std::optional<std::string> Button::currentTitle() const {
    if (auto t = titleForState(state())) return t;
    if (auto a = attributedTitleForState(state())) return a->string();
    return std::nullopt;
}

ColorRef Button::currentTitleColor() const { return titleColorForState(state()); }
ImageRef Button::currentImage() const { return imageForState(state()); }
ImageRef Button::currentBackgroundImage() const { return backgroundImageForState(state()); }
std::optional<ns::AttributedString> Button::currentAttributedTitle() const { return attributedTitleForState(state()); }

void Button::stateDidChange() { refresh(); }

void Button::refresh() {
    if (!titleLabel_) return;
    if (auto attributed = currentAttributedTitle()) {
        titleLabel_->setAttributedText(std::move(attributed));
    } else {
        titleLabel_->setTextColor(currentTitleColor());
        titleLabel_->setText(titleForState(state()));
    }
    imageView_->setImage(currentImage());
    backgroundView_->setImage(currentBackgroundImage());
    setNeedsLayout();
}

// --- Layout ---

cg::Rect Button::contentRectForBounds(cg::Rect bounds) const { return EdgeInsetsInsetRect(bounds, contentInsets_); }

cg::Size Button::titleSize(double maxWidth) const {
    if (!titleLabel_->text() || titleLabel_->text()->empty()) return cg::SizeZero;
    cg::Size s = titleLabel_->sizeThatFits({std::max(maxWidth, 0.0), 0});
    s.width = std::min(s.width, std::max(maxWidth, 0.0));
    return s;
}

cg::Rect Button::place(cg::Rect content, cg::Size size, double x, EdgeInsets insets) const {
    double y = 0;
    switch (contentVerticalAlignment()) {
    case ControlContentVerticalAlignment::Top: y = content.origin.y + insets.top; break;
    case ControlContentVerticalAlignment::Bottom:
        y = content.origin.y + content.size.height - size.height - insets.bottom;
        break;
    default: y = content.origin.y + (content.size.height - size.height) / 2 + (insets.top - insets.bottom) / 2; break;
    }
    switch (contentHorizontalAlignment()) {
    case ControlContentHorizontalAlignment::Left: x += insets.left; break;
    case ControlContentHorizontalAlignment::Right: x -= insets.right; break;
    default: x += (insets.left - insets.right) / 2; break;
    }
    return cg::RectMake(x, y, size.width, size.height);
}

// Image first, then the title, the pair aligned as a whole.
static double startX(ControlContentHorizontalAlignment alignment, cg::Rect content, double total) {
    switch (alignment) {
    case ControlContentHorizontalAlignment::Left: return content.origin.x;
    case ControlContentHorizontalAlignment::Right: return content.origin.x + content.size.width - total;
    default: return content.origin.x + (content.size.width - total) / 2;
    }
}

// The picture at its natural size, shrunk to what the content rect leaves it inside the image
// insets; the image view's content mode then draws it in that rect.
static cg::Size fittedImageSize(const ImageRef& image, cg::Rect content, EdgeInsets insets) {
    if (!image) return cg::SizeZero;
    cg::Size is = image->size();
    cg::Rect room = EdgeInsetsInsetRect(content, insets);
    return {std::clamp(room.size.width, 0.0, is.width), std::clamp(room.size.height, 0.0, is.height)};
}

cg::Rect Button::imageRectForContentRect(cg::Rect content) const {
    cg::Size is = fittedImageSize(currentImage(), content, imageInsets_);
    cg::Size ts = titleSize(content.size.width - is.width);
    return place(content, is, startX(contentHorizontalAlignment(), content, is.width + ts.width), imageInsets_);
}

cg::Rect Button::titleRectForContentRect(cg::Rect content) const {
    cg::Size is = fittedImageSize(currentImage(), content, imageInsets_);
    cg::Size ts = titleSize(content.size.width - is.width);
    return place(content, ts, startX(contentHorizontalAlignment(), content, is.width + ts.width) + is.width,
                 titleInsets_);
}

void Button::layoutSubviews() {
    cg::Rect content = contentRectForBounds(bounds());
    backgroundView_->setFrame(bounds());
    imageView_->setFrame(imageRectForContentRect(content));
    titleLabel_->setFrame(titleRectForContentRect(content));
}

cg::Size Button::sizeThatFits(cg::Size) const {
    auto image = currentImage();
    cg::Size is = image ? image->size() : cg::SizeZero;
    cg::Size ts = titleSize(1e6);
    cg::Size s{is.width + ts.width + contentInsets_.left + contentInsets_.right,
               std::max(is.height, ts.height) + contentInsets_.top + contentInsets_.bottom};
    if (auto bg = currentBackgroundImage()) {
        s.width = std::max(s.width, bg->size().width);
        s.height = std::max(s.height, bg->size().height);
    }
    return s;
}

} // namespace ui
