// ImageSource on hostile bytes of every format, complete and incremental: no crash, leak or hang.
// The first byte picks a format whose signature is put in front of the rest (0: the bytes as they are),
// so every reader is reached without a seed corpus.

#include "fuzz/SignedInput.h"
#include "os/imageio/ImageSource.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const std::vector<std::vector<uint8_t>> kSignatures = {
    {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
    {0xFF, 0xD8, 0xFF},
    {'G', 'I', 'F', '8', '9', 'a'},
    {'I', 'I', 42, 0},
    {'M', 'M', 0, 42},
    {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A},
    {0xFF, 0x4F, 0xFF, 0x51},
    {'B', 'M'},
    {0, 0, 1, 0},
    {'i', 'c', 'n', 's'},
};

void exercise(const imageio::ImageSourceRef& source) {
    if (!source) return;
    source->GetType();
    source->GetStatus();
    source->CopyProperties();
    const size_t count = source->GetCount();
    // Every frame of a short file; the first and last few of a long one.
    for (size_t i = 0; i <= count; ++i) {
        if (i >= 4 && i + 2 < count) continue;
        source->CopyPropertiesAtIndex(i);
        source->CreateImageAtIndex(i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<uint8_t> bytes = signedInput(kSignatures, data, size);

    exercise(imageio::ImageSource::CreateWithData(ns::Data::make(bytes.data(), bytes.size())));

    auto incremental = imageio::ImageSource::CreateIncremental();
    for (size_t part : {size_t(4), size_t(2)}) {
        incremental->UpdateData(ns::Data::make(bytes.data(), bytes.size() / part), false);
        exercise(incremental);
    }
    incremental->UpdateData(ns::Data::make(bytes.data(), bytes.size()), true);
    exercise(incremental);
    return 0;
}
