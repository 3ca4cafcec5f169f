#pragma once
// The comment bar's stickers: small pictures of the SDK bundle, each standing for a text form
// ("[微笑]") that is what a comment carries. In the text view a sticker is one attachment
// character (U+FFFC) showing its picture.

#include "os/text/Font.h"
#include "os/uikit/Image.h"
#include "os/uikit/TextAttachment.h"

#include <string>
#include <vector>

struct VXSticker {
    std::string imageName; // in the SDK bundle
    std::string text;      // the text form

    // The picture, or none when the bundle lacks it.
    ui::ImageRef image() const;
    // An attachment that shows the picture at the size of the font's line (sitting on the baseline,
    // lowered by the font's descender).
    ui::TextAttachmentRef attachment(const ui::FontRef& font) const;

    // The whole set, in keyboard order.
    static const std::vector<VXSticker>& all();
};
