#pragma once
// Facts about the device that the kits read: system version, processors, memory, and whether the
// code runs in an app or in an extension. Each is settable at run time; reset() restores them.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace ui {

class Device {
public:
    static Device& currentDevice();

    std::string systemVersion() const; // "12.4" by default
    void setSystemVersion(std::string version);
    // Numeric comparison of dotted versions, missing parts count as 0 ("8" == "8.0" < "8.0.1" < "10");
    // answers -1, 0 or 1 for the system version against other.
    int compareSystemVersion(const std::string& other) const;
    bool systemVersionAtLeast(const std::string& version) const { return compareSystemVersion(version) >= 0; }

    // Processors available to the process (the host's by default).
    unsigned activeProcessorCount() const;
    void setActiveProcessorCount(unsigned count);
    // Bytes of memory (the host's by default).
    uint64_t physicalMemory() const;
    void setPhysicalMemory(uint64_t bytes);
    // Free bytes now (the host's available pages by default); -1 when it cannot be read.
    int64_t freeMemory() const;
    void setFreeMemory(int64_t bytes);

    // True when running as an app extension rather than an app (false by default).
    bool isAppExtension() const;
    void setAppExtension(bool extension);

    void reset();

private:
    Device() = default;
    mutable std::mutex mutex_;
    std::string systemVersion_ = "12.4";
    std::optional<unsigned> processors_;
    std::optional<uint64_t> physicalMemory_;
    std::optional<int64_t> freeMemory_;
    bool extension_ = false;
};

// Numeric comparison of two dotted version strings: -1, 0 or 1.
int CompareVersions(const std::string& a, const std::string& b);

} // namespace ui
