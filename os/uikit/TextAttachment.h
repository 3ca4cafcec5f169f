#pragma once
// A picture inside attributed text (a sticker in a comment): it stands in place of the object
// replacement character, drawn at its bounds relative to the baseline.

#include "os/foundation/AttributedString.h"
#include "os/text/Attributes.h"
#include "os/uikit/Image.h"

namespace ui {

class TextAttachment;
using TextAttachmentRef = ns::Ref<TextAttachment>;

class TextAttachment : public ns::Object, public vx::text::AttachmentAttribute {
public:
    static TextAttachmentRef withImage(ImageRef image, cg::Rect bounds = cg::RectZero);

    ImageRef image() const { return image_; }
    void setImage(ImageRef image) { image_ = std::move(image); }
    // y up from the baseline; a zero rectangle means the image's size sitting on the baseline.
    cg::Rect bounds() const { return bounds_; }
    void setBounds(cg::Rect bounds) { bounds_ = bounds; }

    // One object replacement character (U+FFFC) carrying the attachment.
    static ns::AttributedString attributedString(const TextAttachmentRef& attachment);

    cg::Rect attachmentBounds() const override;
    cg::ImageRef attachmentImage() const override;

private:
    ImageRef image_;
    cg::Rect bounds_ = cg::RectZero;
};

} // namespace ui
