#pragma once
// Turns image data, which may arrive in pieces, into frames: one for a still image, every frame of
// a GIF or multi-image file, and every frame of an animated PNG, which it composes itself.
// Thread-safe: it may be fed from one thread and read from others.

#include "image/VXImageCodec.h"
#include "image/VXImageFrame.h"
#include "image/VXPNGInfo.h"
#include "os/dispatch/Semaphore.h"
#include "os/foundation/Data.h"
#include "os/graphics/Context.h"
#include "os/imageio/ImageProperties.h"
#include "os/imageio/ImageSource.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class _VXImageDecoderFrame;

class VXImageDecoder : public ns::Object {
public:
    // A decoder that took the data as final; null for null data or data that gives no frame.
    static ns::Ref<VXImageDecoder> decoderWithData(const ns::DataRef& data, double scale);
    // At the main screen's scale.
    static ns::Ref<VXImageDecoder> init();
    // A scale of 0 or less becomes 1.
    static ns::Ref<VXImageDecoder> initWithScale(double scale);

    // Properties (read without the decoder's lock).
    ns::DataRef data() const;  // the data last accepted
    VXImageType type() const { return type_; } // fixed by the first data of 17 bytes or more
    double scale() const { return scale_; }
    size_t frameCount() const { return frameCount_; }
    size_t loopCount() const { return loopCount_; } // 0: endless
    size_t width() const { return width_; }         // canvas, pixels
    size_t height() const { return height_; }
    bool isFinalized() const { return finalized_; }

    // Each call passes all the data so far; false when refused (after final data, shorter data than
    // before, or data of another type than the one fixed).
    bool updateData(const ns::DataRef& data, bool final);
    // A copy of the frame with its image; with decodeForDisplay the image is decoded into the display
    // format and (except for ICO) covers the whole canvas. Null out of range or when it cannot be made.
    ns::Ref<VXImageFrame> frameAtIndex(size_t index, bool decodeForDisplay);
    // Seconds; 0 out of range.
    double frameDurationAtIndex(size_t index) const;
    // The system source's dictionaries; none without one (always for an animated PNG) or out of range.
    std::optional<imageio::Properties> framePropertiesAtIndex(size_t index);
    std::optional<imageio::Properties> imageProperties();

    explicit VXImageDecoder(double scale);
    ~VXImageDecoder() override;

private:
    using FrameList = std::vector<ns::Ref<_VXImageDecoderFrame>>;

    void updateSource();
    void updateSourceWebP();
    void updateSourceImageIO();
    void updateSourceAPNG();
    void setFrames(FrameList frames);

    ns::Ref<VXImageFrame> frameAtIndexLocked(size_t index, bool decodeForDisplay);
    cg::ImageRef newUnblendedImageAtIndex(size_t index, bool extendToCanvas, bool* decoded);
    cg::ImageRef newImageFromAPNGFrame(const _VXImageDecoderFrame& frame, size_t index);
    cg::ImageRef newBlendedImageWithFrame(const _VXImageDecoderFrame& frame);
    void blendFrameOntoCanvas(const _VXImageDecoderFrame& frame);
    static cg::Rect frameRect(const _VXImageDecoderFrame& frame);

    std::recursive_mutex lock_;
    mutable std::mutex dataLock_; // only keeps the data reference whole for readers
    ns::DataRef data_;
    std::atomic<VXImageType> type_{VXImageTypeUnknown};
    const double scale_;
    std::atomic<size_t> frameCount_{0}, loopCount_{0}, width_{0}, height_{0};
    std::atomic<bool> finalized_{false};

    bool typeFixed_ = false;
    imageio::ImageSourceRef source_;
    std::unique_ptr<VXPNGInfo> apngInfo_;
    ui::ImageOrientation orientation_ = ui::ImageOrientation::Up;
    dispatch::Semaphore framesLock_{1};
    FrameList frames_;
    bool needBlend_ = false;
    std::optional<size_t> blendFrameIndex_; // the frame last composed on the canvas
    cg::ContextRef blendCanvas_;
};
