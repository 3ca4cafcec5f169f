// Property dictionaries: EXIF orientation, format dictionaries, animated PNG and unknown bytes.

#include "ImageFixtures.h"

#include "os/imageio/ImageSource.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace fixtures;
using namespace imageio;

namespace {

TEST(SourceProperties, OrientationComesFromExif) {
    for (bool bigEndian : {false, true})
        for (int orientation : {1, 6, 8}) {
            auto source = ImageSource::CreateWithData(dataOf(jpegBytes(8, 8, gradient, false, orientation, bigEndian)));
            const Properties p = *source->CopyPropertiesAtIndex(0);
            EXPECT_EQ(p[key::Orientation].intValue(), orientation) << "big endian " << bigEndian;
        }
    auto plain = ImageSource::CreateWithData(dataOf(jpegBytes(8, 8, gradient, false)));
    EXPECT_FALSE(plain->CopyPropertiesAtIndex(0)->contains(key::Orientation));
}

TEST(SourceProperties, FormatDictionariesDescribeTheFile) {
    auto jpeg = ImageSource::CreateWithData(dataOf(jpegBytes(8, 8, gradient, true)));
    const Properties j = *jpeg->CopyPropertiesAtIndex(0);
    EXPECT_TRUE(j[key::JFIFDictionary][key::JFIFIsProgressive].boolValue());
    EXPECT_FALSE(j[key::HasAlpha].boolValue());
    EXPECT_EQ(j[key::ColorModel].string(), colormodel::RGB);

    auto png = ImageSource::CreateWithData(dataOf(pngBytes(8, 8, gradient, false, true)));
    const Properties p = *png->CopyPropertiesAtIndex(0);
    EXPECT_EQ(p[key::PNGDictionary][key::PNGInterlaceType].intValue(), 0);
    EXPECT_TRUE(p[key::HasAlpha].boolValue());
    EXPECT_FALSE(png->CopyPropertiesAtIndex(1));
}

std::vector<uint8_t> be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

std::vector<uint8_t> chunk(const char* type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out = be32(uint32_t(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const auto crc = be32(uint32_t(crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data.data(), uInt(data.size()))));
    out.insert(out.end(), crc.begin(), crc.end());
    return out;
}

// A 4 × 4 frame at the origin: delay 1/10, dispose none, blend source.
std::vector<uint8_t> frameControl(uint32_t sequence) {
    std::vector<uint8_t> d;
    for (uint32_t v : {sequence, 4u, 4u, 0u, 0u}) for (uint8_t b : be32(v)) d.push_back(b);
    d.insert(d.end(), {0, 1, 0, 10, 0, 0});
    return d;
}

TEST(SourceProperties, AnimatedPngReadsAsItsDefaultImage) {
    const Rgba red{255, 0, 0, 255}, blue{0, 0, 255, 255};
    auto still = pngBytes(4, 4, [&](uint32_t, uint32_t) { return red; }, false, false);
    auto other = pngBytes(4, 4, [&](uint32_t, uint32_t) { return blue; }, false, false);
    const size_t idat = find(still, {'I', 'D', 'A', 'T'}) - 4, iend = find(still, {'I', 'E', 'N', 'D'}) - 4;
    const size_t otherIdat = find(other, {'I', 'D', 'A', 'T'}) - 4;
    const uint32_t otherLength = uint32_t(other[otherIdat]) << 24 | uint32_t(other[otherIdat + 1]) << 16 |
                                 uint32_t(other[otherIdat + 2]) << 8 | other[otherIdat + 3];
    std::vector<uint8_t> fdat = be32(2);
    fdat.insert(fdat.end(), other.begin() + ptrdiff_t(otherIdat + 8), other.begin() + ptrdiff_t(otherIdat + 8 + otherLength));

    std::vector<uint8_t> apng(still.begin(), still.begin() + ptrdiff_t(idat));
    for (const auto& c : {chunk("acTL", {0, 0, 0, 2, 0, 0, 0, 0}), chunk("fcTL", frameControl(0))})
        apng.insert(apng.end(), c.begin(), c.end());
    apng.insert(apng.end(), still.begin() + ptrdiff_t(idat), still.begin() + ptrdiff_t(iend));
    for (const auto& c : {chunk("fcTL", frameControl(1)), chunk("fdAT", fdat)})
        apng.insert(apng.end(), c.begin(), c.end());
    apng.insert(apng.end(), still.begin() + ptrdiff_t(iend), still.end());

    auto source = ImageSource::CreateWithData(dataOf(apng));
    EXPECT_EQ(source->GetType(), uti::PNG);
    EXPECT_EQ(source->GetStatus(), Status::Complete);
    ASSERT_EQ(source->GetCount(), 1u);
    EXPECT_EQ(pixelAt(source->CreateImageAtIndex(0), 3, 3), red);
}

TEST(SourceProperties, UnknownBytesGiveASourceWithoutImages) {
    EXPECT_FALSE(ImageSource::CreateWithData(nullptr));
    static const char kWebp[] = "RIFF\x10\0\0\0WEBPVP8 more bytes";
    for (std::string_view text : {std::string_view("plain text, not an image at all"),
                                  std::string_view(kWebp, sizeof kWebp - 1)}) {
        auto source = ImageSource::CreateWithData(ns::Data::fromString(text));
        ASSERT_TRUE(source);
        EXPECT_EQ(source->GetType(), "");
        EXPECT_EQ(source->GetStatus(), Status::UnknownType);
        EXPECT_EQ(source->GetCount(), 0u);
        EXPECT_FALSE(source->CopyProperties());
        EXPECT_FALSE(source->CreateImageAtIndex(0));
    }
}

} // namespace
