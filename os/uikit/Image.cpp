#include "os/uikit/Image.h"

#include "os/foundation/Value.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/Screen.h"

#include "os/imageio/ImageDestination.h"
#include "os/imageio/ImageSource.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace ui {

namespace {

const bool registered = [] {
    ns::Coding::registerClass("UIImage", [](ns::Coder& coder) -> ns::Ref<ns::Object> {
        return Image::initWithCoder(coder);
    });
    return true;
}();

// The first image of the data and its EXIF orientation.
cg::ImageRef decodeFirstImage(const ns::DataRef& data, ImageOrientation* orientation) {
    *orientation = ImageOrientation::Up;
    if (!data || data->length() == 0) return nullptr;
    auto source = imageio::ImageSource::CreateWithData(data);
    if (!source || source->GetCount() == 0) return nullptr;
    if (auto props = source->CopyPropertiesAtIndex(0))
        *orientation = ImageOrientationFromEXIF((*props)[imageio::key::Orientation].integerValue());
    return source->CreateImageAtIndex(0);
}

// The bitmap encoded as the type; none without a bitmap or an encoder.
ns::DataRef encode(const cg::ImageRef& image, const char* type, const ns::Dictionary* properties) {
    if (!image) return nullptr;
    auto data = ns::MutableData::make();
    auto destination = imageio::ImageDestination::CreateWithData(data, type, 1);
    if (!destination) return nullptr;
    destination->AddImage(image, properties);
    if (!destination->Finalize() || data->length() == 0) return nullptr;
    return data;
}

// The scale an "@2x"-style suffix of the file's base name gives, else 1.
double scaleFromFileName(const std::string& path) {
    if (path.empty() || path.back() == '/') return 1;
    std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    if (size_t dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);
    size_t at = base.rfind('@');
    if (at == std::string::npos || base.size() < at + 3 || base.back() != 'x') return 1;
    std::string number = base.substr(at + 1, base.size() - at - 2);
    bool digits = !number.empty() && std::isdigit(static_cast<unsigned char>(number.front())) &&
                  std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; }) &&
                  std::count(number.begin(), number.end(), '.') <= 1;
    double s = digits ? std::strtod(number.c_str(), nullptr) : 0;
    return s > 0 ? s : 1;
}

// Where the displayed picture's unit point (u, v), v down from the top, takes the stored
// picture's unit point (p, q), q down from the top.
cg::Point orient(ImageOrientation o, double p, double q) {
    switch (o) {
    case ImageOrientation::Up: return {p, q};
    case ImageOrientation::Down: return {1 - p, 1 - q};
    case ImageOrientation::Left: return {q, 1 - p};
    case ImageOrientation::Right: return {1 - q, p};
    case ImageOrientation::UpMirrored: return {1 - p, q};
    case ImageOrientation::DownMirrored: return {p, 1 - q};
    case ImageOrientation::LeftMirrored: return {q, p};
    case ImageOrientation::RightMirrored: return {1 - q, 1 - p};
    }
    return {p, q};
}

bool swapsSides(ImageOrientation o) {
    return o == ImageOrientation::Left || o == ImageOrientation::Right || o == ImageOrientation::LeftMirrored ||
           o == ImageOrientation::RightMirrored;
}

// Draws the bitmap so that its displayed (oriented) picture fills rect, whatever the context's
// coordinate system: rect's origin corner shows the picture's top-left when the space is y-down.
void drawOriented(cg::Context& c, const cg::ImageRef& image, ImageOrientation o, cg::Rect rect) {
    // DrawImage into the unit square puts stored point (p, q) at (p, 1 - q); map that square onto rect.
    auto place = [&](double a, double b) {
        cg::Point uv = orient(o, a, 1 - b);
        return cg::Point{rect.origin.x + uv.x * rect.size.width, rect.origin.y + uv.y * rect.size.height};
    };
    cg::Point origin = place(0, 0), ex = place(1, 0), ey = place(0, 1);
    c.SaveGState();
    c.ConcatCTM({ex.x - origin.x, ex.y - origin.y, ey.x - origin.x, ey.y - origin.y, origin.x, origin.y});
    c.DrawImage(cg::UnitRect, image);
    c.RestoreGState();
}

} // namespace

