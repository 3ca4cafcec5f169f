#include "os/uikit/Device.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

namespace ui {

namespace {
std::vector<unsigned long> versionParts(const std::string& v) {
    std::vector<unsigned long> parts;
    size_t i = 0;
    while (i <= v.size()) {
        size_t dot = v.find('.', i);
        if (dot == std::string::npos) dot = v.size();
        parts.push_back(std::strtoul(v.substr(i, dot - i).c_str(), nullptr, 10));
        i = dot + 1;
    }
    return parts;
}
} // namespace

int CompareVersions(const std::string& a, const std::string& b) {
    auto pa = versionParts(a), pb = versionParts(b);
    size_t n = std::max(pa.size(), pb.size());
    pa.resize(n, 0);
    pb.resize(n, 0);
    for (size_t i = 0; i < n; ++i)
        if (pa[i] != pb[i]) return pa[i] < pb[i] ? -1 : 1;
    return 0;
}

Device& Device::currentDevice() {
    static Device device;
    return device;
}

std::string Device::systemVersion() const {
    std::lock_guard lock(mutex_);
    return systemVersion_;
}

void Device::setSystemVersion(std::string version) {
    std::lock_guard lock(mutex_);
    systemVersion_ = std::move(version);
}

int Device::compareSystemVersion(const std::string& other) const { return CompareVersions(systemVersion(), other); }

unsigned Device::activeProcessorCount() const {
    std::lock_guard lock(mutex_);
    if (processors_) return *processors_;
    unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

void Device::setActiveProcessorCount(unsigned count) {
    std::lock_guard lock(mutex_);
    processors_ = count;
}

uint64_t Device::physicalMemory() const {
    std::lock_guard lock(mutex_);
    if (physicalMemory_) return *physicalMemory_;
    long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? uint64_t(pages) * uint64_t(size) : 0;
}

void Device::setPhysicalMemory(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    physicalMemory_ = bytes;
}

int64_t Device::freeMemory() const {
    std::lock_guard lock(mutex_);
    if (freeMemory_) return *freeMemory_;
    long pages = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? int64_t(pages) * int64_t(size) : -1;
}

void Device::setFreeMemory(int64_t bytes) {
    std::lock_guard lock(mutex_);
    freeMemory_ = bytes;
}

bool Device::isAppExtension() const {
    std::lock_guard lock(mutex_);
    return extension_;
}

void Device::setAppExtension(bool extension) {
    std::lock_guard lock(mutex_);
    extension_ = extension;
}

void Device::reset() {
    std::lock_guard lock(mutex_);
    systemVersion_ = "12.4";
    processors_.reset();
    physicalMemory_.reset();
    freeMemory_.reset();
    extension_ = false;
}

} // namespace ui
