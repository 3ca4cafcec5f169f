#include "image/UIImage+VXWebImage.h"

#include "image/VXImageCodec.h"
#include "os/foundation/Log.h"
#include "os/graphics/VImage.h"
#include "os/imageio/ImageSource.h"
#include "os/uikit/BezierPath.h"
#include "os/uikit/Graphics.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <utility>

namespace VXWebImage {

namespace {

constexpr double kEpsilon = FLT_EPSILON; // 2^-23

// Ends the image context it opened when it goes, whatever path returns.
struct ImageContext {
    ImageContext(cg::Size size, bool opaque, double scale) { ui::GraphicsBeginImageContextWithOptions(size, opaque, scale); }
    ~ImageContext() { ui::GraphicsEndImageContext(); }
    cg::Context* context() const { return ui::GraphicsGetCurrentContext(); }
    ui::ImageRef image() const { return ui::GraphicsGetImageFromCurrentImageContext(); }
};

// The rectangle the image occupies inside rect for a content mode (y down, as in an image context).
cg::Rect fitRect(cg::Rect rect, cg::Size size, ui::ContentMode mode) {
    rect = cg::RectStandardize(rect);
    size.width = std::fabs(size.width);
    size.height = std::fabs(size.height);
    const cg::Point center{cg::RectGetMidX(rect), cg::RectGetMidY(rect)};
    switch (mode) {
    case ui::ContentMode::ScaleAspectFit:
    case ui::ContentMode::ScaleAspectFill: {
        if (rect.size.width < 0.01 || rect.size.height < 0.01 || size.width < 0.01 || size.height < 0.01) {
            rect.origin = center;
            rect.size = cg::SizeZero;
            break;
        }
        const bool imageNarrower = size.width / size.height < rect.size.width / rect.size.height;
        const bool fit = mode == ui::ContentMode::ScaleAspectFit;
        const double scale = imageNarrower == fit ? rect.size.height / size.height : rect.size.width / size.width;
        size.width *= scale;
        size.height *= scale;
        rect.size = size;
        rect.origin = {center.x - size.width * 0.5, center.y - size.height * 0.5};
        break;
    }
    case ui::ContentMode::Center:
        rect.size = size;
        rect.origin = {center.x - size.width * 0.5, center.y - size.height * 0.5};
        break;
    case ui::ContentMode::Top:
        rect.origin.x = center.x - size.width * 0.5;
        rect.size = size;
        break;
    case ui::ContentMode::Bottom:
        rect.origin.x = center.x - size.width * 0.5;
        rect.origin.y += rect.size.height - size.height;
        rect.size = size;
        break;
    case ui::ContentMode::Left:
        rect.origin.y = center.y - size.height * 0.5;
        rect.size = size;
        break;
    case ui::ContentMode::Right:
        rect.origin.y = center.y - size.height * 0.5;
        rect.origin.x += rect.size.width - size.width;
        rect.size = size;
        break;
    case ui::ContentMode::TopLeft: rect.size = size; break;
    case ui::ContentMode::TopRight:
        rect.origin.x += rect.size.width - size.width;
        rect.size = size;
        break;
    case ui::ContentMode::BottomLeft:
        rect.origin.y += rect.size.height - size.height;
        rect.size = size;
        break;
    case ui::ContentMode::BottomRight:
        rect.origin.x += rect.size.width - size.width;
        rect.origin.y += rect.size.height - size.height;
        rect.size = size;
        break;
    default: break; // scale to fill, redraw and unknown modes: the rectangle itself
    }
    return rect;
}

// A bitmap context of the pixel size in premultiplied alpha-first pixels (A,R,G,B in memory).
cg::ContextRef argbContext(size_t width, size_t height) {
    return cg::Context::CreateBitmap(nullptr, width, height, 8, width * 4, VXSharedDeviceRGBColorSpace(),
                                     cg::ImageAlphaPremultipliedFirst);
}

ui::ImageRef flip(const ui::ImageRef& image, bool horizontal, bool vertical) {
    if (!image || !image->CGImage()) return nullptr;
    const cg::ImageRef bitmap = image->CGImage();
    const size_t width = bitmap->width(), height = bitmap->height();
    auto context = argbContext(width, height);
    if (!context) return nullptr;
    context->DrawImage(cg::RectMake(0, 0, double(width), double(height)), bitmap);
    void* data = context->data();
    if (!data) return nullptr;
    vimage::Buffer buffer{data, height, width, context->bytesPerRow()};
    if (vertical) vimage::VerticalReflectARGB8888(&buffer, &buffer, vimage::BackgroundColorFill);
    if (horizontal) vimage::HorizontalReflectARGB8888(&buffer, &buffer, vimage::BackgroundColorFill);
    return ui::Image::imageWithCGImage(context->CreateImage(), image->scale(), image->imageOrientation());
}

// The receiver's bitmap and the effect bitmap put together with the tint and the mask.
ui::ImageRef mergeBlurEffect(const ui::ImageRef& image, const cg::ImageRef& effect, const ui::ColorRef& tintColor,
                             cg::BlendMode tintMode, const ui::ImageRef& maskImage) {
    const bool hasTint = tintColor && tintColor->alpha() > kEpsilon;
    const bool hasMask = maskImage != nullptr;
    if (!hasTint && !hasMask) return ui::Image::imageWithCGImage(effect);

    const cg::Size size = image->size();
    const cg::Rect rect{cg::PointZero, size};
    ImageContext scope(size, false, image->scale());
    cg::Context* context = scope.context();
    if (!context) return nullptr;
    context->ScaleCTM(1, -1);
    context->TranslateCTM(0, -size.height);
    if (hasMask) {
        context->DrawImage(rect, image->CGImage());
        context->SaveGState();
        context->ClipToMask(rect, maskImage->CGImage());
    }
    context->DrawImage(rect, effect);
    if (hasTint) {
        context->SaveGState();
        context->SetBlendMode(tintMode);
        context->SetFillColor(tintColor->cgColor());
        context->FillRect(rect);
        context->RestoreGState();
    }
    if (hasMask) context->RestoreGState();
    return scope.image();
}

void freeBuffer(void* userData, void* data) { std::free(data); }

} // namespace

// --- Made from scratch ----------------------------------------------------------------------

ui::ImageRef VX_imageWithColor(const ui::ColorRef& color) { return VX_imageWithColor(color, {1, 1}); }

ui::ImageRef VX_imageWithColor(const ui::ColorRef& color, cg::Size size) {
    if (!color || !(size.width > 0) || !(size.height > 0)) return nullptr;
    ImageContext scope(size, false, 0);
    cg::Context* context = scope.context();
    if (!context) return nullptr;
    context->SetFillColor(color->cgColor());
    context->FillRect({cg::PointZero, size});
    return scope.image();
}

ui::ImageRef VX_imageWithSize(cg::Size size, const std::function<void(cg::Context* context)>& drawBlock) {
    if (!drawBlock) return nullptr;
    ImageContext scope(size, false, 0);
    cg::Context* context = scope.context();
    if (!context) return nullptr;
    drawBlock(context);
    return scope.image();
}

ui::ImageRef VX_imageWithSmallGIFData(const ns::DataRef& data, double scale) {
    auto source = imageio::ImageSource::CreateWithData(data);
    if (!source) return nullptr;
    const size_t count = source->GetCount();
    if (count <= 1) return ui::Image::imageWithData(data, scale);

    std::vector<size_t> frameCounts(count);
    double totalDuration = 0;
    size_t divisor = 0;
    for (size_t i = 0; i < count; ++i) {
        double delay = 0;
        const auto properties = source->CopyPropertiesAtIndex(i);
        const ns::Dictionary* gif = properties ? (*properties)[imageio::key::GIFDictionary].dictionaryPtr() : nullptr;
        if (gif) {
            delay = (*gif)[imageio::key::GIFUnclampedDelayTime].doubleValue();
            if (delay <= kEpsilon) delay = (*gif)[imageio::key::GIFDelayTime].doubleValue();
        }
        if (delay < 0.02) delay = 0.1;
        const double frames = std::nearbyint(delay / 0.02); // ties to even
        frameCounts[i] = frames < 1 ? 1 : static_cast<size_t>(frames);
        totalDuration += delay;
        divisor = std::gcd(divisor, frameCounts[i]);
    }

    std::vector<ui::ImageRef> images;
    for (size_t i = 0; i < count; ++i) {
        cg::ImageRef frame = source->CreateImageAtIndex(i);
        if (!frame || frame->width() == 0 || frame->height() == 0) return nullptr;
        const uint32_t info = cg::AlphaInfoHasAlpha(frame->alphaInfo()) ? VXBitmapInfoDisplay : VXBitmapInfoDisplayOpaque;
        auto context = cg::Context::CreateBitmap(nullptr, frame->width(), frame->height(), 8, 0,
                                                 VXSharedDeviceRGBColorSpace(), info);
        if (!context) return nullptr;
        context->DrawImage(cg::RectMake(0, 0, double(frame->width()), double(frame->height())), frame);
        auto image = ui::Image::imageWithCGImage(context->CreateImage(), scale, ui::ImageOrientation::Up);
        if (!image) return nullptr;
        images.insert(images.end(), frameCounts[i] / divisor, image);
    }
    return ui::Image::animatedImageWithImages(std::move(images), totalDuration);
}

// --- Drawing and resizing -------------------------------------------------------------------

bool VX_hasAlphaChannel(const ui::ImageRef& image) {
    if (!image || !image->CGImage()) return false;
    return cg::AlphaInfoHasAlpha(image->CGImage()->alphaInfo());
}

void VX_drawInRect(const ui::ImageRef& image, cg::Rect rect, ui::ContentMode contentMode, bool clipsToBounds) {
    if (!image) return;
    const cg::Rect drawRect = fitRect(rect, image->size(), contentMode);
    if (drawRect.size.width == 0 || drawRect.size.height == 0) return;
    if (!clipsToBounds) {
        image->drawInRect(drawRect);
        return;
    }
    cg::Context* context = ui::GraphicsGetCurrentContext();
    if (!context) return;
    context->SaveGState();
    context->ClipToRect(rect);
    image->drawInRect(drawRect);
    context->RestoreGState();
}

ui::ImageRef VX_imageByResizeToSize(const ui::ImageRef& image, cg::Size size) {
    if (!image || !(size.width > 0) || !(size.height > 0)) return nullptr;
    ImageContext scope(size, false, image->scale());
    image->drawInRect({cg::PointZero, size});
    return scope.image();
}

ui::ImageRef VX_imageByResizeToSize(const ui::ImageRef& image, cg::Size size, ui::ContentMode contentMode) {
    if (!image || !(size.width > 0) || !(size.height > 0)) return nullptr;
    ImageContext scope(size, false, image->scale());
    VX_drawInRect(image, {cg::PointZero, size}, contentMode, false);
    return scope.image();
}

ui::ImageRef VX_imageByCropToRect(const ui::ImageRef& image, cg::Rect rect) {
    if (!image) return nullptr;
    const double scale = image->scale();
    rect = cg::RectMake(rect.origin.x * scale, rect.origin.y * scale, rect.size.width * scale, rect.size.height * scale);
    if (!(rect.size.width > 0) || !(rect.size.height > 0)) return nullptr;
    cg::ImageRef cropped = cg::Image::CreateWithImageInRect(image->CGImage(), rect);
    return ui::Image::imageWithCGImage(cropped, scale, image->imageOrientation());
}

ui::ImageRef VX_imageByInsetEdge(const ui::ImageRef& image, ui::EdgeInsets insets, const ui::ColorRef& color) {
    if (!image) return nullptr;
    cg::Size size = image->size();
    size.width -= insets.left + insets.right;
    size.height -= insets.top + insets.bottom;
    if (!(size.width > 0) || !(size.height > 0)) return nullptr;
    const cg::Rect rect = cg::RectMake(-insets.left, -insets.top, image->size().width, image->size().height);
    ImageContext scope(size, false, image->scale());
    if (!scope.context()) return nullptr;
    if (color) {
        auto path = ui::BezierPath::bezierPathWithRect({cg::PointZero, size});
        path->appendPath(*ui::BezierPath::bezierPathWithRect(rect));
        path->setUsesEvenOddFillRule(true);
        color->setFill();
        path->fill();
    }
    image->drawInRect(rect);
    return scope.image();
}

// --- Rounded corners ------------------------------------------------------------------------

ui::ImageRef VX_imageByRoundCornerRadius(const ui::ImageRef& image, double radius) {
    return VX_imageByRoundCornerRadius(image, radius, ui::RectCornerAllCorners, 0, nullptr, cg::LineJoin::Miter);
}

ui::ImageRef VX_imageByRoundCornerRadius(const ui::ImageRef& image, double radius, double borderWidth,
                                         const ui::ColorRef& borderColor) {
    return VX_imageByRoundCornerRadius(image, radius, ui::RectCornerAllCorners, borderWidth, borderColor,
                                       cg::LineJoin::Miter);
}

ui::ImageRef VX_imageByRoundCornerRadius(const ui::ImageRef& image, double radius, unsigned corners,
                                         double borderWidth, const ui::ColorRef& borderColor,
                                         cg::LineJoin borderLineJoin) {
    if (!image) return nullptr;
    // The drawing below happens upside down, so top and bottom corners trade places.
    if (corners != ui::RectCornerAllCorners) {
        unsigned swapped = 0;
        if (corners & ui::RectCornerTopLeft) swapped |= ui::RectCornerBottomLeft;
        if (corners & ui::RectCornerTopRight) swapped |= ui::RectCornerBottomRight;
        if (corners & ui::RectCornerBottomLeft) swapped |= ui::RectCornerTopLeft;
        if (corners & ui::RectCornerBottomRight) swapped |= ui::RectCornerTopRight;
        corners = swapped;
    }
    const cg::Size size = image->size();
    const double scale = image->scale();
    const cg::Rect rect{cg::PointZero, size};
    ImageContext scope(size, false, scale);
    cg::Context* context = scope.context();
    if (!context) return nullptr;
    context->ScaleCTM(1, -1);
    context->TranslateCTM(0, -size.height);

    const double minSize = std::min(size.width, size.height);
    if (borderWidth < minSize / 2) {
        auto path = ui::BezierPath::bezierPathWithRoundedRect(cg::RectInset(rect, borderWidth, borderWidth), corners,
                                                              {radius, borderWidth});
        path->closePath();
        context->SaveGState();
        path->addClip();
        context->DrawImage(rect, image->CGImage());
        context->RestoreGState();
    }
    if (borderColor && borderWidth < minSize / 2 && borderWidth > 0) {
        const double strokeInset = (std::floor(borderWidth * scale) + 0.5) / scale;
        const cg::Rect strokeRect = cg::RectInset(rect, strokeInset, strokeInset);
        const double strokeRadius = radius > scale / 2 ? radius - scale / 2 : 0;
        auto path = ui::BezierPath::bezierPathWithRoundedRect(strokeRect, corners, {strokeRadius, borderWidth});
        path->closePath();
        path->setLineWidth(borderWidth);
        path->setLineJoinStyle(borderLineJoin);
        borderColor->setStroke();
        path->stroke();
    }
    return scope.image();
}

// --- Rotation and flips ---------------------------------------------------------------------

ui::ImageRef VX_imageByRotate(const ui::ImageRef& image, double radians, bool fitSize) {
    if (!image || !image->CGImage()) return nullptr;
    const cg::ImageRef bitmap = image->CGImage();
    const double width = double(bitmap->width()), height = double(bitmap->height());
    cg::Rect newRect = cg::RectApplyAffineTransform(cg::RectMake(0, 0, width, height),
                                                    fitSize ? cg::AffineTransformMakeRotation(radians)
                                                            : cg::AffineTransformIdentity);
    newRect.origin = cg::PointZero;
    const size_t newWidth = static_cast<size_t>(newRect.size.width);
    const size_t newHeight = static_cast<size_t>(newRect.size.height);
    auto context = argbContext(newWidth, newHeight);
    if (!context) return nullptr;
    context->SetShouldAntialias(true);
    context->SetAllowsAntialiasing(true);
    context->SetInterpolationQuality(cg::InterpolationQuality::High);
    context->TranslateCTM(newRect.size.width * 0.5, newRect.size.height * 0.5);
    context->RotateCTM(radians);
    context->DrawImage(cg::RectMake(-width * 0.5, -height * 0.5, width, height), bitmap);
    return ui::Image::imageWithCGImage(context->CreateImage(), image->scale(), image->imageOrientation());
}

ui::ImageRef VX_imageByRotateLeft90(const ui::ImageRef& image) { return VX_imageByRotate(image, M_PI_2, true); }
ui::ImageRef VX_imageByRotateRight90(const ui::ImageRef& image) { return VX_imageByRotate(image, -M_PI_2, true); }
ui::ImageRef VX_imageByRotate180(const ui::ImageRef& image) { return flip(image, true, true); }
ui::ImageRef VX_imageByFlipVertical(const ui::ImageRef& image) { return flip(image, false, true); }
ui::ImageRef VX_imageByFlipHorizontal(const ui::ImageRef& image) { return flip(image, true, false); }

// --- Tint and blur --------------------------------------------------------------------------

ui::ImageRef VX_imageByTintColor(const ui::ImageRef& image, const ui::ColorRef& color) {
    if (!image) return nullptr;
    const cg::Size size = image->size();
    ImageContext scope(size, false, image->scale());
    if (!scope.context()) return nullptr;
    if (color) color->setFill();
    ui::RectFill({cg::PointZero, size});
    image->drawAtPoint(cg::PointZero, cg::BlendMode::DestinationIn, 1);
    return scope.image();
}

ui::ImageRef VX_imageByGrayscale(const ui::ImageRef& image) {
    return VX_imageByBlurRadius(image, 0, nullptr, cg::BlendMode::Normal, 0, nullptr);
}

ui::ImageRef VX_imageByBlurSoft(const ui::ImageRef& image) {
    return VX_imageByBlurRadius(image, 60, ui::Color::colorWithWhite(0.84, 0.36), cg::BlendMode::Normal, 1.8, nullptr);
}

ui::ImageRef VX_imageByBlurLight(const ui::ImageRef& image) {
    return VX_imageByBlurRadius(image, 60, ui::Color::colorWithWhite(1.0, 0.3), cg::BlendMode::Normal, 1.8, nullptr);
}

ui::ImageRef VX_imageByBlurExtraLight(const ui::ImageRef& image) {
    return VX_imageByBlurRadius(image, 40, ui::Color::colorWithWhite(0.97, 0.82), cg::BlendMode::Normal, 1.8, nullptr);
}

ui::ImageRef VX_imageByBlurDark(const ui::ImageRef& image) {
    return VX_imageByBlurRadius(image, 40, ui::Color::colorWithWhite(0.11, 0.73), cg::BlendMode::Normal, 1.8, nullptr);
}

ui::ImageRef VX_imageByBlurWithTint(const ui::ImageRef& image, const ui::ColorRef& tintColor) {
    constexpr double effectAlpha = 0.6;
    ui::ColorRef effectColor = tintColor;
    if (tintColor) {
        double white = 0, red = 0, green = 0, blue = 0, alpha = 0;
        if (tintColor->model() == ui::Color::Model::Gray) {
            if (tintColor->getWhite(&white, &alpha)) effectColor = ui::Color::colorWithWhite(white, effectAlpha);
        } else if (tintColor->getRed(&red, &green, &blue, &alpha)) {
            effectColor = ui::Color::colorWithRed(red, green, blue, effectAlpha);
        }
    }
    return VX_imageByBlurRadius(image, 20, effectColor, cg::BlendMode::Normal, -1, nullptr);
}

ui::ImageRef VX_imageByBlurRadius(const ui::ImageRef& image, double blurRadius, const ui::ColorRef& tintColor,
                                  cg::BlendMode tintMode, double saturation, const ui::ImageRef& maskImage) {
    if (!image) return nullptr;
    const cg::Size size = image->size();
    if (size.width < 1 || size.height < 1) {
        ns::log("UIImage+VXAdd error: invalid size: (%.2f x %.2f). Both dimensions must be >= 1: %@", size.width,
                size.height, image);
        return nullptr;
    }
    if (!image->CGImage()) {
        ns::log("UIImage+VXAdd error: inputImage must be backed by a CGImage: %@", image);
        return nullptr;
    }
    if (maskImage && !maskImage->CGImage()) {
        ns::log("UIImage+VXAdd error: effectMaskImage must be backed by a CGImage: %@", maskImage);
        return nullptr;
    }

    const bool hasBlur = blurRadius > kEpsilon;
    const bool hasSaturation = std::fabs(saturation - 1.0) > kEpsilon;
    const double scale = image->scale();
    const cg::ImageRef bitmap = image->CGImage();
    if (!hasBlur && !hasSaturation) return mergeBlurEffect(image, bitmap, tintColor, tintMode, maskImage);

    vimage::CGImageFormat format;
    format.bitsPerComponent = 8;
    format.bitsPerPixel = 32;
    format.bitmapInfo = VXBitmapInfoDisplay;
    vimage::Buffer effect, scratch;
    vimage::Error error = vimage::BufferInitWithCGImage(&effect, format, nullptr, bitmap, vimage::PrintDiagnosticsToConsole);
    if (error != vimage::NoError) {
        ns::log("UIImage+VXAdd error: vImageBuffer_InitWithCGImage returned error code %zi for inputImage: %@", error, image);
        return nullptr;
    }
    error = vimage::BufferInit(&scratch, effect.height, effect.width, format.bitsPerPixel, vimage::NoFlags);
    if (error != vimage::NoError) {
        std::free(effect.data);
        ns::log("UIImage+VXAdd error: vImageBuffer_Init returned error code %zi for inputImage: %@", error, image);
        return nullptr;
    }
    vimage::Buffer* input = &effect;
    vimage::Buffer* output = &scratch;

    if (hasBlur) {
        // Three box passes approximate a Gaussian of the radius (in pixels).
        double inputRadius = blurRadius * scale;
        if (inputRadius - 2.0 < kEpsilon) inputRadius = 2.0;
        uint32_t box = static_cast<uint32_t>(std::floor((inputRadius * 3.0 * std::sqrt(2 * M_PI) / 4 + 0.5) / 2));
        box |= 1;
        const int passes = blurRadius * scale < 0.5 ? 1 : blurRadius * scale < 1.5 ? 2 : 3;
        const vimage::Error tempSize = vimage::BoxConvolveARGB8888(input, output, nullptr, 0, 0, box, box, nullptr,
                                                                   vimage::GetTempBufferSize | vimage::EdgeExtend);
        void* temp = tempSize > 0 ? std::malloc(size_t(tempSize)) : nullptr;
        for (int i = 0; i < passes; ++i) {
            vimage::BoxConvolveARGB8888(input, output, temp, 0, 0, box, box, nullptr, vimage::EdgeExtend);
            std::swap(input, output);
        }
        std::free(temp);
    }

    if (hasSaturation) {
        const double s = saturation;
        const double matrix[16] = {
            0.0722 + 0.9278 * s, 0.0722 - 0.0722 * s, 0.0722 - 0.0722 * s, 0,
            0.7152 - 0.7152 * s, 0.7152 + 0.2848 * s, 0.7152 - 0.7152 * s, 0,
            0.2126 - 0.2126 * s, 0.2126 - 0.2126 * s, 0.2126 + 0.7873 * s, 0,
            0,                   0,                   0,                   1,
        };
        constexpr int32_t divisor = 256;
        int16_t saturationMatrix[16];
        for (int i = 0; i < 16; ++i) saturationMatrix[i] = static_cast<int16_t>(std::lround(matrix[i] * divisor));
        vimage::MatrixMultiplyARGB8888(input, output, saturationMatrix, divisor, nullptr, nullptr, vimage::NoFlags);
        std::swap(input, output);
    }

    cg::ImageRef effectImage = vimage::CreateCGImageFromBuffer(*input, format, freeBuffer, nullptr, vimage::NoAllocate, nullptr);
    if (!effectImage) {
        effectImage = vimage::CreateCGImageFromBuffer(*input, format, nullptr, nullptr, vimage::NoFlags, nullptr);
        std::free(input->data);
    }
    std::free(output->data);
    if (!effectImage) return nullptr;
    return mergeBlurEffect(image, effectImage, tintColor, tintMode, maskImage);
}

} // namespace VXWebImage