ImageOrientation ImageOrientationFromEXIF(long exif) {
    switch (exif) {
    case 2: return ImageOrientation::UpMirrored;
    case 3: return ImageOrientation::Down;
    case 4: return ImageOrientation::DownMirrored;
    case 5: return ImageOrientation::LeftMirrored;
    case 6: return ImageOrientation::Right;
    case 7: return ImageOrientation::RightMirrored;
    case 8: return ImageOrientation::Left;
    default: return ImageOrientation::Up;
    }
}

// --- Making images --------------------------------------------------------------------------

bool Image::initWithCGImage(const cg::ImageRef& cgImage, double scale, ImageOrientation orientation) {
    if (!cgImage) return false;
    cgImage_ = cgImage;
    scale_ = scale > 0 ? scale : 1;
    orientation_ = orientation;
    return true;
}

bool Image::initWithData(const ns::DataRef& data, double scale) {
    ImageOrientation orientation;
    cg::ImageRef cg = decodeFirstImage(data, &orientation);
    return initWithCGImage(cg, scale, orientation);
}

bool Image::initWithContentsOfFile(const std::string& path) {
    return initWithData(ns::Data::fromFile(path), scaleFromFileName(path));
}

ImageRef Image::imageWithCGImage(const cg::ImageRef& cgImage, double scale, ImageOrientation orientation) {
    auto image = ns::make<Image>();
    return image->initWithCGImage(cgImage, scale, orientation) ? image : nullptr;
}

ImageRef Image::imageWithData(const ns::DataRef& data, double scale) {
    auto image = ns::make<Image>();
    return image->initWithData(data, scale) ? image : nullptr;
}

ImageRef Image::imageWithContentsOfFile(const std::string& path) {
    auto image = ns::make<Image>();
    return image->initWithContentsOfFile(path) ? image : nullptr;
}

ImageRef Image::imageNamed(const std::string& name, const ns::Ref<ns::Bundle>& bundle) {
    if (name.empty() || name.back() == '/') return nullptr;
    ns::Ref<ns::Bundle> b = bundle ? bundle : ns::Bundle::main();
    if (!b) return nullptr;
    size_t slash = name.rfind('/');
    size_t dot = name.rfind('.');
    std::string base = name;
    std::vector<std::string> types{"png", "jpg", ""};
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) {
        base = name.substr(0, dot);
        types = {name.substr(dot + 1)};
    }
    double screen = Screen::mainScreen().scale();
    std::vector<double> scales = screen <= 1 ? std::vector<double>{1, 2, 3}
                                 : screen <= 2 ? std::vector<double>{2, 3, 1}
                                               : std::vector<double>{3, 2, 1};
    for (double s : scales) {
        std::string resource = s == 1 ? base : base + "@" + ns::numtext::shortest(s) + "x";
        for (const std::string& type : types) {
            if (auto path = b->pathForResource(resource, type)) {
                auto image = ns::make<Image>();
                return image->initWithData(ns::Data::fromFile(*path), s) ? image : nullptr;
            }
        }
    }
    return nullptr;
}

ImageRef Image::animatedImageWithImages(std::vector<ImageRef> images, double duration) {
    images.erase(std::remove(images.begin(), images.end(), nullptr), images.end());
    if (images.empty()) return nullptr;
    auto image = ns::make<Image>();
    image->scale_ = images.front()->scale();
    image->images_ = std::move(images);
    image->duration_ = duration;
    return image;
}

ImageRef Image::resizableImageWithCapInsets(EdgeInsets insets, ImageResizingMode mode) const {
    auto image = ns::make<Image>();
    image->cgImage_ = cgImage_;
    image->scale_ = scale_;
    image->orientation_ = orientation_;
    image->images_ = images_;
    image->duration_ = duration_;
    image->capInsets_ = insets;
    image->resizingMode_ = mode;
    image->renderingMode_ = renderingMode_;
    return image;
}

ImageRef Image::imageWithRenderingMode(ImageRenderingMode mode) const {
    auto image = resizableImageWithCapInsets(capInsets_, resizingMode_);
    image->renderingMode_ = mode;
    return image;
}

// --- Properties -----------------------------------------------------------------------------

cg::Size Image::size() const {
    if (!cgImage_) return images_.empty() ? cg::SizeZero : images_.front()->size();
    double w = double(cgImage_->width()) / scale_, h = double(cgImage_->height()) / scale_;
    return swapsSides(orientation_) ? cg::Size{h, w} : cg::Size{w, h};
}

