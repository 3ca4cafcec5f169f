// Image type sniffing on any bytes: no read past the end, every answer a known type.

#include "image/VXImageCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const VXImageType type = VXImageSniffType(data, size);
    if (type > VXImageTypeWebP) std::abort();
    if (size < 16 && type != VXImageTypeUnknown) std::abort();
    return 0;
}
