#pragma once
// NSData / NSMutableData: bytes with identity. A Ref<Data> passed around is the very same object.

#include "os/foundation/Object.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ns {

class Data;
class MutableData;
using DataRef = Ref<Data>;
using MutableDataRef = Ref<MutableData>;

struct Range {
    size_t location = 0;
    size_t length = 0;
    static constexpr size_t NotFound = static_cast<size_t>(-1);
    bool operator==(const Range&) const = default;
};

class Data : public Object {
public:
    Data() = default;
    explicit Data(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    static DataRef make(std::vector<uint8_t> bytes = {});
    static DataRef make(const void* bytes, size_t length);
    static DataRef fromString(std::string_view text); // UTF-8 bytes of the text
    // Whole file, or null when it cannot be read.
    static DataRef fromFile(const std::string& path);

    size_t length() const { return bytes_.size(); }
    const uint8_t* bytes() const { return bytes_.data(); }
    std::span<const uint8_t> span() const { return {bytes_.data(), bytes_.size()}; }
    std::string_view view() const { return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()}; }
    std::string toString() const { return std::string(view()); }
    DataRef subdata(Range range) const;

    // First occurrence of needle inside searchRange (clamped to the data); location NotFound when absent.
    Range rangeOf(std::span<const uint8_t> needle, Range searchRange) const;
    Range rangeOf(std::span<const uint8_t> needle) const { return rangeOf(needle, {0, length()}); }

    // Writes the bytes; atomically means a temporary file in the same folder, then rename.
    bool writeToFile(const std::string& path, bool atomically) const;

    bool isEqual(const Data& other) const { return bytes_ == other.bytes_; }
    std::string description() const override; // "<0a1b2c3d ...>"

    enum Base64Options : unsigned { Base64None = 0, Base64LineLength64 = 1, Base64EndLineWithCR = 2, Base64EndLineWithLF = 4 };
    // Lines of 64 characters; with both CR and LF (or neither given) lines end in CR LF.
    std::string base64Encoded(unsigned options = Base64None) const;
    // Strict: any character outside the alphabet (line breaks included) fails.
    static DataRef fromBase64(std::string_view text);

protected:
    std::vector<uint8_t> bytes_;
};

class MutableData : public Data {
public:
    using Data::Data;
    static MutableDataRef make(size_t capacity = 0);
    static MutableDataRef copyOf(const Data& data);
    void append(const void* bytes, size_t length);
    void append(const Data& data) { append(data.bytes(), data.length()); }
    void setLength(size_t length);
    uint8_t* mutableBytes() { return bytes_.data(); }
    void replaceBytes(Range range, const void* bytes, size_t length);
};

} // namespace ns
