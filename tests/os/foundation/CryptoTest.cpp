#include "os/foundation/Crypto.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ns;

TEST(Crypto, Md5OfTextBytesAndData) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("The quick brown fox jumps over the lazy dog"), "9e107d9d372bb6826bd81d3542a419d6");
    EXPECT_EQ(md5Hex("中文"), "a7bac2239fcdcb3a067903d8077c4a07"); // UTF-8 bytes
    std::vector<uint8_t> bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(md5Hex(std::span<const uint8_t>(bytes)), "e2c865db4162bed963bfaa9ef6ac18f0");
    EXPECT_EQ(md5Hex(*Data::make(bytes)), "e2c865db4162bed963bfaa9ef6ac18f0");
}
