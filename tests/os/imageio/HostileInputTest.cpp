// Truncated, corrupted and oversized files of every format: error values, never a crash or a hang.

#include "ImageFixtures.h"

#include "os/imageio/ImageSource.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace fixtures;
using namespace imageio;

namespace {

struct Sample {
    const char* type;
    std::vector<uint8_t> bytes;
    bool endIsKnown; // the format marks its end, so a truncated copy is not Complete
};

std::vector<uint8_t> viaDestination(const char* type, bool alpha, uint32_t size = 8) {
    auto data = encode(makeImage(size, size, gradient, alpha), type);
    return std::vector<uint8_t>(data->bytes(), data->bytes() + data->length());
}

const std::vector<Sample>& samples() {
    static const std::vector<Sample> all = {
        {uti::PNG, pngBytes(8, 8, gradient, true, true), true},
        {uti::JPEG, jpegBytes(16, 16, gradient, true, 6), true},
        {uti::GIF,
         gifBytes(4, 4, {{255, 0, 0}, {0, 255, 0}},
                  {{0, 0, 4, 4, 1, 5, -1, std::vector<uint8_t>(16, 0)}, {1, 1, 2, 2, 3, 5, 0, {1, 0, 1, 1}}}, 0),
         true},
        {uti::TIFF, viaDestination(uti::TIFF, true), false},
        {uti::BMP, viaDestination(uti::BMP, true), true},
        {uti::ICO, viaDestination(uti::ICO, true), true},
        {uti::AppleICNS, viaDestination(uti::AppleICNS, true, 16), true},
        {uti::JPEG2000, viaDestination(uti::JPEG2000, false), false},
    };
    return all;
}

// Touches everything a caller can ask for.
void exercise(const ImageSourceRef& source) {
    ASSERT_TRUE(source);
    source->GetType();
    source->GetStatus();
    source->CopyProperties();
    const size_t count = source->GetCount();
    for (size_t i = 0; i <= count; ++i) {
        source->CopyPropertiesAtIndex(i);
        source->CreateImageAtIndex(i);
    }
}

TEST(HostileInput, EveryPrefixIsReadSafely) {
    for (const Sample& sample : samples()) {
        SCOPED_TRACE(sample.type);
        const size_t size = sample.bytes.size();
        ASSERT_GT(size, 0u);
        auto incremental = ImageSource::CreateIncremental();
        for (size_t n = 0; n <= size; n += std::max<size_t>(1, size / 400)) {
            auto complete = ImageSource::CreateWithData(dataOf(sample.bytes, n));
            ASSERT_NO_FATAL_FAILURE(exercise(complete));
            if (sample.endIsKnown && n < size) {
                EXPECT_NE(complete->GetStatus(), Status::Complete) << n;
            }
            incremental->UpdateData(dataOf(sample.bytes, n), false);
            ASSERT_NO_FATAL_FAILURE(exercise(incremental));
        }
        incremental->UpdateData(dataOf(sample.bytes), true);
        EXPECT_EQ(incremental->GetType(), sample.type);
        EXPECT_EQ(incremental->GetStatus(), Status::Complete);
        EXPECT_TRUE(incremental->CreateImageAtIndex(0));
    }
}

TEST(HostileInput, CorruptedBytesAreReadSafely) {
    for (const Sample& sample : samples()) {
        SCOPED_TRACE(sample.type);
        const size_t size = sample.bytes.size();
        for (size_t at = 0; at < size; at += std::max<size_t>(1, size / 97)) {
            for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(sample.bytes[at] ^ 0x5A)}) {
                std::vector<uint8_t> bytes = sample.bytes;
                bytes[at] = value;
                ASSERT_NO_FATAL_FAILURE(exercise(ImageSource::CreateWithData(dataOf(bytes))));
            }
        }
    }
}

TEST(HostileInput, AbsurdSizesAreRefused) {
    // PNG IHDR of 100000 × 100000.
    auto png = pngBytes(1, 1, gradient, false, false);
    png[16] = 0, png[17] = 1, png[18] = 0x86, png[19] = 0xA0;
    png[20] = 0, png[21] = 1, png[22] = 0x86, png[23] = 0xA0;
    // GIF screen and frame of 65535 × 65535.
    auto gif = gifBytes(1, 1, {{0, 0, 0}}, {{0, 0, 1, 1, 0, 0, -1, {0}}}, std::nullopt);
    for (size_t at : {size_t(6), size_t(8)}) gif[at] = gif[at + 1] = 0xFF;
    const size_t frame = find(gif, {0x2C, 0, 0, 0, 0});
    for (size_t at : {frame + 5, frame + 7}) gif[at] = gif[at + 1] = 0xFF;
    // BMP of 100000 × 100000 pixels.
    auto bmp = viaDestination(uti::BMP, false);
    for (size_t at : {size_t(18), size_t(22)}) bmp[at] = 0xA0, bmp[at + 1] = 0x86, bmp[at + 2] = 1, bmp[at + 3] = 0;

    for (const auto* bytes : {&png, &gif, &bmp}) {
        auto source = ImageSource::CreateWithData(dataOf(*bytes));
        EXPECT_FALSE(source->CreateImageAtIndex(0));
        EXPECT_EQ(source->GetStatus(), Status::InvalidData);
    }
}

