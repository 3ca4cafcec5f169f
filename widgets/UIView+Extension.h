#pragma once
// View helpers the SDK's screens share: panels from interface files, frame shorthands, the card
// shadow and corner masks.

#include "foundation/URLEncode.h"
#include "os/uikit/BezierPath.h"
#include "os/uikit/Nib.h"
#include "os/uikit/View.h"

namespace Extension {

// The last top-level object of the interface file named after T in the SDK resource bundle, or
// none when it is not a T. A file nobody registered raises ns::Exception, as loading does.
template <class T> ns::Ref<T> ViewFromXib() { return ui::loadFromNib<T>(URLEncode::getSdkBundle()); }

// --- Frame shorthands: one component changes, the others stay ---
double width(const ui::ViewRef& view);
double height(const ui::ViewRef& view);
double y(const ui::ViewRef& view);
double bottom(const ui::ViewRef& view); // maximum y of the frame
double centerX(const ui::ViewRef& view);
void setX(const ui::ViewRef& view, double x);
void setY(const ui::ViewRef& view, double y);
void setWidth(const ui::ViewRef& view, double width);
void setHeight(const ui::ViewRef& view, double height);
void setCenterX(const ui::ViewRef& view, double centerX);
void setCenterY(const ui::ViewRef& view, double centerY);

// --- Looks ---
// Shadow colour red = green = blue = 230/255 (alpha 1), clipping off, the corner radius, shadow
// radius and offset, shadow opacity 0.9.
void setShadowWithCornerRadius(const ui::ViewRef& view, double cornerRadius, double shadowRadius, cg::Size shadowOffset);
// The same with shadow radius 3 and offset (0, 0).
void setShadowWithRadius(const ui::ViewRef& view, double cornerRadius);
// Masks the layer with a rounded rectangle of the bounds as they are now, rounding only the given
// corners (ui::RectCorner bits: 1 top left, 2 top right, 4 bottom left, 8 bottom right).
void setCornerRadius(const ui::ViewRef& view, double radius, unsigned corners);

} // namespace Extension
