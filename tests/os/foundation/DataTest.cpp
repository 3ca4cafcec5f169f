#include "os/foundation/Data.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

using namespace ns;

namespace {
std::string bytes(size_t n, char fill = 'a') { return std::string(n, fill); }
} // namespace

TEST(Base64, EncodesWithPaddingAndOptionalLines) {
    for (auto [text, base64] : {std::pair{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}})
        EXPECT_EQ(Data::fromString(text)->base64Encoded(), base64);

    // 48 bytes fill exactly one 64-character line: no line break, none at the end either.
    std::string one = Data::fromString(bytes(48))->base64Encoded(Data::Base64LineLength64);
    EXPECT_EQ(one.size(), 64u);
    std::string two = Data::fromString(bytes(49))->base64Encoded(Data::Base64LineLength64);
    EXPECT_EQ(two.substr(64, 2), "\r\n");
    EXPECT_EQ(two.size(), 64u + 2 + 4);
    std::string lf = Data::fromString(bytes(96))->base64Encoded(Data::Base64LineLength64 | Data::Base64EndLineWithLF);
    EXPECT_EQ(lf.size(), 129u);
    EXPECT_EQ(lf[64], '\n');
    // Line endings without the line length change nothing.
    EXPECT_EQ(Data::fromString(bytes(49))->base64Encoded(Data::Base64EndLineWithCR).find('\r'), std::string::npos);
}

TEST(Base64, DecodingIsStrict) {
    EXPECT_EQ(Data::fromBase64("Zm9vYmFy")->toString(), "foobar");
    EXPECT_EQ(Data::fromBase64("Zg==")->toString(), "f");
    ASSERT_NE(Data::fromBase64(""), nullptr);
    EXPECT_EQ(Data::fromBase64("")->length(), 0u);
    for (const char* bad : {"Zm9v\r\nYmFy", "Zm9v YmFy", "Zm9", "Zg=", "Z===", "Zg==Zg==", "Zm=v", "Zm9v\n", "Zm9-", "Zm9_"})
        EXPECT_EQ(Data::fromBase64(bad), nullptr) << bad;
    // The encoder's line breaks are not part of the alphabet either.
    std::string lines = Data::fromString(bytes(100))->base64Encoded(Data::Base64LineLength64);
    EXPECT_EQ(Data::fromBase64(lines), nullptr);
}

TEST(Base64, RoundTripsEveryByteValue) {
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    for (size_t len : {size_t{0}, size_t{1}, size_t{2}, size_t{3}, size_t{255}, size_t{256}}) {
        auto data = Data::make(std::vector<uint8_t>(all.begin(), all.begin() + static_cast<long>(len)));
        auto back = Data::fromBase64(data->base64Encoded());
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(back->isEqual(*data)) << len;
    }
}

using DataTest = vx::test::SandboxTest;

TEST_F(DataTest, AtomicWriteReplacesTheFileOwnerOnly) {
    namespace fs = std::filesystem;
    const std::string dir = sandboxPath() + "/data";
    fs::create_directory(dir);
    std::string path = dir + "/file.bin";
    ASSERT_TRUE(Data::fromString("first")->writeToFile(path, true));
    ASSERT_TRUE(Data::fromString("second")->writeToFile(path, true));
    EXPECT_EQ(Data::fromFile(path)->toString(), "second");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1); // no temporary left
    EXPECT_EQ(Data::fromFile(dir), nullptr); // a folder is not a file
    EXPECT_EQ(Data::fromFile(dir + "/missing"), nullptr);
    EXPECT_FALSE(Data::fromString("x")->writeToFile(dir + "/no/such/folder", true));
}

TEST(Data, CapacityIsOnlyAHint) {
    auto data = MutableData::make(static_cast<size_t>(-1)); // an absurd announced length
    data->append("ab", 2);
    EXPECT_EQ(data->toString(), "ab");
}
