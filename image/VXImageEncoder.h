#pragma once
// Writes one image or a sequence of frames into data or a file of a chosen type. The system image
// destination serves every type it knows; an animated PNG is assembled here from single-frame PNGs.

#include "image/VXImageCodec.h"
#include "image/VXImageDecoder.h"
#include "os/foundation/Data.h"
#include "os/foundation/URL.h"
#include "os/uikit/Image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A frame delay in seconds as an APNG fraction, both terms at most 255: the closest continued-fraction
// convergent; 255/1 from 255 s up, 1/255 at 1/255 s and below.
void VXImageDelayToFraction(double delay, uint16_t* numerator, uint16_t* denominator);

class VXImageEncoder : public ns::Object {
public:
    // Always throws ns::Exception "VXImageEncoder init error": an encoder needs a type.
    static ns::Ref<VXImageEncoder> init();
    // Null (after a log line) for a type outside 1..9 and for WebP.
    static ns::Ref<VXImageEncoder> initWithType(VXImageType type);

    VXImageType type() const { return type_; }
    size_t loopCount() const { return loopCount_; } // GIF loop count, APNG num_plays; 0 = endless
    void setLoopCount(size_t loopCount) { loopCount_ = loopCount; }
    bool lossless() const { return lossless_; }     // not consulted by the encoding paths
    void setLossless(bool lossless) { lossless_ = lossless; }
    double quality() const { return quality_; }
    void setQuality(double quality); // clamped to 0..1, NaN kept

    // Frames; a negative duration (seconds) counts as 0. Images without a bitmap, empty data and
    // empty paths are ignored.
    void addImage(const ui::ImageRef& image, double duration);
    void addImageWithData(const ns::DataRef& data, double duration);
    void addImageWithFile(const std::string& path, double duration);

    // Null (or false) without frames, for WebP or when writing fails.
    ns::DataRef encode();
    bool encodeToFile(const std::string& path);

    static ns::DataRef encodeImage(const ui::ImageRef& image, VXImageType type, double quality);
    // Every frame of the decoder with its duration; null when it has no frame.
    static ns::DataRef encodeImageWithDecoder(const ns::Ref<VXImageDecoder>& decoder, VXImageType type,
                                              double quality);

    explicit VXImageEncoder(VXImageType type); // use initWithType

private:
    struct Frame {
        ui::ImageRef image;
        ns::Ref<ns::URL> url;
        ns::DataRef data;
        double duration = 0;
    };

    bool systemPathServes() const;
    bool encodeWithImageIO(const ns::MutableDataRef& data, const std::string& path);
    ns::DataRef encodeAPNG();
    cg::ImageRef newBitmapForFrame(const Frame& frame) const;

    VXImageType type_;
    size_t loopCount_ = 0;
    bool lossless_;
    double quality_;
    std::vector<Frame> frames_;
};
