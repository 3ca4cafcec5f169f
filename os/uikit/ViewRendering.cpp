#include "os/uikit/ViewRendering.h"

#include "os/graphics/Path.h"
#include "os/uikit/ActivityIndicatorView.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/Screen.h"
#include "os/uikit/TextField.h"
#include "os/uikit/TextView.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <typeindex>

namespace ui {
namespace {

// UITextView's line fragment padding, on each side of the text.
constexpr double TextViewPadding = 5;
// Text inside a field with a rounded-rect (or line, bezel) border starts this far in.
constexpr double FieldTextInset = 7;

double effectiveScale(double scale) { return scale > 0 ? scale : Screen::mainScreen().scale(); }

// The scale of the capture being rendered on this thread (0 outside one).
thread_local double captureScale = 0;
thread_local bool baseDrawRectRan = false;

void setContents(View& view, const ImageRef& image, double scale) {
    ca::Layer& layer = *view.layer();
    layer.setContents(image ? image->CGImage() : nullptr);
    layer.setContentsScale(scale);
    layer.setContentsGravity(ca::kGravityResize);
    layer.setContentsRect(cg::UnitRect);
}

// Runs `draw` in an image context of the view's bounds size (y-down, origin at the bounds'
// top left) and makes the result the layer's contents.
template <class Draw> void drawContents(View& view, double scale, Draw&& draw) {
    cg::Rect b = view.bounds();
    if (!(b.size.width > 0 && b.size.height > 0)) {
        setContents(view, nullptr, scale);
        return;
    }
    GraphicsBeginImageContextWithOptions(b.size, false, scale);
    cg::Context* context = GraphicsGetCurrentContext();
    if (context) draw(*context, cg::RectMake(0, 0, b.size.width, b.size.height));
    ImageRef image = GraphicsGetImageFromCurrentImageContext();
    GraphicsEndImageContext();
    setContents(view, image, scale);
}

// Text laid out in `rect`, centred vertically when it is shorter (as labels and fields draw it).
template <class Text> void drawCentred(cg::Context& context, cg::Rect rect, const Text& text, const vx::text::Style& style) {
    double height = vx::text::sizeThatFits(text, style, {rect.size.width, 0}).height;
    if (height < rect.size.height) {
        rect.origin.y += std::floor((rect.size.height - height) / 2);
        rect.size.height = height;
    }
    vx::text::draw(context, rect, text, style);
}

void displayLabel(Label& label, double scale) {
    auto attributed = label.hasAttributedText() ? label.attributedText() : std::nullopt;
    const auto& plain = label.text();
    if ((!attributed || attributed->string().empty()) && (!plain || plain->empty())) {
        setContents(label, nullptr, scale);
        return;
    }
    vx::text::Style style = label.style();
    drawContents(label, scale, [&](cg::Context& context, cg::Rect rect) {
        if (attributed) drawCentred(context, rect, *attributed, style);
        else drawCentred(context, rect, *plain, style);
    });
}

void displayField(TextField& field, double scale) {
    bool bordered = field.borderStyle() != TextBorderStyle::None;
    std::string shown = field.displayText();
    if (!bordered && shown.empty()) {
        setContents(field, nullptr, scale);
        return;
    }
    drawContents(field, scale, [&](cg::Context& context, cg::Rect rect) {
        switch (field.borderStyle()) {
        case TextBorderStyle::RoundedRect: {
            cg::Path path;
            path.AddRoundedRect(cg::RectInset(rect, 0.5, 0.5), 5);
            context.SetFillColor({1, 1, 1, 1});
            context.BeginPath();
            context.AddPath(path);
            context.FillPath();
            context.SetStrokeColor({0.8, 0.8, 0.8, 1});
            context.SetLineWidth(1);
            context.BeginPath();
            context.AddPath(path);
            context.StrokePath();
            break;
        }
        case TextBorderStyle::Line:
        case TextBorderStyle::Bezel:
            context.SetStrokeColor(field.borderStyle() == TextBorderStyle::Line ? cg::Color{0, 0, 0, 1}
                                                                                 : cg::Color{0.5, 0.5, 0.5, 1});
            context.SetLineWidth(1);
            context.StrokeRect(cg::RectInset(rect, 0.5, 0.5));
            break;
        case TextBorderStyle::None:
            break;
        }
        if (shown.empty()) return;
        vx::text::Style style;
        style.font = field.font();
        bool placeholder = field.text().empty();
        style.color = placeholder ? cg::Color{0.7, 0.7, 0.78, 1} : field.textColor()->cgColor();
        style.alignment = field.textAlignment();
        style.lineBreakMode = vx::text::LineBreakMode::TruncatingTail;
        double inset = bordered ? FieldTextInset : 0;
        drawCentred(context, cg::RectInset(rect, inset, 0), shown, style);
    });
}

void displayTextView(TextView& view, double scale) {
    if (view.text().empty()) {
        setContents(view, nullptr, scale);
        return;
    }
    vx::text::Style style;
    style.font = view.font();
    style.color = view.textColor()->cgColor();
    style.alignment = view.textAlignment();
    style.numberOfLines = 0;
    auto attributed = view.attributedText();
    drawContents(view, scale, [&](cg::Context& context, cg::Rect rect) {
        EdgeInsets inset = view.textContainerInset();
        inset.left += TextViewPadding;
        inset.right += TextViewPadding;
        vx::text::draw(context, EdgeInsetsInsetRect(rect, inset), attributed, style);
    });
}

// Where an image of `size` goes in `bounds` for the content mode.
cg::Rect placeImage(ContentMode mode, cg::Rect b, cg::Size size) {
    double sx = size.width > 0 ? b.size.width / size.width : 1;
    double sy = size.height > 0 ? b.size.height / size.height : 1;
    switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
        return b;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
        double s = mode == ContentMode::ScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
        size = {size.width * s, size.height * s};
        break;
    }
    default:
        break;
    }
    double left = b.origin.x, right = cg::RectGetMaxX(b) - size.width;
    double top = b.origin.y, bottom = cg::RectGetMaxY(b) - size.height;
    double x = (left + right) / 2, y = (top + bottom) / 2;
    switch (mode) {
    case ContentMode::Top: y = top; break;
    case ContentMode::Bottom: y = bottom; break;
    case ContentMode::Left: x = left; break;
    case ContentMode::Right: x = right; break;
    case ContentMode::TopLeft: x = left, y = top; break;
    case ContentMode::TopRight: x = right, y = top; break;
    case ContentMode::BottomLeft: x = left, y = bottom; break;
    case ContentMode::BottomRight: x = right, y = bottom; break;
    default: break;
    }
    return cg::RectMake(x, y, size.width, size.height);
}

