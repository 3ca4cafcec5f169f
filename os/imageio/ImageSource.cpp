#include "os/imageio/ImageSource.h"

#include "os/graphics/PixelFormat.h"
#include "os/imageio/Codec.h"

namespace imageio {
namespace {

// R,G,B,A pixels put in the display order in their own buffer: an image wanted for display then
// needs neither a second buffer nor a second conversion by its user.
void toDisplayOrder(detail::Bitmap& bitmap) {
    const bool alpha = bitmap.alphaInfo != detail::kAlphaNoneSkipLast;
    const auto from = cg::DescribeFormat(8, 32, bitmap.alphaInfo);
    const auto to = cg::DescribeFormat(8, 32, alpha ? cg::kBitmapDisplayAlpha : cg::kBitmapDisplayOpaque);
    if (!from || !to) return;
    cg::ConvertPixels(bitmap.pixels.data(), bitmap.bytesPerRow(), *from, bitmap.pixels.data(), bitmap.bytesPerRow(), *to,
                      bitmap.width, bitmap.height);
    bitmap.alphaInfo = alpha ? detail::kAlphaPremultipliedFirst : detail::kAlphaNoneSkipFirst;
    bitmap.byteOrder = detail::kByteOrder32Little;
}

} // namespace

ImageSource::ImageSource() = default;
ImageSource::~ImageSource() = default;

ImageSourceRef ImageSource::CreateWithData(const ns::DataRef& data, const Properties* options) {
    if (!data) return nullptr;
    auto source = CreateIncremental(options);
    source->UpdateData(data, true);
    return source;
}

ImageSourceRef ImageSource::CreateWithDataProvider(const cg::DataProviderRef& provider, const Properties* options) {
    if (!provider) return nullptr;
    return CreateWithData(provider->CopyData(), options);
}

ImageSourceRef ImageSource::CreateWithURL(const ns::URL& url, const Properties* options) {
    if (!url.isFileURL()) return nullptr;
    return CreateWithData(ns::Data::fromFile(url.path()), options);
}

ImageSourceRef ImageSource::CreateIncremental(const Properties*) { return ns::make<ImageSource>(); }

void ImageSource::UpdateData(const ns::DataRef& allDataSoFar, bool final) {
    if (!allDataSoFar) return;
    std::lock_guard lock(mutex_);
    // A mutable buffer may grow under us after this call; keep a snapshot of it instead.
    data_ = ns::as<ns::MutableData>(allDataSoFar) ? ns::Data::make(allDataSoFar->bytes(), allDataSoFar->length())
                                                   : allDataSoFar;
    final_ = final;
    parseLocked();
}

void ImageSource::parseLocked() {
    const detail::Bytes bytes = data_->span();
    const detail::Format* format = nullptr;
    if (bytes.size() >= detail::kSniffLength || final_) format = detail::sniff(bytes);
    if (format != format_) {
        format_ = format;
        decoder_ = format ? format->makeDecoder() : nullptr;
    }
    container_ = {};
    frames_.clear();
    if (!format_) {
        status_ = bytes.size() < detail::kSniffLength && !final_ ? Status::ReadingHeader : Status::UnknownType;
        return;
    }
    detail::Header header = decoder_->parse(bytes, final_);
    status_ = header.status;
    container_ = std::move(header.container);
    container_.set(key::FileSize, bytes.size());
    frames_ = std::move(header.frames);
}

std::string ImageSource::GetType() const {
    std::lock_guard lock(mutex_);
    return format_ ? format_->uti : "";
}

Status ImageSource::GetStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}

size_t ImageSource::GetCount() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

std::optional<Properties> ImageSource::CopyProperties(const Properties*) const {
    std::lock_guard lock(mutex_);
    if (!format_) return std::nullopt;
    return container_;
}

std::optional<Properties> ImageSource::CopyPropertiesAtIndex(size_t index, const Properties*) const {
    std::lock_guard lock(mutex_);
    if (index >= frames_.size()) return std::nullopt;
    return frames_[index];
}

cg::ImageRef ImageSource::CreateImageAtIndex(size_t index, const Properties* options) const {
    std::lock_guard lock(mutex_);
    if (index >= frames_.size()) return nullptr;
    decoder_->preferDisplayOrder = options && (*options)[key::SourceShouldCacheImmediately].boolValue();
    std::optional<detail::Bitmap> bitmap = decoder_->decode(index, data_->span(), final_);
    if (!bitmap) {
        if (final_ && status_ == Status::Complete) status_ = Status::InvalidData;
        return nullptr;
    }
    if (decoder_->preferDisplayOrder && bitmap->byteOrder == 0) toDisplayOrder(*bitmap);
    const size_t bytesPerRow = bitmap->bytesPerRow();
    const uint32_t width = bitmap->width, height = bitmap->height, info = bitmap->alphaInfo | bitmap->byteOrder;
    auto provider = cg::DataProvider::CreateWithCFData(ns::Data::make(std::move(bitmap->pixels)));
    return cg::Image::Create(width, height, 8, 32, bytesPerRow, cg::ColorSpace::CreateDeviceRGB(), info, provider);
}

} // namespace imageio
