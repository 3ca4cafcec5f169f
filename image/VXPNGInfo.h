#pragma once
// The chunk layout of a PNG and, when it is a valid animated PNG, its frame table: what the decoder
// needs to rebuild any frame as a PNG of its own.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A chunk type as its four bytes read big-endian ("IDAT" = 0x49444154).
constexpr uint32_t VXPNGChunkType(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 | uint32_t(uint8_t(name[2])) << 8 |
           uint32_t(uint8_t(name[3]));
}

struct VXPNGChunk {
    uint32_t offset = 0; // of the chunk's length field from the start of the data
    uint32_t type = 0;
    uint32_t length = 0; // of the chunk's data
    uint32_t crc = 0;
};

struct VXAPNGFrameInfo {
    uint32_t chunkIndex = 0; // first data chunk: the one after the fcTL
    uint32_t chunkCount = 0; // data chunks (fdAT, or IDAT for a default-image frame)
    uint32_t byteSize = 0;   // sum of each data chunk's length + 12
    uint32_t sequenceNumber = 0, width = 0, height = 0, offsetX = 0, offsetY = 0;
    uint16_t delayNumerator = 0, delayDenominator = 0;
    uint8_t dispose = 0, blend = 0; // as stored
};

struct VXPNGInfo {
    // IHDR
    uint32_t width = 0, height = 0;
    uint8_t bitDepth = 0, colorType = 0, compressionMethod = 0, filterMethod = 0, interlaceMethod = 0;

    std::vector<VXPNGChunk> chunks; // in file order, up to IEND

    // Empty for a plain PNG (or one whose animation chunks break a rule).
    std::vector<VXAPNGFrameInfo> apngFrames;
    uint32_t loopCount = 0; // acTL num_plays, 0 = endless

    // Chunks every rebuilt frame carries (IHDR, IEND and the ancillary chunks), by index into chunks.
    std::vector<uint32_t> sharedChunkIndexes;
    uint32_t sharedChunkSize = 0; // sum of each shared chunk's length + 12

    uint32_t insertIndex = 0;               // index of the first IDAT
    bool firstFrameIsDefaultImage = false;  // the first fcTL comes directly before IDAT

    uint32_t chunkCount() const { return static_cast<uint32_t>(chunks.size()); }
    uint32_t apngFrameCount() const { return static_cast<uint32_t>(apngFrames.size()); }
    uint32_t sharedChunkCount() const { return static_cast<uint32_t>(sharedChunkIndexes.size()); }
};

// The layout of the PNG bytes; null when they are shorter than 32 bytes, lack the signature, have a
// chunk running past the end, fewer than 3 chunks or do not start with a 13-byte IHDR.
std::unique_ptr<VXPNGInfo> VXPNGInfoCreate(const uint8_t* bytes, size_t length);
