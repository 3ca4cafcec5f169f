#pragma once
// Reads an image file from bytes that may still be arriving: its type, image count, property
// dictionaries and images (partial images while the bytes are incomplete).

#include "os/foundation/Data.h"
#include "os/foundation/URL.h"
#include "os/graphics/DataProvider.h"
#include "os/graphics/Image.h"
#include "os/imageio/ImageProperties.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace imageio {

namespace detail {
struct Format;
class Decoder;
} // namespace detail

class ImageSource;
using ImageSourceRef = ns::Ref<ImageSource>;

class ImageSource : public ns::Object {
public:
    // A complete source on the bytes; none for null data. Bytes of no known format still give a
    // source, with status UnknownType and no images.
    static ImageSourceRef CreateWithData(const ns::DataRef& data, const Properties* options = nullptr);
    static ImageSourceRef CreateWithDataProvider(const cg::DataProviderRef& provider, const Properties* options = nullptr);
    // Reads the file of a file URL; none when it cannot be read.
    static ImageSourceRef CreateWithURL(const ns::URL& url, const Properties* options = nullptr);
    // An empty source fed by UpdateData.
    static ImageSourceRef CreateIncremental(const Properties* options = nullptr);

    // Each call passes all the bytes so far, not a piece; final: no more will come.
    void UpdateData(const ns::DataRef& allDataSoFar, bool final);

    // Type identifier ("public.png", "com.compuserve.gif", ...); empty while unknown.
    std::string GetType() const;
    Status GetStatus() const;
    // Images whose headers have arrived. An animated PNG counts 1: only its default image is read.
    size_t GetCount() const;

    // Container properties (FileSize, {GIF} LoopCount ...); none while the type is unknown.
    std::optional<Properties> CopyProperties(const Properties* options = nullptr) const;
    // Properties of one image, available once its header has arrived; none out of range.
    std::optional<Properties> CopyPropertiesAtIndex(size_t index, const Properties* options = nullptr) const;
    // The image as far as the bytes go, pixels not yet received transparent (a GIF frame is the
    // whole canvas with the earlier frames and their disposal applied); none when nothing is decodable.
    // With SourceShouldCacheImmediately, the pixels come in the display order (see that key).
    cg::ImageRef CreateImageAtIndex(size_t index, const Properties* options = nullptr) const;

    ImageSource(); // use the factories
    ~ImageSource() override;

private:
    void parseLocked();

    mutable std::mutex mutex_;
    ns::DataRef data_;
    bool final_ = false;
    const detail::Format* format_ = nullptr;
    std::unique_ptr<detail::Decoder> decoder_;
    mutable Status status_ = Status::ReadingHeader;
    Properties container_;
    std::vector<Properties> frames_;
};

} // namespace imageio
