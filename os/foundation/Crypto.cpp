#include "os/foundation/Crypto.h"

#include <mbedtls/md5.h>

namespace ns {

std::string md5Hex(std::span<const uint8_t> bytes) {
    unsigned char digest[16] = {};
    mbedtls_md5_ret(bytes.data(), bytes.size(), digest);
    static const char hex[] = "0123456789abcdef";
    std::string out(32, '0');
    for (size_t i = 0; i < 16; ++i) {
        out[2 * i] = hex[digest[i] >> 4];
        out[2 * i + 1] = hex[digest[i] & 0x0F];
    }
    return out;
}

std::string md5Hex(std::string_view text) {
    return md5Hex(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::string md5Hex(const Data& data) { return md5Hex(data.span()); }

} // namespace ns
