#include "foundation/VXDiskCache.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Clock.h"
#include "os/foundation/Crypto.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/KeyedUnarchiver.h"
#include "os/foundation/Log.h"

#include <unordered_map>

namespace {

constexpr double kAutoTrimInterval = 60;
const char kExtendedDataKey = 0;

// One instance per path, held weakly so a cache nobody uses goes away.
std::mutex& instancesMutex() {
    static std::mutex m;
    return m;
}
std::unordered_map<std::string, ns::Weak<VXDiskCache>>& instances() {
    static auto* map = new std::unordered_map<std::string, ns::Weak<VXDiskCache>>();
    return *map;
}

ns::Ref<ns::Object> referenceObject(const ns::Value& value) {
    if (auto data = value.data()) return data;
    return value.object();
}

int64_t clampToInt64(size_t n) {
    return n > static_cast<size_t>(std::numeric_limits<int64_t>::max()) ? std::numeric_limits<int64_t>::max()
                                                                         : static_cast<int64_t>(n);
}

} // namespace

ns::Ref<VXDiskCache> VXDiskCache::initWithPath(const std::string& path) {
    return initWithPath(path, DefaultInlineThreshold);
}

ns::Ref<VXDiskCache> VXDiskCache::initWithPath(const std::string& path, size_t inlineThreshold) {
    std::lock_guard lock(instancesMutex());
    auto& map = instances();
    if (auto it = map.find(path); it != map.end()) {
        if (auto existing = it->second.lock()) return existing;
    }
    VXKVStorageType type = VXKVStorageType::Mixed;
    if (inlineThreshold == 0) type = VXKVStorageType::File;
    else if (inlineThreshold == std::numeric_limits<size_t>::max()) type = VXKVStorageType::SQLite;
    auto storage = VXKVStorage::initWithPath(path, type);
    if (!storage) return nullptr;
    ns::Ref<VXDiskCache> cache(new VXDiskCache(path, inlineThreshold, std::move(storage)));
    cache->scheduleTrim();
    map[path] = cache;
    return cache;
}

VXDiskCache::VXDiskCache(std::string path, size_t inlineThreshold, ns::Ref<VXKVStorage> storage)
    : path_(std::move(path)), inlineThreshold_(inlineThreshold), storage_(std::move(storage)) {}

VXDiskCache::~VXDiskCache() {
    std::lock_guard lock(instancesMutex());
    auto& map = instances();
    // Only our own entry: a new instance for the path may already have replaced it.
    if (auto it = map.find(path_); it != map.end() && it->second.expired()) map.erase(it);
}

VXDiskCache::ArchiveBlock VXDiskCache::customArchiveBlock() const {
    std::lock_guard lock(lock_);
    return archive_;
}
void VXDiskCache::setCustomArchiveBlock(ArchiveBlock block) {
    std::lock_guard lock(lock_);
    archive_ = std::move(block);
}
VXDiskCache::UnarchiveBlock VXDiskCache::customUnarchiveBlock() const {
    std::lock_guard lock(lock_);
    return unarchive_;
}
void VXDiskCache::setCustomUnarchiveBlock(UnarchiveBlock block) {
    std::lock_guard lock(lock_);
    unarchive_ = std::move(block);
}

// --- Items ---

bool VXDiskCache::containsObjectForKey(Key key) {
    if (!key) return false;
    std::lock_guard lock(lock_);
    return storage_->itemExists(*key);
}

ns::Value VXDiskCache::objectForKey(Key key) {
    if (!key) return {};
    std::optional<VXKVStorageItem> item;
    UnarchiveBlock unarchive;
    {
        std::lock_guard lock(lock_);
        item = storage_->getItem(*key);
        unarchive = unarchive_;
    }
    if (!item || !item->value) return {};
    ns::Value object = unarchive ? unarchive(item->value) : ns::KeyedUnarchiver::unarchiveObject(*item->value);
    if (!object.isNil() && item->extendedData) setExtendedData(item->extendedData, object);
    return object;
}

void VXDiskCache::setObject(const ns::Value& object, Key key) {
    if (!key) return;
    if (object.isNil()) {
        removeObjectForKey(key);
        return;
    }
    ns::DataRef extendedData = getExtendedDataFromObject(object);
    ArchiveBlock archive = customArchiveBlock();
    ns::DataRef value = archive ? archive(object) : ns::KeyedArchiver::archivedData(object);
    if (!value) return;
    std::optional<std::string> filename;
    if (storage_->type() != VXKVStorageType::SQLite && value->length() > inlineThreshold_) filename = ns::md5Hex(*key);
    std::lock_guard lock(lock_);
    storage_->saveItem(*key, value, filename, extendedData);
}

void VXDiskCache::removeObjectForKey(Key key) {
    if (!key) return;
    std::lock_guard lock(lock_);
    storage_->removeItem(*key);
}

int64_t VXDiskCache::totalCount() {
    std::lock_guard lock(lock_);
    return storage_->itemsCount();
}

int64_t VXDiskCache::totalCost() {
    std::lock_guard lock(lock_);
    return storage_->itemsSize();
}

// --- Extended data ---

ns::DataRef VXDiskCache::getExtendedDataFromObject(const ns::Value& object) {
    auto target = referenceObject(object);
    return target ? target->associated(&kExtendedDataKey).data() : nullptr;
}

void VXDiskCache::setExtendedData(const ns::DataRef& extendedData, const ns::Value& object) {
    if (auto target = referenceObject(object)) target->setAssociated(&kExtendedDataKey, ns::Value(extendedData));
}

// --- Trimming ---

void VXDiskCache::scheduleTrim() {
    ns::Weak<VXDiskCache> weak = ref<VXDiskCache>();
    dispatch::after(kAutoTrimInterval, dispatch::Queue::global(dispatch::Priority::Background), [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->trimInBackground();
        self->scheduleTrim();
    });
}

void VXDiskCache::trimInBackground() {
    std::lock_guard lock(lock_);
    // Cost.
    size_t costLimit = costLimit_;
    if (costLimit != std::numeric_limits<size_t>::max()) storage_->removeItemsToFitSize(clampToInt64(costLimit));
    // Count.
    size_t countLimit = countLimit_;
    if (countLimit != std::numeric_limits<size_t>::max()) storage_->removeItemsToFitCount(clampToInt64(countLimit));
    // Age: items last used longer ago than the limit.
    double ageLimit = ageLimit_;
    if (ageLimit <= 0) {
        storage_->removeAllItems();
    } else {
        double now = ns::Clock::wallNow();
        if (now > ageLimit) storage_->removeItemsEarlierThanTime(static_cast<int64_t>(now - ageLimit));
    }
    // Free disk space: shrink the cache by what is missing from the floor.
    size_t floor = freeDiskSpaceLimit_;
    if (floor == 0) return;
    int64_t total = storage_->itemsSize();
    auto free = ns::FileManager::defaultManager().freeSpace(path_);
    if (total <= 0 || !free) return;
    int64_t missing = clampToInt64(floor) - static_cast<int64_t>(std::min<uint64_t>(*free, std::numeric_limits<int64_t>::max()));
    if (missing <= 0) return;
    storage_->removeItemsToFitSize(std::max<int64_t>(0, total - missing));
}
