#include "os/graphics/DataProvider.h"

namespace cg {

DataProvider::~DataProvider() {
    if (release_) release_(info_, bytes_, size_);
}

DataProviderRef DataProvider::CreateWithData(void* info, const void* data, size_t size, ReleaseFunction release) {
    if (!data && size > 0) return nullptr;
    auto p = ns::make<DataProvider>();
    p->bytes_ = static_cast<const uint8_t*>(data);
    p->size_ = size;
    p->info_ = info;
    p->release_ = release;
    return p;
}

DataProviderRef DataProvider::CreateWithCFData(const ns::DataRef& data) {
    if (!data) return nullptr;
    auto p = ns::make<DataProvider>();
    p->data_ = data;
    p->bytes_ = data->bytes();
    p->size_ = data->length();
    return p;
}

DataProviderRef DataProvider::CreateWithCopy(const void* data, size_t size) {
    if (!data && size > 0) return nullptr;
    return CreateWithCFData(ns::Data::make(data, size));
}

ns::DataRef DataProvider::CopyData() const { return ns::Data::make(bytes_, size_); }

} // namespace cg
