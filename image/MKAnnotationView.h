#pragma once
// A map annotation's view, as thin as the image setters need: an image and a highlighted flag.

#include "os/uikit/Image.h"
#include "os/uikit/View.h"

namespace mk {

class AnnotationView : public ui::View {
public:
    ui::ImageRef image() const { return image_; }
    void setImage(const ui::ImageRef& image) { image_ = image; }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }

private:
    ui::ImageRef image_;
    bool highlighted_ = false;
};

using AnnotationViewRef = ns::Ref<AnnotationView>;

} // namespace mk
