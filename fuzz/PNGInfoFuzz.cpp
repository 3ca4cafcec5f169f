// The PNG chunk parser on hostile bytes. The first byte chooses whether the PNG signature is put in
// front of the rest, so chunk parsing is reached without a seed corpus; every table the parser
// fills must point inside the bytes.

#include "image/VXPNGInfo.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> bytes;
    if (data[0] & 1) bytes = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    bytes.insert(bytes.end(), data + 1, data + size);

    auto info = VXPNGInfoCreate(bytes.data(), bytes.size());
    if (!info) return 0;
    for (const VXPNGChunk& chunk : info->chunks)
        if (uint64_t(chunk.offset) + chunk.length + 12 > bytes.size()) std::abort();
    for (uint32_t index : info->sharedChunkIndexes)
        if (index >= info->chunks.size()) std::abort();
    for (const VXAPNGFrameInfo& frame : info->apngFrames)
        if (uint64_t(frame.chunkIndex) + frame.chunkCount > info->chunks.size()) std::abort();
    return 0;
}
