#include "image/VXImageCache.h"

#include "image/VXImage.h"
#include "image/VXImageCoder.h"
#include "image/VXImageDecoder.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Error.h"
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Sandbox.h"
#include "os/uikit/Screen.h"

#include <limits>
#include <typeinfo>

namespace {

std::mutex& sharedLock() {
    static std::mutex m;
    return m;
}

ns::Ref<VXImageCache>& sharedSlot() {
    static auto* slot = new ns::Ref<VXImageCache>();
    return *slot;
}

// The scale rides with the data as a keyed archive of a number.
void attachScale(const ns::DataRef& data, double scale) {
    if (!data) return;
    VXDiskCache::setExtendedData(ns::KeyedArchiver::archivedData(ns::Value(scale)), ns::Value(data));
}

// A memory hit is mostly this conversion. The cache holds objects of the two image classes it
// makes itself almost always: comparing the object's own class converts those without the
// general cast's walk through the class tree; any other object takes that walk.
ui::ImageRef imageValue(const ns::Value& value) {
    ns::Ref<ns::Object> object = value.object();
    if (!object) return nullptr;
    const ns::Object& held = *object;
    const std::type_info& type = typeid(held);
    if (type == typeid(VXImage)) return std::static_pointer_cast<VXImage>(std::move(object));
    if (type == typeid(ui::Image)) return std::static_pointer_cast<ui::Image>(std::move(object));
    return std::dynamic_pointer_cast<ui::Image>(std::move(object));
}

} // namespace

ns::Ref<VXImageCache> VXImageCache::sharedCache() {
    std::lock_guard lock(sharedLock());
    static const bool hookAdded = [] {
        ns::ResetRegistry::add("image.VXImageCache.shared", [] {
            std::lock_guard resetLock(sharedLock());
            sharedSlot().reset();
        });
        return true;
    }();
    (void)hookAdded;
    auto& slot = sharedSlot();
    if (!slot) slot = initWithPath(ns::cachesPath() + "/com.tandrel.VXkit/images");
    return slot;
}

ns::Ref<VXImageCache> VXImageCache::init() {
    throw ns::Exception("VXImageCache init error",
                        "VXImageCache must be initialized with a path. Use 'initWithPath:' instead.");
}

ns::Ref<VXImageCache> VXImageCache::initWithPath(const std::string& path) {
    auto memoryCache = VXMemoryCache::make();
    if (!memoryCache) return nullptr;
    memoryCache->setShouldRemoveAllObjectsOnMemoryWarning(true);
    memoryCache->setShouldRemoveAllObjectsWhenEnteringBackground(true);
    memoryCache->setCountLimit(std::numeric_limits<size_t>::max());
    memoryCache->setCostLimit(std::numeric_limits<size_t>::max());
    memoryCache->setAgeLimit(12 * 60 * 60);

    auto diskCache = VXDiskCache::initWithPath(path);
    if (!diskCache) return nullptr;
    // The data objects of this cache are stored and returned as they are.
    diskCache->setCustomArchiveBlock([](const ns::Value& object) { return object.data(); });
    diskCache->setCustomUnarchiveBlock([](const ns::DataRef& data) { return ns::Value(data); });

    auto cache = ns::make<VXImageCache>();
    cache->memoryCache_ = std::move(memoryCache);
    cache->diskCache_ = std::move(diskCache);
    return cache;
}

std::optional<std::string> VXImageCache::name() const {
    std::lock_guard lock(nameLock_);
    return name_;
}

void VXImageCache::setName(std::optional<std::string> name) {
    std::lock_guard lock(nameLock_);
    name_ = std::move(name);
}

size_t VXImageCache::imageCost(const ui::ImageRef& image) const {
    cg::ImageRef bitmap = image ? image->CGImage() : nullptr;
    if (!bitmap) return 1;
    const double bytes = static_cast<double>(bitmap->bytesPerRow()) * static_cast<double>(bitmap->height());
    const size_t cost = static_cast<size_t>(bytes);
    return cost == 0 ? 1 : cost;
}

ui::ImageRef VXImageCache::imageFromData(const ns::DataRef& data) const {
    if (!data || data->length() == 0) return nullptr;
    double scale = 0;
    if (ns::DataRef extended = VXDiskCache::getExtendedDataFromObject(ns::Value(data)))
        scale = ns::KeyedUnarchiver::unarchiveObject(extended).doubleValue();
    if (!(scale > 0)) scale = ui::Screen::mainScreen().scale();

    if (allowAnimatedImage_) {
        ui::ImageRef image = VXImage::imageWithData(data, scale);
        if (image && decodeForDisplay_) image = VXImageCoder::VX_imageByDecoded(image);
        return image;
    }
    auto decoder = VXImageDecoder::decoderWithData(data, scale);
    if (!decoder) return nullptr;
    auto frame = decoder->frameAtIndex(0, decodeForDisplay_);
    return frame ? frame->image : nullptr;
}

void VXImageCache::setImage(const ui::ImageRef& image, Key key) {
    setImage(image, nullptr, key, VXImageCacheTypeAll);
}

