#include "image/VXPNGInfo.h"

#include <cstring>
#include <new>

namespace {

constexpr uint32_t kIHDR = VXPNGChunkType("IHDR");
constexpr uint32_t kIDAT = VXPNGChunkType("IDAT");
constexpr uint32_t kIEND = VXPNGChunkType("IEND");
constexpr uint32_t kacTL = VXPNGChunkType("acTL");
constexpr uint32_t kfcTL = VXPNGChunkType("fcTL");
constexpr uint32_t kfdAT = VXPNGChunkType("fdAT");

const uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// The animation chunks appear in an order a player can follow. Also finds whether the first
// frame is the default image.
bool animationOrderIsValid(const std::vector<VXPNGChunk>& chunks, bool* firstFrameIsDefault) {
    bool seenIHDR = false, seenacTL = false, seenfcTL = false, seenIDAT = false, idatRunEnded = false;
    *firstFrameIsDefault = false;
    for (size_t i = 0; i < chunks.size(); ++i) {
        const uint32_t type = chunks[i].type;
        const uint32_t previous = i > 0 ? chunks[i - 1].type : 0;
        if (seenIDAT && type != kIDAT) idatRunEnded = true;
        if (type == kIHDR) {
            if (i != 0) return false;
            seenIHDR = true;
        } else if (type == kacTL) {
            if (seenacTL) return false;
            seenacTL = true;
        } else if (type == kfcTL) {
            if (i + 1 >= chunks.size()) return false;
            const uint32_t next = chunks[i + 1].type;
            if (next != kfdAT && next != kIDAT) return false;
            if (!seenfcTL && next == kIDAT) *firstFrameIsDefault = true;
            seenfcTL = true;
        } else if (type == kfdAT) {
            if (previous != kfdAT && previous != kfcTL) return false;
        } else if (type == kIDAT) {
            if (idatRunEnded) return false;
            seenIDAT = true;
        }
    }
    return seenIHDR && seenacTL && seenfcTL && seenIDAT;
}

} // namespace

std::unique_ptr<VXPNGInfo> VXPNGInfoCreate(const uint8_t* bytes, size_t length) {
    if (!bytes || length < 32 || std::memcmp(bytes, kSignature, 8) != 0) return nullptr;
    try {
        std::vector<VXPNGChunk> chunks;
        chunks.reserve(16);
        bool apngError = false;
        uint32_t acTLFrameCount = 0, acTLLoopCount = 0, fcTLCount = 0;
        uint64_t expectedSequence = 0;

        // 1-2. The chunk table, noting animation chunks that break a rule.
        uint64_t offset = 8;
        while (offset + 12 <= length) {
            VXPNGChunk chunk;
            chunk.offset = static_cast<uint32_t>(offset);
            chunk.length = be32(bytes + offset);
            chunk.type = be32(bytes + offset + 4);
            const uint64_t end = offset + uint64_t(chunk.length) + 12;
            if (end > length || end > UINT32_MAX) return nullptr;
            chunk.crc = be32(bytes + offset + 8 + chunk.length);
            chunks.push_back(chunk);

            const uint8_t* payload = bytes + offset + 8;
            if (chunk.type == kacTL) {
                if (chunk.length != 8) {
                    apngError = true;
                } else {
                    acTLFrameCount = be32(payload);
                    acTLLoopCount = be32(payload + 4);
                }
            } else if (chunk.type == kfcTL || chunk.type == kfdAT) {
                if (chunk.type == kfcTL) {
                    if (chunk.length != 26) apngError = true;
                    else ++fcTLCount;
                }
                if (chunk.length < 5) {
                    apngError = true;
                } else if (be32(payload) != expectedSequence) {
                    apngError = true;
                } else {
                    expectedSequence = uint64_t(be32(payload)) + 1;
                }
            }
            if (chunk.type == kIEND) break;
            offset = end;
        }

        // 3. A PNG at all.
        if (chunks.size() < 3 || chunks[0].type != kIHDR || chunks[0].length != 13) return nullptr;
        auto info = std::make_unique<VXPNGInfo>();
        const uint8_t* ihdr = bytes + chunks[0].offset + 8;
        info->width = be32(ihdr);
        info->height = be32(ihdr + 4);
        info->bitDepth = ihdr[8];
        info->colorType = ihdr[9];
        info->compressionMethod = ihdr[10];
        info->filterMethod = ihdr[11];
        info->interlaceMethod = ihdr[12];
        for (size_t i = 0; i < chunks.size(); ++i)
            if (chunks[i].type == kIDAT) {
                info->insertIndex = static_cast<uint32_t>(i);
                break;
            }
        info->chunks = std::move(chunks);
        const std::vector<VXPNGChunk>& table = info->chunks;

        // 4-5. An animation only when every rule holds; otherwise a plain PNG.
        if (apngError || acTLFrameCount != fcTLCount || acTLFrameCount < 1 || table.back().type != kIEND) return info;
        bool firstFrameIsDefault = false;
        if (!animationOrderIsValid(table, &firstFrameIsDefault)) return info;

        // 6. The frame table and the shared chunks, in one pass.
        std::vector<VXAPNGFrameInfo> frames;
        frames.reserve(fcTLCount);
        std::vector<uint32_t> shared;
        uint64_t sharedSize = 0;
        for (size_t i = 0; i < table.size(); ++i) {
            const VXPNGChunk& chunk = table[i];
            const uint8_t* payload = bytes + chunk.offset + 8;
            if (chunk.type == kfcTL) {
                VXAPNGFrameInfo frame;
                frame.chunkIndex = static_cast<uint32_t>(i + 1);
                frame.sequenceNumber = be32(payload);
                frame.width = be32(payload + 4);
                frame.height = be32(payload + 8);
                frame.offsetX = be32(payload + 12);
                frame.offsetY = be32(payload + 16);
                frame.delayNumerator = be16(payload + 20);
                frame.delayDenominator = be16(payload + 22);
                frame.dispose = payload[24];
                frame.blend = payload[25];
                frames.push_back(frame);
            } else if (chunk.type == kfdAT || chunk.type == kIDAT) {
                if (chunk.type == kIDAT && !firstFrameIsDefault) continue;
                if (frames.empty()) continue;
                frames.back().chunkCount += 1;
                frames.back().byteSize += chunk.length + 12;
            } else if (chunk.type != kacTL) {
                shared.push_back(static_cast<uint32_t>(i));
                sharedSize += uint64_t(chunk.length) + 12;
            }
        }
        info->apngFrames = std::move(frames);
        info->loopCount = acTLLoopCount;
        info->sharedChunkIndexes = std::move(shared);
        info->sharedChunkSize = static_cast<uint32_t>(sharedSize);
        info->firstFrameIsDefaultImage = firstFrameIsDefault;
        return info;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
