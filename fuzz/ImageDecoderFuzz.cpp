// The image decoder on hostile bytes, fed whole and in growing prefixes: no crash, leak or hang.
// The first byte picks a signature put in front of the rest (0: the bytes as they are); an animated
// PNG frame is reached when the fuzzer builds acTL/fcTL/fdAT chunks after the signature.

#include "fuzz/SignedInput.h"
#include "image/VXImageDecoder.h"

#include <cstdint>
#include <vector>

namespace {

const std::vector<std::vector<uint8_t>> kSignatures = {
    {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
    {0xFF, 0xD8, 0xFF},
    {'G', 'I', 'F', '8', '9', 'a'},
    {'I', 'I', 42, 0},
    {'B', 'M'},
    {0, 0, 1, 0},
    {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'},
};

// The first and last few frames (a long animation would only repeat the same paths), in order
// and then out of order so the canvas catch-up runs.
void exercise(VXImageDecoder& decoder) {
    const size_t count = decoder.frameCount();
    for (size_t i = 0; i <= count; ++i) {
        if (i >= 4 && i + 2 < count) continue;
        decoder.frameAtIndex(i, true);
        decoder.frameDurationAtIndex(i);
        decoder.framePropertiesAtIndex(i);
    }
    if (count > 2) {
        decoder.frameAtIndex(count - 1, false);
        decoder.frameAtIndex(1, true);
    }
    decoder.imageProperties();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<uint8_t> bytes = signedInput(kSignatures, data, size);

    if (auto whole = VXImageDecoder::decoderWithData(ns::Data::make(bytes.data(), bytes.size()), 1)) exercise(*whole);

    auto growing = VXImageDecoder::initWithScale(2);
    for (size_t part : {size_t(8), size_t(3), size_t(2)}) {
        growing->updateData(ns::Data::make(bytes.data(), bytes.size() / part), false);
        exercise(*growing);
    }
    growing->updateData(ns::Data::make(bytes.data(), bytes.size()), true);
    exercise(*growing);
    return 0;
}