std::string Image::description() const {
    cg::Size s = size();
    char text[96];
    std::snprintf(text, sizeof text, "<UIImage: %p, {%g, %g}>", static_cast<const void*>(this), s.width, s.height);
    return text;
}

// --- Drawing --------------------------------------------------------------------------------

void Image::drawInRect(cg::Rect rect) const { drawInRect(rect, cg::BlendMode::Normal, 1); }

void Image::drawInRect(cg::Rect rect, cg::BlendMode mode, double alpha) const {
    cg::Context* c = GraphicsGetCurrentContext();
    if (!c) return;
    if (!cgImage_) {
        if (!images_.empty()) images_.front()->drawInRect(rect, mode, alpha);
        return;
    }
    c->SaveGState();
    c->SetBlendMode(mode);
    c->SetAlpha(alpha);
    EdgeInsets i = capInsets_;
    cg::Size size = this->size();
    bool caps = i != EdgeInsetsZero && orientation_ == ImageOrientation::Up && i.left + i.right < size.width &&
                i.top + i.bottom < size.height && i.left >= 0 && i.right >= 0 && i.top >= 0 && i.bottom >= 0;
    if (!caps) {
        drawOriented(*c, cgImage_, orientation_, rect);
    } else {
        // Nine pieces: corners at their own size, edges stretched along, the middle both ways.
        rect = cg::RectStandardize(rect);
        double sx[4] = {0, i.left, size.width - i.right, size.width};
        double sy[4] = {0, i.top, size.height - i.bottom, size.height};
        double dx[4] = {rect.origin.x, rect.origin.x + i.left, rect.origin.x + rect.size.width - i.right,
                        rect.origin.x + rect.size.width};
        double dy[4] = {rect.origin.y, rect.origin.y + i.top, rect.origin.y + rect.size.height - i.bottom,
                        rect.origin.y + rect.size.height};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) {
                cg::Rect src = cg::RectMake(sx[col] * scale_, sy[row] * scale_, (sx[col + 1] - sx[col]) * scale_,
                                            (sy[row + 1] - sy[row]) * scale_);
                cg::Rect dst = cg::RectMake(dx[col], dy[row], dx[col + 1] - dx[col], dy[row + 1] - dy[row]);
                if (dst.size.width <= 0 || dst.size.height <= 0) continue;
                if (auto piece = cg::Image::CreateWithImageInRect(cgImage_, src))
                    drawOriented(*c, piece, ImageOrientation::Up, dst);
            }
    }
    c->RestoreGState();
}

void Image::drawAtPoint(cg::Point point) const { drawAtPoint(point, cg::BlendMode::Normal, 1); }

void Image::drawAtPoint(cg::Point point, cg::BlendMode mode, double alpha) const {
    drawInRect({point, size()}, mode, alpha);
}

// --- Coding and encoding --------------------------------------------------------------------

void Image::encodeWithCoder(ns::Coder& coder) const {
    if (auto png = encode(cgImage_, imageio::uti::PNG, nullptr)) coder.encodeObject(png, "UIImageData");
    coder.encodeDouble(scale_, "UIImageScale");
    coder.encodeInteger(static_cast<long long>(orientation_), "UIImageOrientation");
}

ImageRef Image::initWithCoder(ns::Coder& coder) {
    ns::DataRef data = coder.decodeObject("UIImageData").data();
    ImageOrientation stored;
    cg::ImageRef cg = decodeFirstImage(data, &stored);
    long long o = coder.decodeInteger("UIImageOrientation");
    auto orientation = o >= 0 && o <= 7 ? static_cast<ImageOrientation>(o) : ImageOrientation::Up;
    return imageWithCGImage(cg, coder.decodeDouble("UIImageScale"), orientation);
}

ns::DataRef ImagePNGRepresentation(const ImageRef& image) {
    return encode(image ? image->CGImage() : nullptr, imageio::uti::PNG, nullptr);
}

ns::DataRef ImageJPEGRepresentation(const ImageRef& image, double quality) {
    ns::Dictionary properties{{imageio::key::DestinationLossyCompressionQuality, std::clamp(quality, 0.0, 1.0)}};
    return encode(image ? image->CGImage() : nullptr, imageio::uti::JPEG, &properties);
}

} // namespace ui
