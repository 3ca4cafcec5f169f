#include "os/uikit/ImageView.h"

#include "os/dispatch/Queue.h"

namespace ui {

ImageViewRef ImageView::withImage(const ImageRef& image, const ImageRef& highlightedImage) {
    cg::Size size = image ? image->size() : cg::SizeZero;
    auto view = View::create<ImageView>(cg::RectMake(0, 0, size.width, size.height));
    view->setImage(image);
    view->setHighlightedImage(highlightedImage);
    return view;
}

void ImageView::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    userInteractionEnabled_ = false;
    setOpaque(false);
}

void ImageView::setImage(const ImageRef& image) {
    image_ = image;
    setNeedsDisplay();
}

void ImageView::setHighlightedImage(const ImageRef& image) {
    highlightedImage_ = image;
    setNeedsDisplay();
}

void ImageView::setHighlighted(bool highlighted) {
    highlighted_ = highlighted;
    setNeedsDisplay();
}

ImageRef ImageView::displayedImage() const { return highlighted_ && highlightedImage_ ? highlightedImage_ : image_; }

double ImageView::animationDuration() const {
    if (animationDuration_ > 0) return animationDuration_;
    return static_cast<double>(animationImages_.size()) / 30.0;
}

void ImageView::startAnimating() {
    if (animationImages_.empty() || animating_) return;
    animating_ = true;
    unsigned long run = ++run_;
    if (repeatCount_ > 0) {
        ns::Weak<ImageView> weak = ref<ImageView>();
        dispatch::after(ns::TimeDelta::fromSeconds(animationDuration()) * static_cast<int64_t>(repeatCount_),
                        dispatch::Queue::main(),
                        [weak, run] {
                            auto self = weak.lock();
                            if (self && self->run_ == run) self->stopAnimating();
                        });
    }
}

void ImageView::stopAnimating() {
    animating_ = false;
    ++run_;
}

cg::Size ImageView::sizeThatFits(cg::Size) const {
    auto image = displayedImage();
    return image ? image->size() : cg::SizeZero;
}

cg::Size ImageView::intrinsicContentSize() const {
    auto image = displayedImage();
    return image ? image->size() : cg::Size{-1, -1};
}

} // namespace ui
