#pragma once
// MD5 digests as the design prints them: 32 lower-case hexadecimal characters.

#include "os/foundation/Data.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ns {

std::string md5Hex(std::span<const uint8_t> bytes);
std::string md5Hex(std::string_view text); // of the UTF-8 bytes
std::string md5Hex(const Data& data);

} // namespace ns
