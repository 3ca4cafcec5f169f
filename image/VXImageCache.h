#pragma once
// The web image pipeline's two-level cache: decoded images in memory, encoded bytes on disk (with
// the image's scale kept beside them). Every call may choose its levels. Thread-safe.

#include "foundation/VXDiskCache.h"
#include "foundation/VXMemoryCache.h"
#include "os/foundation/Data.h"
#include "os/uikit/Image.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// The levels a call works on.
enum VXImageCacheType : unsigned {
    VXImageCacheTypeNone = 0,
    VXImageCacheTypeMemory = 1 << 0,
    VXImageCacheTypeDisk = 1 << 1,
    VXImageCacheTypeAll = VXImageCacheTypeMemory | VXImageCacheTypeDisk,
};

class VXImageCache : public ns::Object {
public:
    using Key = std::optional<std::string_view>; // nullopt is the nil key
    using ImageBlock = std::function<void(const ui::ImageRef& image, VXImageCacheType type)>;
    using DataBlock = std::function<void(const ns::DataRef& data)>;

    // The process-wide cache in <caches>/com.tandrel.VXkit/images (a reset hook drops it).
    static ns::Ref<VXImageCache> sharedCache();
    // Not allowed: raises "VXImageCache init error".
    static ns::Ref<VXImageCache> init();
    // Null when either level cannot be created.
    static ns::Ref<VXImageCache> initWithPath(const std::string& path);

    std::optional<std::string> name() const;
    void setName(std::optional<std::string> name);
    const ns::Ref<VXMemoryCache>& memoryCache() const { return memoryCache_; }
    const ns::Ref<VXDiskCache>& diskCache() const { return diskCache_; }
    // YES: data read back becomes an animated VXImage; NO: its first frame as a plain image.
    bool allowAnimatedImage() const { return allowAnimatedImage_; }
    void setAllowAnimatedImage(bool allow) { allowAnimatedImage_ = allow; }
    // YES: images read back are decoded into display-ready bitmaps.
    bool decodeForDisplay() const { return decodeForDisplay_; }
    void setDecodeForDisplay(bool decode) { decodeForDisplay_ = decode; }

    // Bytes of the image's bitmap; 1 without a bitmap or for an empty one.
    size_t imageCost(const ui::ImageRef& image) const;

    // Memory: decoded images go in at once, others after a decode off this thread. Disk: the
    // bytes given are written at once; an image alone is encoded off this thread first.
    void setImage(const ui::ImageRef& image, Key key);
    void setImage(const ui::ImageRef& image, const ns::DataRef& imageData, Key key, VXImageCacheType type);

    void removeImageForKey(Key key, VXImageCacheType type = VXImageCacheTypeAll);
    bool containsImageForKey(Key key, VXImageCacheType type = VXImageCacheTypeAll);
    // Synchronous. A disk hit read with the memory bit also enters the memory level.
    ui::ImageRef getImageForKey(Key key, VXImageCacheType type = VXImageCacheTypeAll);
    // Asynchronous; the block runs on the main queue with the image and the level that had it
    // ((nil, none) for a miss). A disk hit always enters the memory level (cost 0).
    void getImageForKey(Key key, VXImageCacheType type, ImageBlock block);
    ns::DataRef getImageDataForKey(Key key);
    // The block runs on the main queue.
    void getImageDataForKey(Key key, DataBlock block);

    // Reads stored data back into an image at the scale kept beside it (else the screen's).
    ui::ImageRef imageFromData(const ns::DataRef& data) const;

    VXImageCache() = default; // use initWithPath

private:
    // A disk hit, decoded; kept in the memory cache too when asked.
    ui::ImageRef diskImageForKey(std::string_view key, bool keepInMemory);
    mutable std::mutex nameLock_;
    std::optional<std::string> name_;
    ns::Ref<VXMemoryCache> memoryCache_;
    ns::Ref<VXDiskCache> diskCache_;
    std::atomic<bool> allowAnimatedImage_{true};
    std::atomic<bool> decodeForDisplay_{true};
};
