#pragma once
// Read-only bytes behind an image: a Data object, a copy, or caller memory with a release function.

#include "os/foundation/Data.h"

#include <cstddef>
#include <cstdint>

namespace cg {

class DataProvider;
using DataProviderRef = ns::Ref<DataProvider>;

class DataProvider : public ns::Object {
public:
    using ReleaseFunction = void (*)(void* info, const void* data, size_t size);

    // Adopts caller memory; release (may be null) runs once when the provider goes.
    static DataProviderRef CreateWithData(void* info, const void* data, size_t size, ReleaseFunction release);
    // Keeps the very same Data object (no copy); null data gives none.
    static DataProviderRef CreateWithCFData(const ns::DataRef& data);
    static DataProviderRef CreateWithCopy(const void* data, size_t size);

    // A new Data object holding a copy of the bytes.
    ns::DataRef CopyData() const;
    const uint8_t* bytes() const { return bytes_; }
    size_t size() const { return size_; }

    DataProvider() = default;
    ~DataProvider() override;

private:
    const uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
    ns::DataRef data_;
    void* info_ = nullptr;
    ReleaseFunction release_ = nullptr;
};

} // namespace cg
