#include "image/VXImageFrame.h"

ns::Ref<VXImageFrame> VXImageFrame::frameWithImage(const ui::ImageRef& image) {
    auto frame = ns::make<VXImageFrame>();
    frame->image = image;
    return frame;
}

ns::Ref<VXImageFrame> VXImageFrame::copy() const {
    auto frame = ns::make<VXImageFrame>();
    copyFieldsTo(*frame);
    return frame;
}

void VXImageFrame::copyFieldsTo(VXImageFrame& other) const {
    other.index = index;
    other.width = width;
    other.height = height;
    other.offsetX = offsetX;
    other.offsetY = offsetY;
    other.duration = duration;
    other.dispose = dispose;
    other.blend = blend;
    other.image = image;
}