const std::string& gravityFor(ContentMode mode) {
    switch (mode) {
    case ContentMode::ScaleAspectFit: return ca::kGravityResizeAspect;
    case ContentMode::ScaleAspectFill: return ca::kGravityResizeAspectFill;
    case ContentMode::Center: return ca::kGravityCenter;
    case ContentMode::Top: return ca::kGravityTop;
    case ContentMode::Bottom: return ca::kGravityBottom;
    case ContentMode::Left: return ca::kGravityLeft;
    case ContentMode::Right: return ca::kGravityRight;
    case ContentMode::TopLeft: return ca::kGravityTopLeft;
    case ContentMode::TopRight: return ca::kGravityTopRight;
    case ContentMode::BottomLeft: return ca::kGravityBottomLeft;
    case ContentMode::BottomRight: return ca::kGravityBottomRight;
    default: return ca::kGravityResize;
    }
}

void displayImageView(ImageView& view, double scale) {
    ImageRef image = view.displayedImage();
    if (view.isAnimating() && !view.animationImages().empty()) image = view.animationImages().front();
    if (!image || !image->CGImage()) {
        setContents(view, nullptr, scale);
        return;
    }
    EdgeInsets caps = image->capInsets();
    bool upright = image->imageOrientation() == ImageOrientation::Up;
    if (image->renderingMode() == ImageRenderingMode::AlwaysTemplate) {
        // The image's shape in the tint colour.
        ColorRef tint = view.tintColor();
        drawContents(view, scale, [&](cg::Context& context, cg::Rect rect) {
            cg::Rect placed = placeImage(view.contentMode(), rect, image->size());
            context.SaveGState();
            image->drawInRect(placed);
            context.SetBlendMode(cg::BlendMode::SourceIn);
            context.SetFillColor(tint ? tint->cgColor() : cg::Color{0, 0.48, 1, 1});
            context.FillRect(placed);
            context.RestoreGState();
        });
        return;
    }
    if (upright && caps == EdgeInsetsZero) {
        // The bitmap itself, placed by gravity: like the platform, an image that does not fit
        // spills over the bounds unless the view clips.
        ca::Layer& layer = *view.layer();
        layer.setContents(image->CGImage());
        layer.setContentsScale(image->scale());
        layer.setContentsGravity(gravityFor(view.contentMode()));
        layer.setContentsRect(cg::UnitRect);
        return;
    }
    // Turned or stretchable images are drawn as they display.
    drawContents(view, scale, [&](cg::Context&, cg::Rect rect) {
        image->drawInRect(placeImage(view.contentMode(), rect, image->size()));
    });
}

