#pragma once
// NSURLCache and NSCachedURLResponse: responses kept for reuse. The stand-in keeps them in memory,
// within the memory capacity (least recently used go first); the disk capacity and path are
// recorded, nothing is written there. Loads never answer from it and never revalidate.

#include "os/foundation/Data.h"
#include "os/foundation/Value.h"

#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

namespace ns {

class URLRequest;
class URLResponse;

enum class URLCacheStoragePolicy { Allowed = 0, AllowedInMemoryOnly = 1, NotAllowed = 2 };

class CachedURLResponse : public Object {
public:
    CachedURLResponse(Ref<URLResponse> response, DataRef data, Dictionary userInfo = {},
                      URLCacheStoragePolicy storagePolicy = URLCacheStoragePolicy::Allowed);

    const Ref<URLResponse>& response() const { return response_; }
    const DataRef& data() const { return data_; }
    const Dictionary& userInfo() const { return userInfo_; }
    URLCacheStoragePolicy storagePolicy() const { return storagePolicy_; }

private:
    Ref<URLResponse> response_;
    DataRef data_;
    Dictionary userInfo_;
    URLCacheStoragePolicy storagePolicy_;
};

class URLCache : public Object {
public:
    // A relative disk path lies under Library/Caches.
    static Ref<URLCache> create(uint64_t memoryCapacity, uint64_t diskCapacity, const std::string& diskPath);
    // The process-wide cache: 512 000 bytes of memory, 10 000 000 of disk, under Library/Caches.
    static Ref<URLCache> shared();
    static void setShared(Ref<URLCache> cache);

    uint64_t memoryCapacity() const;
    // Shrinking evicts at once.
    void setMemoryCapacity(uint64_t bytes);
    uint64_t diskCapacity() const;
    void setDiskCapacity(uint64_t bytes);
    const std::string& diskPath() const { return diskPath_; }
    uint64_t currentMemoryUsage() const;
    uint64_t currentDiskUsage() const { return 0; }

    // Entries are keyed by the request's URL; only GET requests are kept.
    Ref<CachedURLResponse> cachedResponseForRequest(const URLRequest& request);
    void storeCachedResponse(const Ref<CachedURLResponse>& cached, const URLRequest& request);
    void removeCachedResponseForRequest(const URLRequest& request);
    void removeAllCachedResponses();

    URLCache(uint64_t memoryCapacity, uint64_t diskCapacity, std::string diskPath);

private:
    void evictLocked();

    mutable std::mutex mutex_;
    uint64_t memoryCapacity_;
    uint64_t diskCapacity_;
    std::string diskPath_;
    uint64_t usage_ = 0;
    std::list<std::pair<std::string, Ref<CachedURLResponse>>> entries_; // most recent first
    std::unordered_map<std::string, decltype(entries_)::iterator> index_;
};

} // namespace ns
