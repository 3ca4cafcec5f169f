#pragma once
// A button: per-state title, title colour, image, background image and attributed title. A
// getter for a state answers the value set for exactly that state, else the normal state's;
// the current values are those of the current state. The parts (title label, image view,
// background image view) follow the current values and are placed by the edge insets:
// centred content moves by half the difference of an inset pair, aligned content by the inset.

#include "os/foundation/AttributedString.h"
#include "os/uikit/Control.h"
#include "os/uikit/Image.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"

#include <map>
#include <optional>
#include <string>

namespace ui {

class Button;
using ButtonRef = ns::Ref<Button>;

enum class ButtonType : int { Custom = 0, System = 1, DetailDisclosure = 2, InfoLight = 3, InfoDark = 4, ContactAdd = 5, Close = 7 };

class Button : public Control {
public:
    static ButtonRef buttonWithType(ButtonType type);
    void initWithFrame(cg::Rect frame) override; // a custom button
    ButtonType buttonType() const { return type_; }

    // --- Per state ---
    std::optional<std::string> titleForState(unsigned state) const;
    void setTitle(std::optional<std::string> title, unsigned state);
    ColorRef titleColorForState(unsigned state) const;
    void setTitleColor(ColorRef color, unsigned state);
    ImageRef imageForState(unsigned state) const;
    void setImage(ImageRef image, unsigned state);
    ImageRef backgroundImageForState(unsigned state) const;
    void setBackgroundImage(ImageRef image, unsigned state);
    std::optional<ns::AttributedString> attributedTitleForState(unsigned state) const;
    void setAttributedTitle(std::optional<ns::AttributedString> title, unsigned state);

    // --- Current (for the current state) ---
    std::optional<std::string> currentTitle() const;
    ColorRef currentTitleColor() const;
    ImageRef currentImage() const;
    ImageRef currentBackgroundImage() const;
    std::optional<ns::AttributedString> currentAttributedTitle() const;

    // --- Parts ---
    const LabelRef& titleLabel() const { return titleLabel_; }
    const ImageViewRef& imageView() const { return imageView_; }
    const ImageViewRef& backgroundImageView() const { return backgroundView_; }

    // --- Insets ---
    EdgeInsets contentEdgeInsets() const { return contentInsets_; }
    void setContentEdgeInsets(EdgeInsets insets) { contentInsets_ = insets; setNeedsLayout(); }
    EdgeInsets titleEdgeInsets() const { return titleInsets_; }
    void setTitleEdgeInsets(EdgeInsets insets) { titleInsets_ = insets; setNeedsLayout(); }
    EdgeInsets imageEdgeInsets() const { return imageInsets_; }
    void setImageEdgeInsets(EdgeInsets insets) { imageInsets_ = insets; setNeedsLayout(); }

    // Where the parts go (overridable, as on the platform).
    virtual cg::Rect contentRectForBounds(cg::Rect bounds) const;
    virtual cg::Rect titleRectForContentRect(cg::Rect contentRect) const;
    virtual cg::Rect imageRectForContentRect(cg::Rect contentRect) const;

    void layoutSubviews() override;
    cg::Size sizeThatFits(cg::Size size) const override;
    cg::Size intrinsicContentSize() const override { return sizeThatFits(cg::SizeZero); }

protected:
    void stateDidChange() override;

private:
    void refresh();
    cg::Size titleSize(double maxWidth) const;
    cg::Rect place(cg::Rect content, cg::Size size, double x, EdgeInsets insets) const;

    ButtonType type_ = ButtonType::Custom;
    std::map<unsigned, std::optional<std::string>> titles_;
    std::map<unsigned, ColorRef> titleColors_;
    std::map<unsigned, ImageRef> images_;
    std::map<unsigned, ImageRef> backgroundImages_;
    std::map<unsigned, std::optional<ns::AttributedString>> attributedTitles_;
    LabelRef titleLabel_;
    ImageViewRef imageView_;
    ImageViewRef backgroundView_;
    EdgeInsets contentInsets_, titleInsets_, imageInsets_;
};

} // namespace ui