void displaySpinner(ActivityIndicatorView& view, double scale) {
    if (!view.isAnimating() && view.hidesWhenStopped()) {
        setContents(view, nullptr, scale);
        return;
    }
    cg::Color color = view.color()->cgColor();
    // The spinner keeps its style's size (20 or 37 points) centred in whatever frame it has.
    double size = view.sizeThatFits(cg::SizeZero).width;
    drawContents(view, scale, [&](cg::Context& context, cg::Rect rect) {
        double radius = size / 2, width = size / 10;
        cg::Point c{cg::RectGetMidX(rect), cg::RectGetMidY(rect)};
        context.SetLineWidth(width);
        context.SetLineCap(cg::LineCap::Round);
        for (int i = 0; i < 12; ++i) {
            double angle = i * M_PI / 6;
            cg::Color spoke = color;
            spoke.a *= view.isAnimating() ? 0.25 + 0.75 * i / 11.0 : 0.5;
            context.SetStrokeColor(spoke);
            context.BeginPath();
            context.MoveToPoint({c.x + std::cos(angle) * radius * 0.5, c.y + std::sin(angle) * radius * 0.5});
            context.AddLineToPoint({c.x + std::cos(angle) * (radius - width / 2),
                                    c.y + std::sin(angle) * (radius - width / 2)});
            context.StrokePath();
        }
    });
}

// Whether the view's class overrides drawRect: asked once per class, by drawing into a scratch
// context and seeing whether the base ran.
bool drawsRect(View& view) {
    static std::map<std::type_index, bool> known;
    std::type_index type(typeid(view));
    if (auto it = known.find(type); it != known.end()) return it->second;
    baseDrawRectRan = false;
    GraphicsBeginImageContextWithOptions({1, 1}, false, 1);
    view.drawRect(cg::RectMake(0, 0, 1, 1));
    GraphicsEndImageContext();
    return known[type] = !baseDrawRectRan;
}

// Every shown view redraws through its layer's delegate hook, at the capture's scale.
void displayTree(View& view) {
    if (view.isHidden()) return;
    view.displayLayer(*view.layer());
    for (const auto& sub : view.subviews()) displayTree(*sub);
}

} // namespace

namespace detail {
void noteBaseDrawRect() { baseDrawRectRan = true; }
} // namespace detail

bool displayViewContents(View& view, double scale) {
    if (scale <= 0) {
        if (captureScale > 0) scale = captureScale;
        else if (!view.window()) return false;
    }
    scale = effectiveScale(scale);
    if (auto* label = dynamic_cast<Label*>(&view)) displayLabel(*label, scale);
    else if (auto* field = dynamic_cast<TextField*>(&view)) displayField(*field, scale);
    else if (auto* textView = dynamic_cast<TextView*>(&view)) displayTextView(*textView, scale);
    else if (auto* imageView = dynamic_cast<ImageView*>(&view)) displayImageView(*imageView, scale);
    else if (auto* spinner = dynamic_cast<ActivityIndicatorView*>(&view)) displaySpinner(*spinner, scale);
    else if (drawsRect(view)) drawContents(view, scale, [&](cg::Context&, cg::Rect rect) { view.drawRect(rect); });
    else return false;
    return true;
}

ImageRef renderView(const ViewRef& view, double scale) {
    if (!view) return nullptr;
    scale = effectiveScale(scale);
    cg::Rect b = view->bounds();
    if (!(b.size.width > 0 && b.size.height > 0)) return nullptr;
    ca::Layer::displayPendingLayers();
    double outer = captureScale;
    captureScale = scale;
    displayTree(*view);
    captureScale = outer;
    GraphicsBeginImageContextWithOptions(b.size, false, scale);
    cg::Context* context = GraphicsGetCurrentContext();
    if (context) {
        context->TranslateCTM(-b.origin.x, -b.origin.y);
        view->layer()->renderInContext(*context);
    }
    ImageRef image = GraphicsGetImageFromCurrentImageContext();
    GraphicsEndImageContext();
    return image;
}

bool captureWindowPNG(const WindowRef& window, const std::string& path) {
    auto image = renderView(window, Screen::mainScreen().scale());
    auto data = ImagePNGRepresentation(image);
    return data && data->writeToFile(path, true);
}

} // namespace ui
