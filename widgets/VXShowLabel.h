#pragma once
// A label that measures its text when it is set: the height it needs at a given width and the
// number of lines that makes.

#include "os/uikit/Label.h"

class VXShowLabel : public ui::Label {
public:
    // The width the text is measured at; set it before the text.
    double w() const { return w_; }
    void setW(double w) { w_ = w; }

    // Height of the text's bounding rectangle at width w in the label's font (truncated).
    long maxHeight() const { return maxHeight_; }
    // maxHeight divided by the font's line height (truncated).
    long rows() const { return rows_; }

    // Sets the text, then measures it.
    void setText(std::optional<std::string> text) override;

private:
    double w_ = 0;
    long maxHeight_ = 0;
    long rows_ = 0;
};
