// Truncated, corrupted and oversized files of every format: error values, never a crash or a hang.

#include "ImageFixtures.h"

#include "os/imageio/ImageSource.h"

#include <gtest/gtest.h>

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
            exercise(complete);
            if (sample.endIsKnown && n < size) {
                EXPECT_NE(complete->GetStatus(), Status::Complete) << n;
            }
            incremental->UpdateData(dataOf(sample.bytes, n), false);
            exercise(incremental);
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
                exercise(ImageSource::CreateWithData(dataOf(bytes)));
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

} // namespace
