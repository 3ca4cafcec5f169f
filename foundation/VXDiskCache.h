#pragma once
// Disk cache on a VXKVStorage folder: values up to the inline threshold live in the manifest,
// longer ones in files named by the MD5 of the key. Count, cost, age and free-disk limits are
// enforced by a trim every 60 s. Reads and writes are synchronous under the cache's lock.
// Thread-safe; one instance per path.

#include "foundation/VXKVStorage.h"
#include "os/foundation/Value.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

class VXDiskCache : public ns::Object {
public:
    using Key = std::optional<std::string_view>; // nullopt is the nil key
    using ArchiveBlock = std::function<ns::DataRef(const ns::Value& object)>;
    using UnarchiveBlock = std::function<ns::Value(const ns::DataRef& data)>;

    static constexpr size_t DefaultInlineThreshold = 20480;

    // The existing instance for the path, or a new one; null when the storage cannot be opened.
    static ns::Ref<VXDiskCache> initWithPath(const std::string& path);
    // Threshold 0 keeps every value in a file, the largest size_t every value inline.
    static ns::Ref<VXDiskCache> initWithPath(const std::string& path, size_t inlineThreshold);
    ~VXDiskCache() override;

    const std::string& path() const { return path_; }
    size_t inlineThreshold() const { return inlineThreshold_; }

    // Without them objects are stored by keyed archiving.
    ArchiveBlock customArchiveBlock() const;
    void setCustomArchiveBlock(ArchiveBlock block);
    UnarchiveBlock customUnarchiveBlock() const;
    void setCustomUnarchiveBlock(UnarchiveBlock block);

    // Unlimited by default; the free-disk-space floor is 0 (bytes).
    size_t countLimit() const { return countLimit_; }
    void setCountLimit(size_t limit) { countLimit_ = limit; }
    size_t costLimit() const { return costLimit_; }
    void setCostLimit(size_t bytes) { costLimit_ = bytes; }
    double ageLimit() const { return ageLimit_; }
    void setAgeLimit(double seconds) { ageLimit_ = seconds; }
    size_t freeDiskSpaceLimit() const { return freeDiskSpaceLimit_; }
    void setFreeDiskSpaceLimit(size_t bytes) { freeDiskSpaceLimit_ = bytes; }

    // NO for nil.
    bool containsObjectForKey(Key key);
    // The stored object with its extended data attached again; nil for a nil key, a miss or
    // a value that cannot be unarchived.
    ns::Value objectForKey(Key key);
    // Stores the object and its extended data; a nil object removes the key.
    void setObject(const ns::Value& object, Key key);
    void removeObjectForKey(Key key);

    // -1 when the storage cannot tell.
    int64_t totalCount();
    int64_t totalCost(); // bytes of the stored values

    // Extended data rides on the object as an associated value (data and other reference objects only).
    static ns::DataRef getExtendedDataFromObject(const ns::Value& object);
    static void setExtendedData(const ns::DataRef& extendedData, const ns::Value& object);

private:
    VXDiskCache(std::string path, size_t inlineThreshold, ns::Ref<VXKVStorage> storage);
    void scheduleTrim();
    void trimInBackground();

    std::string path_;
    size_t inlineThreshold_;
    mutable std::mutex lock_;
    ns::Ref<VXKVStorage> storage_;
    ArchiveBlock archive_;
    UnarchiveBlock unarchive_;
    std::atomic<size_t> countLimit_{std::numeric_limits<size_t>::max()};
    std::atomic<size_t> costLimit_{std::numeric_limits<size_t>::max()};
    std::atomic<double> ageLimit_{std::numeric_limits<double>::max()};
    std::atomic<size_t> freeDiskSpaceLimit_{0};
};
