#include "os/imageio/ImageDestination.h"

#include "os/imageio/Codec.h"

namespace imageio {

namespace {

// The image's pixels as non-premultiplied R,G,B,A; alpha info 3 when the format carries alpha, else 5.
std::optional<detail::Bitmap> unpack(const cg::Image& image) {
    if (!image.bytes()) return std::nullopt;
    const bool alpha = cg::AlphaInfoHasAlpha(image.alphaInfo());
    std::optional<detail::Bitmap> bitmap =
        detail::Bitmap::make(image.width(), image.height(), alpha ? detail::kAlphaLast : detail::kAlphaNoneSkipLast);
    if (!bitmap) return std::nullopt;
    cg::PixelLayout rgba;
    rgba.r = 0, rgba.g = 1, rgba.b = 2, rgba.a = 3;
    cg::ConvertPixels(image.bytes(), image.bytesPerRow(), image.layout(), bitmap->pixels.data(), bitmap->bytesPerRow(),
                      rgba, image.width(), image.height());
    return bitmap;
}

// Values of b over a, one level of nested dictionaries merged.
Properties merged(Properties a, const Properties& b) {
    for (const auto& [name, value] : b) {
        const ns::Value* old = a.find(name);
        if (old && old->isDictionary() && value.isDictionary()) {
            Properties inner = *old->dictionaryPtr();
            for (const auto& [innerName, innerValue] : *value.dictionaryPtr()) inner.set(innerName, innerValue);
            a.set(name, std::move(inner));
        } else {
            a.set(name, value);
        }
    }
    return a;
}

} // namespace

ImageDestination::ImageDestination() = default;
ImageDestination::~ImageDestination() = default;

ImageDestinationRef ImageDestination::CreateWithData(const ns::MutableDataRef& data, const std::string& type,
                                                     size_t count, const Properties* options) {
    const detail::Format* format = detail::formatForType(type);
    if (!data || !format || count == 0) return nullptr;
    auto destination = ns::make<ImageDestination>();
    destination->data_ = data;
    destination->format_ = format;
    destination->capacity_ = count;
    if (options) destination->container_ = *options;
    return destination;
}

ImageDestinationRef ImageDestination::CreateWithURL(const ns::URL& url, const std::string& type, size_t count,
                                                    const Properties* options) {
    if (!url.isFileURL() || url.path().empty()) return nullptr;
    auto destination = CreateWithData(ns::MutableData::make(), type, count, options);
    if (destination) destination->path_ = url.path();
    return destination;
}

void ImageDestination::SetProperties(const Properties& properties) { container_ = merged(container_, properties); }

void ImageDestination::AddImage(const cg::ImageRef& image, const Properties* properties) {
    if (!image || finalized_ || frames_.size() >= capacity_) return;
    std::optional<detail::Bitmap> bitmap = unpack(*image);
    if (!bitmap) return;
    frames_.push_back({std::move(*bitmap), properties ? *properties : Properties{}});
}

void ImageDestination::AddImageFromSource(const ImageSourceRef& source, size_t index, const Properties* properties) {
    if (!source) return;
    cg::ImageRef image = source->CreateImageAtIndex(index);
    if (!image) return;
    Properties combined = source->CopyPropertiesAtIndex(index).value_or(Properties{});
    if (properties) combined = merged(std::move(combined), *properties);
    AddImage(image, &combined);
}

bool ImageDestination::Finalize() {
    if (finalized_ || frames_.empty()) return false;
    finalized_ = true;
    std::vector<uint8_t> bytes;
    if (!format_->encode(frames_, container_, bytes) || bytes.empty()) return false;
    frames_.clear();
    data_->append(bytes.data(), bytes.size());
    if (!path_.empty()) return data_->writeToFile(path_, true);
    return true;
}

} // namespace imageio