void VXImageCache::setImage(const ui::ImageRef& image, const ns::DataRef& imageData, Key key, VXImageCacheType type) {
    if (!key) return;
    if (!image && (!imageData || imageData->length() == 0)) return;
    const std::string keyText(*key); // the blocks below outlive the caller's text
    ns::Weak<VXImageCache> weak = ref<VXImageCache>();

    if (type & VXImageCacheTypeMemory) {
        if (image) {
            if (VXImageCoder::VX_isDecodedForDisplay(image)) {
                memoryCache_->setObject(ns::Value(image), keyText, imageCost(image));
            } else {
                dispatch::async(dispatch::Queue::global(dispatch::Priority::Background), [weak, image, keyText] {
                    auto self = weak.lock();
                    if (!self) return;
                    self->memoryCache_->setObject(ns::Value(VXImageCoder::VX_imageByDecoded(image)), keyText,
                                                  self->imageCost(image));
                });
            }
        } else {
            dispatch::async(dispatch::Queue::global(dispatch::Priority::Background), [weak, imageData, keyText] {
                auto self = weak.lock();
                if (!self) return;
                ui::ImageRef decoded = self->imageFromData(imageData);
                self->memoryCache_->setObject(ns::Value(decoded), keyText, self->imageCost(decoded));
            });
        }
    }

    if (type & VXImageCacheTypeDisk) {
        if (imageData) {
            if (image) attachScale(imageData, image->scale());
            diskCache_->setObject(ns::Value(imageData), keyText);
        } else if (image) {
            dispatch::async(dispatch::Queue::global(dispatch::Priority::Default), [weak, image, keyText] {
                auto self = weak.lock();
                if (!self) return;
                ns::DataRef data = VXImageCoder::VX_imageDataRepresentation(image);
                attachScale(data, image->scale());
                self->diskCache_->setObject(ns::Value(data), keyText);
            });
        }
    }
}

void VXImageCache::removeImageForKey(Key key, VXImageCacheType type) {
    if (!key) return;
    if (type & VXImageCacheTypeMemory) memoryCache_->removeObjectForKey(key);
    if (type & VXImageCacheTypeDisk) diskCache_->removeObjectForKey(key);
}

bool VXImageCache::containsImageForKey(Key key, VXImageCacheType type) {
    if (!key) return false;
    if ((type & VXImageCacheTypeMemory) && memoryCache_->containsObjectForKey(key)) return true;
    if ((type & VXImageCacheTypeDisk) && diskCache_->containsObjectForKey(key)) return true;
    return false;
}

ui::ImageRef VXImageCache::getImageForKey(Key key, VXImageCacheType type) {
    if (!key) return nullptr;
    if (type & VXImageCacheTypeMemory) {
        if (ui::ImageRef image = imageValue(memoryCache_->objectForKey(key))) return image;
    }
    if (type & VXImageCacheTypeDisk) return diskImageForKey(*key, type & VXImageCacheTypeMemory);
    return nullptr;
}

// Out of line: the memory hit above stays a small function.
[[gnu::noinline]] ui::ImageRef VXImageCache::diskImageForKey(std::string_view key, bool keepInMemory) {
    ui::ImageRef image = imageFromData(diskCache_->objectForKey(key).data());
    if (image && keepInMemory) memoryCache_->setObject(ns::Value(image), key, imageCost(image));
    return image;
}

void VXImageCache::getImageForKey(Key key, VXImageCacheType type, ImageBlock block) {
    if (!block) return;
    std::optional<std::string> keyText;
    if (key) keyText = std::string(*key);
    auto self = ref<VXImageCache>();
    dispatch::async(dispatch::Queue::global(dispatch::Priority::Default), [self, keyText, type, block] {
        ui::ImageRef image;
        VXImageCacheType from = VXImageCacheTypeNone;
        if (keyText && (type & VXImageCacheTypeMemory)) {
            image = imageValue(self->memoryCache_->objectForKey(*keyText));
            if (image) from = VXImageCacheTypeMemory;
        }
        if (!image && keyText && (type & VXImageCacheTypeDisk)) {
            image = self->imageFromData(self->diskCache_->objectForKey(*keyText).data());
            if (image) {
                self->memoryCache_->setObject(ns::Value(image), *keyText);
                from = VXImageCacheTypeDisk;
            }
        }
        dispatch::async(dispatch::Queue::main(), [block, image, from] { block(image, from); });
    });
}

ns::DataRef VXImageCache::getImageDataForKey(Key key) { return diskCache_->objectForKey(key).data(); }

void VXImageCache::getImageDataForKey(Key key, DataBlock block) {
    if (!block) return;
    std::optional<std::string> keyText;
    if (key) keyText = std::string(*key);
    auto self = ref<VXImageCache>();
    dispatch::async(dispatch::Queue::global(dispatch::Priority::Default), [self, keyText, block] {
        ns::DataRef data = keyText ? self->diskCache_->objectForKey(*keyText).data() : nullptr;
        dispatch::async(dispatch::Queue::main(), [block, data] { block(data); });
    });
}
