#include "widgets/VXSticker.h"

#include "widgets/UIImage+VXColor.h"

#include <cmath>

ui::ImageRef VXSticker::image() const { return VXColor::sdkImageNamed(imageName); }

ui::TextAttachmentRef VXSticker::attachment(const ui::FontRef& font) const {
    double size = font ? std::floor(font->pointSize() * 1.2) : 20;
    double descender = font ? font->descender() : -4;
    return ui::TextAttachment::withImage(image(), cg::RectMake(0, std::max(descender, -size / 4), size, size));
}

const std::vector<VXSticker>& VXSticker::all() {
    // The pictures are drawn by scripts/make-stickers.py.
    static const std::vector<VXSticker> stickers{
        {"vx_sticker_smile", "[微笑]"},     {"vx_sticker_laugh", "[大笑]"},
        {"vx_sticker_sad", "[难过]"},       {"vx_sticker_surprised", "[惊讶]"},
        {"vx_sticker_wink", "[眨眼]"},      {"vx_sticker_angry", "[生气]"},
        {"vx_sticker_heart", "[爱心]"},     {"vx_sticker_star", "[星星]"},
    };
    return stickers;
}
