#pragma once
// NSUUID: a random (version 4) identifier.

#include <array>
#include <cstdint>
#include <string>

namespace ns {

class UUID {
public:
    // Drawn from ns::Random, so a seeded test gets repeatable identifiers.
    static UUID random();
    // Upper-case 8-4-4-4-12 hexadecimal text.
    std::string string() const;
    const std::array<uint8_t, 16>& bytes() const { return bytes_; }
    bool operator==(const UUID&) const = default;

private:
    std::array<uint8_t, 16> bytes_{};
};

} // namespace ns
