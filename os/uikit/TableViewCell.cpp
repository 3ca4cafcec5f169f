#include "os/uikit/TableViewCell.h"

#include <algorithm>

namespace ui {
namespace {

constexpr double Margin = 15;
constexpr double VerticalPadding = 11;
constexpr double MinimumHeight = 44;
constexpr double BuiltInAccessoryWidth = 38;

} // namespace

void TableViewCell::initWithStyle(TableViewCellStyle style, std::string reuseIdentifier) {
    style_ = style;
    reuseIdentifier_ = std::move(reuseIdentifier);
    initWithFrame(cg::RectMake(0, 0, 320, MinimumHeight));
}

void TableViewCell::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    setBackgroundColor(Color::whiteColor());
    contentView_ = View::create(bounds());
    contentView_->setOpaque(false);
    addSubview(contentView_);
}

LabelRef TableViewCell::textLabel() {
    if (!textLabel_) {
        textLabel_ = View::create<Label>();
        contentView_->addSubview(textLabel_);
        setNeedsLayout();
    }
    return textLabel_;
}

LabelRef TableViewCell::detailTextLabel() {
    if (style_ == TableViewCellStyle::Default) return nullptr;
    if (!detailTextLabel_) {
        detailTextLabel_ = View::create<Label>();
        bool small = style_ == TableViewCellStyle::Subtitle || style_ == TableViewCellStyle::Value2;
        detailTextLabel_->setFont(Font::systemFontOfSize(small ? 12 : 17));
        if (style_ != TableViewCellStyle::Value2) detailTextLabel_->setTextColor(Color::grayColor());
        contentView_->addSubview(detailTextLabel_);
        setNeedsLayout();
    }
    return detailTextLabel_;
}

ImageViewRef TableViewCell::imageView() {
    if (!imageView_) {
        imageView_ = View::create<ImageView>();
        contentView_->addSubview(imageView_);
        setNeedsLayout();
    }
    return imageView_;
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
    accessoryType_ = type;
    setNeedsLayout();
}

void TableViewCell::setAccessoryView(const ViewRef& view) {
    if (accessoryView_ == view) return;
    if (accessoryView_) accessoryView_->removeFromSuperview();
    accessoryView_ = view;
    if (view) addSubview(view);
    setNeedsLayout();
}

void TableViewCell::setSelected(bool selected, bool) {
    selected_ = selected;
    bool shown = (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None;
    if (textLabel_) textLabel_->setHighlighted(shown);
    if (detailTextLabel_) detailTextLabel_->setHighlighted(shown);
    if (imageView_) imageView_->setHighlighted(shown);
}

void TableViewCell::setHighlighted(bool highlighted, bool) {
    highlighted_ = highlighted;
    setSelected(selected_);
}

void TableViewCell::prepareForReuse() {
    setHighlighted(false);
    setSelected(false);
}

double TableViewCell::accessoryWidth() const {
    if (accessoryView_) return accessoryView_->frame().size.width + Margin;
    return accessoryType_ == TableViewCellAccessoryType::None ? 0 : BuiltInAccessoryWidth;
}

void TableViewCell::layoutSubviews() {
    cg::Rect b = bounds();
    double accessory = accessoryWidth();
    contentView_->setFrame(cg::RectMake(0, 0, std::max(0.0, b.size.width - accessory), b.size.height));
    if (accessoryView_) {
        cg::Size s = accessoryView_->frame().size;
        accessoryView_->setFrame(cg::RectMake(b.size.width - Margin - s.width, (b.size.height - s.height) / 2,
                                              s.width, s.height));
    }

    cg::Size content = contentView_->bounds().size;
    double x = Margin;
    if (imageView_ && imageView_->image()) {
        cg::Size s = imageView_->image()->size();
        imageView_->setFrame(cg::RectMake(Margin, (content.height - s.height) / 2, s.width, s.height));
        x += s.width + Margin;
    }
    double width = std::max(0.0, content.width - x - Margin);
    if (!textLabel_) return;
    switch (style_) {
    case TableViewCellStyle::Default:
        textLabel_->setFrame(cg::RectMake(x, 0, width, content.height));
        break;
    case TableViewCellStyle::Subtitle: {
        double top = textLabel_->sizeThatFits({width, 0}).height;
        double bottom = detailTextLabel_ ? detailTextLabel_->sizeThatFits({width, 0}).height : 0;
        double y = (content.height - top - bottom) / 2;
        textLabel_->setFrame(cg::RectMake(x, y, width, top));
        if (detailTextLabel_) detailTextLabel_->setFrame(cg::RectMake(x, y + top, width, bottom));
        break;
    }
    case TableViewCellStyle::Value1:
        textLabel_->setFrame(cg::RectMake(x, 0, width, content.height));
        if (detailTextLabel_) {
            detailTextLabel_->setTextAlignment(TextAlignment::Right);
            detailTextLabel_->setFrame(cg::RectMake(x, 0, width, content.height));
        }
        break;
    case TableViewCellStyle::Value2: {
        double column = std::min(width, content.width / 4);
        textLabel_->setTextAlignment(TextAlignment::Right);
        textLabel_->setFrame(cg::RectMake(x, 0, column, content.height));
        if (detailTextLabel_)
            detailTextLabel_->setFrame(cg::RectMake(x + column + 6, 0, std::max(0.0, width - column - 6), content.height));
        break;
    }
    }
}

cg::Size TableViewCell::sizeThatFits(cg::Size size) const {
    double width = size.width > 0 ? size.width : bounds().size.width;
    if (!textLabel_ || !textLabel_->text() || textLabel_->text()->empty()) return {width, bounds().size.height};
    double x = Margin;
    if (imageView_ && imageView_->image()) x += imageView_->image()->size().width + Margin;
    double textWidth = std::max(1.0, width - accessoryWidth() - x - Margin);
    double height = textLabel_->sizeThatFits({textWidth, 0}).height;
    if (style_ == TableViewCellStyle::Subtitle && detailTextLabel_)
        height += detailTextLabel_->sizeThatFits({textWidth, 0}).height;
    return {width, std::max(MinimumHeight, height + 2 * VerticalPadding)};
}

} // namespace ui