// Rewrites the CRC of the chunk that starts (its length field) at `at`.
void fixCrc(std::vector<uint8_t>& png, size_t at) {
    const uint32_t length = uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    const uint32_t crc = uint32_t(crc32(crc32(0, nullptr, 0), &png[at + 4], length + 4));
    for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = uint8_t(crc >> (24 - 8 * i));
}

TEST(HostileInput, PngFaultsGiveNoImage) {
    const auto sound = pngBytes(32, 32, gradient, false, true);
    ASSERT_TRUE(ImageSource::CreateWithData(dataOf(sound))->CreateImageAtIndex(0));
    const size_t idat = find(sound, {'I', 'D', 'A', 'T'}) - 4;

    // The IDAT CRC is wrong: every row arrives, and still there is no image.
    auto badData = sound;
    const uint32_t idatLength = uint32_t(badData[idat + 2]) << 8 | badData[idat + 3];
    badData[idat + 8 + idatLength] ^= 0xFF;
    EXPECT_FALSE(ImageSource::CreateWithData(dataOf(badData))->CreateImageAtIndex(0));

    // IHDR faults: no image counted at all.
    std::vector<std::vector<uint8_t>> refused;
    for (uint8_t depth : {0, 3, 99}) {
        auto bytes = sound;
        bytes[24] = depth;
        fixCrc(bytes, 8);
        refused.push_back(bytes);
    }
    auto badHeaderCrc = sound;
    badHeaderCrc[29] ^= 0x01;
    refused.push_back(badHeaderCrc);
    auto noData = sound; // IDAT renamed to an ancillary chunk libpng skips
    noData[idat + 4] = 'i', noData[idat + 5] = 'D', noData[idat + 6] = 'A', noData[idat + 7] = 'x';
    fixCrc(noData, idat);
    refused.push_back(noData);
    for (const auto& bytes : refused) {
        auto source = ImageSource::CreateWithData(dataOf(bytes));
        EXPECT_EQ(source->GetCount(), 0u);
        EXPECT_EQ(source->GetStatus(), Status::InvalidData);
        EXPECT_FALSE(source->CreateImageAtIndex(0));
    }
    // Without IDAT yet, an incremental source is still waiting, not refusing.
    auto incremental = ImageSource::CreateIncremental();
    incremental->UpdateData(dataOf(std::vector<uint8_t>(sound.begin(), sound.begin() + long(idat))), false);
    EXPECT_NE(incremental->GetStatus(), Status::InvalidData);
}

TEST(HostileInput, SmallFilesCannotClaimHugeCanvases) {
    // A 96-byte BMP whose header claims 4 × 16,777,213 pixels of 24 bits.
    auto bmp = viaDestination(uti::BMP, false, 4);
    bmp.resize(96);
    const uint32_t rows = 16777213;
    for (int i = 0; i < 4; ++i) bmp[22 + i] = uint8_t(rows >> (8 * i));
    auto source = ImageSource::CreateWithData(dataOf(bmp));
    EXPECT_EQ(source->GetCount(), 1u);
    EXPECT_FALSE(source->CreateImageAtIndex(0));

    // A PNG header of 8000 × 8000 RGBA with next to no data.
    auto png = pngBytes(1, 1, gradient, false, true);
    png[16] = 0, png[17] = 0, png[18] = 0x1F, png[19] = 0x40;
    png[20] = 0, png[21] = 0, png[22] = 0x1F, png[23] = 0x40;
    fixCrc(png, 8);
    EXPECT_FALSE(ImageSource::CreateWithData(dataOf(png))->CreateImageAtIndex(0));

    // A truncated BMP under the free allowance still shows the rows it has.
    auto partial = viaDestination(uti::BMP, false, 64);
    partial.resize(partial.size() / 2);
    EXPECT_TRUE(ImageSource::CreateWithData(dataOf(partial))->CreateImageAtIndex(0));
}

} // namespace
