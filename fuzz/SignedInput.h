#pragma once
// Image fuzz targets: the input's first byte picks a file signature to put in front of the rest,
// so mutations reach each decoder instead of dying in format detection.

#include <cstddef>
#include <cstdint>
#include <vector>

inline std::vector<uint8_t> signedInput(const std::vector<std::vector<uint8_t>>& signatures, const uint8_t* data,
                                        size_t size) {
    std::vector<uint8_t> bytes;
    const size_t choice = data[0] % (signatures.size() + 1);
    if (choice > 0) bytes = signatures[choice - 1];
    bytes.insert(bytes.end(), data + 1, data + size);
    return bytes;
}
