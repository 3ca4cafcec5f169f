#include "os/foundation/UUID.h"

#include "os/foundation/Random.h"

namespace ns {

UUID UUID::random() {
    UUID uuid;
    for (size_t i = 0; i < 16; i += 4) {
        uint32_t r = Random::uniform32();
        for (size_t k = 0; k < 4; ++k) uuid.bytes_[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    uuid.bytes_[6] = static_cast<uint8_t>((uuid.bytes_[6] & 0x0F) | 0x40); // version 4
    uuid.bytes_[8] = static_cast<uint8_t>((uuid.bytes_[8] & 0x3F) | 0x80); // RFC 4122 variant
    return uuid;
}

std::string UUID::string() const {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
        out += hex[bytes_[i] >> 4];
        out += hex[bytes_[i] & 0x0F];
    }
    return out;
}

} // namespace ns
