#pragma once
// Writes images into a file format: JPEG (with quality), PNG, GIF (loop count, per-frame delays),
// TIFF, BMP, ICO, ICNS and JPEG 2000. The bytes go to a growing data object or a file.

#include "os/foundation/Data.h"
#include "os/foundation/URL.h"
#include "os/graphics/Image.h"
#include "os/imageio/ImageProperties.h"
#include "os/imageio/ImageSource.h"

#include <string>
#include <vector>

namespace imageio {

namespace detail {
struct Format;
struct EncodeFrame;
} // namespace detail

class ImageDestination;
using ImageDestinationRef = ns::Ref<ImageDestination>;

class ImageDestination : public ns::Object {
public:
    // None for null data, a type no writer knows, or a count of 0. Finalize appends to the data.
    static ImageDestinationRef CreateWithData(const ns::MutableDataRef& data, const std::string& type, size_t count,
                                              const Properties* options = nullptr);
    // Finalize writes the file at the file URL's path.
    static ImageDestinationRef CreateWithURL(const ns::URL& url, const std::string& type, size_t count,
                                             const Properties* options = nullptr);

    // Container properties: {GIF} LoopCount; a lossy compression quality for every image.
    void SetProperties(const Properties& properties);
    // Frame properties: kCGImageDestinationLossyCompressionQuality (0..1), {GIF} DelayTime (seconds).
    // Images past the declared count, and null images, are ignored.
    void AddImage(const cg::ImageRef& image, const Properties* properties = nullptr);
    // Image index of the source, with the source's properties under the given ones.
    void AddImageFromSource(const ImageSourceRef& source, size_t index, const Properties* properties = nullptr);
    // Encodes everything added; false when nothing was added, the writer refuses (an ICNS image not of
    // an icon size, an ICO image over 256 pixels) or it was finalized before. Fewer images than declared is fine.
    bool Finalize();

    ImageDestination(); // use the factories
    ~ImageDestination() override;

private:
    ns::MutableDataRef data_;
    std::string path_;
    const detail::Format* format_ = nullptr;
    size_t capacity_ = 0;
    Properties container_;
    std::vector<detail::EncodeFrame> frames_;
    bool finalized_ = false;
};

} // namespace imageio
