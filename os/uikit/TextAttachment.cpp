#include "os/uikit/TextAttachment.h"

#include "os/uikit/Graphics.h"

namespace ui {

TextAttachmentRef TextAttachment::withImage(ImageRef image, cg::Rect bounds) {
    auto attachment = ns::make<TextAttachment>();
    attachment->image_ = std::move(image);
    attachment->bounds_ = bounds;
    return attachment;
}

ns::AttributedString TextAttachment::attributedString(const TextAttachmentRef& attachment) {
    ns::AttributedString text("\xEF\xBF\xBC");
    if (attachment) text.addAttribute(ns::AttachmentAttributeName, ns::Value(attachment), {0, 1});
    return text;
}

cg::Rect TextAttachment::attachmentBounds() const {
    if (bounds_.size.width > 0 || bounds_.size.height > 0 || !image_) return bounds_;
    cg::Size size = image_->size();
    return cg::RectMake(0, 0, size.width, size.height);
}

cg::ImageRef TextAttachment::attachmentImage() const {
    if (!image_) return nullptr;
    if (image_->imageOrientation() == ImageOrientation::Up) return image_->CGImage();
    // Turned images are drawn upright first.
    cg::Size size = image_->size();
    GraphicsBeginImageContextWithOptions(size, false, image_->scale());
    image_->drawInRect(cg::RectMake(0, 0, size.width, size.height));
    auto upright = GraphicsGetImageFromCurrentImageContext();
    GraphicsEndImageContext();
    return upright ? upright->CGImage() : nullptr;
}

} // namespace ui
