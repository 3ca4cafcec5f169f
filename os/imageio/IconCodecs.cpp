// ICO/CUR and ICNS, our own containers: each entry is one image (PNG, DIB or JPEG 2000 inside).
// Writers store PNG entries only.

#include "os/imageio/Codec.h"

#include <algorithm>

namespace imageio::detail {
namespace {

bool isPng(Bytes b) { return b.size() >= 8 && b[0] == 0x89 && std::memcmp(&b[1], "PNG", 3) == 0; }
bool isJpeg2000(Bytes b) {
    static constexpr uint8_t kJp2[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    return (b.size() >= 12 && std::memcmp(b.data(), kJp2, 12) == 0) || (b.size() >= 4 && b[0] == 0xFF && b[1] == 0x4F);
}

// --- ICO ---------------------------------------------------------------------------------------

// The payload of entry i as far as it has arrived; empty when the directory entry is missing.
Bytes icoPayload(Bytes b, size_t i) {
    const size_t entry = 6 + 16 * i;
    if (entry + 16 > b.size()) return {};
    const size_t size = le32(&b[entry + 8]), offset = le32(&b[entry + 12]);
    if (offset >= b.size()) return {};
    return b.subspan(offset, std::min(size, b.size() - offset));
}

class IcoDecoder final : public Decoder {
public:
    Header parse(Bytes b, bool final) override {
        Header h;
        if (b.size() < 6) {
            h.status = final ? Status::UnexpectedEOF : Status::ReadingHeader;
            return h;
        }
        const size_t count = std::min<size_t>(le16(&b[4]), kMaxFrames);
        bool missing = false;
        for (size_t i = 0; i < count; ++i) {
            const Bytes payload = icoPayload(b, i);
            if (!payload.empty() && payload.size() < le32(&b[6 + 16 * i + 8])) missing = true;
            uint32_t width = 0, height = 0;
            const bool known = isPng(payload) ? pngSize(payload, width, height) : dibSize(payload, true, width, height);
            if (!known) {
                missing = true;
                break;
            }
            h.frames.push_back(frameProperties(width, height, true));
        }
        if (h.frames.empty()) h.status = final ? Status::InvalidData : Status::ReadingHeader;
        else h.status = !missing ? Status::Complete : final ? Status::UnexpectedEOF : Status::Incomplete;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes b, bool) override {
        if (b.size() < 6 || index >= le16(&b[4])) return std::nullopt;
        const Bytes payload = icoPayload(b, index);
        std::optional<Bitmap> bitmap = isPng(payload) ? decodePngImage(payload) : decodeDib(payload, true);
        if (bitmap) bitmap->alphaInfo = kAlphaLast;
        return bitmap;
    }
};

// --- ICNS --------------------------------------------------------------------------------------

struct IcnsEntry {
    Bytes payload;
    bool png;
};

// Entries holding PNG or JPEG 2000 data; the old run-length and mask entries are skipped.
std::vector<IcnsEntry> icnsEntries(Bytes b, bool& truncated) {
    std::vector<IcnsEntry> entries;
    truncated = false;
    const size_t end = b.size() >= 8 ? std::min<size_t>(b.size(), std::max<uint32_t>(be32(&b[4]), 8)) : 0;
    size_t pos = 8;
    while (pos + 8 <= end && entries.size() < kMaxFrames) {
        const size_t length = be32(&b[pos + 4]);
        if (length < 8) break;
        const Bytes payload = b.subspan(pos + 8, std::min(length - 8, end - pos - 8));
        if (pos + length > end) truncated = true;
        if (isPng(payload)) entries.push_back({payload, true});
        else if (isJpeg2000(payload)) entries.push_back({payload, false});
        if (truncated) break;
        pos += length;
    }
    if (b.size() < 8 || be32(&b[4]) > b.size()) truncated = true;
    return entries;
}

class IcnsDecoder final : public Decoder {
public:
    Header parse(Bytes b, bool final) override {
        Header h;
        bool truncated = false;
        for (const IcnsEntry& entry : icnsEntries(b, truncated)) {
            uint32_t width = 0, height = 0;
            const bool known = entry.png ? pngSize(entry.payload, width, height)
                                         : jpeg2000Size(entry.payload, width, height);
            if (!known) break;
            h.frames.push_back(frameProperties(width, height, true));
        }
        if (h.frames.empty()) h.status = final ? Status::InvalidData : Status::ReadingHeader;
        else h.status = !truncated ? Status::Complete : final ? Status::UnexpectedEOF : Status::Incomplete;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes b, bool) override {
        bool truncated = false;
        const std::vector<IcnsEntry> entries = icnsEntries(b, truncated);
        if (index >= entries.size()) return std::nullopt;
        const IcnsEntry& entry = entries[index];
        return entry.png ? decodePngImage(entry.payload) : decodeJpeg2000Image(entry.payload);
    }
};

const char* icnsTypeForSize(uint32_t size) {
    switch (size) {
    case 16: return "icp4";
    case 32: return "icp5";
    case 64: return "icp6";
    case 128: return "ic07";
    case 256: return "ic08";
    case 512: return "ic09";
    case 1024: return "ic10";
    default: return nullptr;
    }
}

} // namespace

std::unique_ptr<Decoder> makeIcoDecoder() { return std::make_unique<IcoDecoder>(); }
std::unique_ptr<Decoder> makeIcnsDecoder() { return std::make_unique<IcnsDecoder>(); }

// One PNG entry per image; icons are at most 256 pixels on a side.
bool encodeIco(const std::vector<EncodeFrame>& frames, const Properties&, std::vector<uint8_t>& out) {
    if (frames.empty() || frames.size() > 0xFFFF) return false;
    std::vector<std::vector<uint8_t>> payloads;
    for (const EncodeFrame& frame : frames) {
        if (frame.bitmap.width > 256 || frame.bitmap.height > 256) return false;
        payloads.emplace_back();
        if (!encodePngImage(frame.bitmap, payloads.back())) return false;
    }
    std::vector<uint8_t> bytes;
    putLe16(bytes, 0);
    putLe16(bytes, 1);
    putLe16(bytes, uint32_t(frames.size()));
    size_t offset = 6 + 16 * frames.size();
    for (size_t i = 0; i < frames.size(); ++i) {
        const Bitmap& bitmap = frames[i].bitmap;
        bytes.push_back(uint8_t(bitmap.width == 256 ? 0 : bitmap.width));
        bytes.push_back(uint8_t(bitmap.height == 256 ? 0 : bitmap.height));
        bytes.push_back(0); // no palette
        bytes.push_back(0);
        putLe16(bytes, 1);  // planes
        putLe16(bytes, 32); // bits per pixel
        putLe32(bytes, uint32_t(payloads[i].size()));
        putLe32(bytes, uint32_t(offset));
        offset += payloads[i].size();
    }
    for (const auto& payload : payloads) bytes.insert(bytes.end(), payload.begin(), payload.end());
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
}

// PNG entries of the exact square icon sizes 16 to 1024; any other size fails.
bool encodeIcns(const std::vector<EncodeFrame>& frames, const Properties&, std::vector<uint8_t>& out) {
    if (frames.empty()) return false;
    std::vector<uint8_t> bytes = {'i', 'c', 'n', 's', 0, 0, 0, 0};
    for (const EncodeFrame& frame : frames) {
        const char* type = frame.bitmap.width == frame.bitmap.height ? icnsTypeForSize(frame.bitmap.width) : nullptr;
        std::vector<uint8_t> png;
        if (!type || !encodePngImage(frame.bitmap, png)) return false;
        bytes.insert(bytes.end(), type, type + 4);
        putBe32(bytes, uint32_t(png.size() + 8));
        bytes.insert(bytes.end(), png.begin(), png.end());
    }
    const uint32_t total = uint32_t(bytes.size());
    const uint8_t length[4] = {uint8_t(total >> 24), uint8_t(total >> 16), uint8_t(total >> 8), uint8_t(total)};
    std::memcpy(&bytes[4], length, 4);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
}

} // namespace imageio::detail
