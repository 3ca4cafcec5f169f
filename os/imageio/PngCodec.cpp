// PNG through libpng: the progressive reader, so that partial data gives the rows received so far
// (interlaced images come out as Adam7 blocks filled in pass by pass).

#include "os/imageio/Codec.h"

#include <algorithm>
#include <csetjmp>
#include <png.h>
#include <zlib.h>

namespace imageio::detail {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

[[noreturn]] void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

struct ReadState {
    size_t inputBytes = 0;
    std::optional<Bitmap> bitmap;
    bool interlaced = false;
    bool hasAlpha = false;
    bool ended = false;
    bool anyRow = false;
    uint32_t rowsSeen = 0; // rows of a plain image
};

void onInfo(png_structp png, png_infop info) {
    auto* state = static_cast<ReadState*>(png_get_progressive_ptr(png));
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    const int channels = colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : colorType == PNG_COLOR_TYPE_RGB ? 3
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA                                    ? 2
                                                                                                     : 1;
    if (!canvasAffordable(width, height, state->inputBytes, deflatedPixelsPerByte(uint32_t(depth * channels))))
        png_error(png, "image too large for its data");
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    state->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || trns;
    state->interlaced = interlace != PNG_INTERLACE_NONE;

    png_set_expand(png); // palette and low-depth grey to 8 bits, tRNS to alpha
    png_set_scale_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (!state->hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    if (state->interlaced) png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected row layout");

    state->bitmap = Bitmap::make(width, height);
    if (!state->bitmap) png_error(png, "out of memory");
}

void onRow(png_structp png, png_bytep row, png_uint_32 rowNumber, int) {
    auto* state = static_cast<ReadState*>(png_get_progressive_ptr(png));
    if (!row || !state->bitmap || rowNumber >= state->bitmap->height) return;
    uint8_t* target = state->bitmap->row(rowNumber);
    state->anyRow = true;
    if (state->interlaced) {
        // Copies this pass's pixels replicated over their Adam7 blocks.
        png_progressive_combine_row(png, target, row);
    } else {
        std::memcpy(target, row, state->bitmap->bytesPerRow());
        state->rowsSeen = std::max(state->rowsSeen, rowNumber + 1);
    }
}

void onEnd(png_structp png, png_infop) { static_cast<ReadState*>(png_get_progressive_ptr(png))->ended = true; }

// Kept free of C++ objects: libpng leaves through longjmp on bad data.
bool process(png_structp png, png_infop info, const uint8_t* data, size_t size) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_process_data(png, info, const_cast<png_bytep>(data), size);
    return true;
}

std::optional<Bitmap> decodePng(Bytes bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return std::nullopt;
    }
    ReadState state;
    state.inputBytes = bytes.size();
    png_set_user_limits(png, uint32_t(kMaxPixels), uint32_t(kMaxPixels));
    png_set_progressive_read_fn(png, &state, onInfo, onRow, onEnd);
    const bool sound = process(png, info, bytes.data(), bytes.size());
    png_destroy_read_struct(&png, &info, nullptr);

    // Bad data (a wrong CRC, a broken stream) gives no image, even when rows came before it; data
    // that merely stops early gives the rows so far.
    if (!sound || !state.bitmap) return std::nullopt;
    const bool complete = state.ended || (!state.interlaced && state.rowsSeen == state.bitmap->height);
    if (!state.anyRow) return std::nullopt;
    state.bitmap->alphaInfo = state.hasAlpha || !complete ? kAlphaLast : kAlphaNoneSkipLast;
    return std::move(state.bitmap);
}

// The bit depths each colour type allows.
bool depthAllowed(uint8_t colorType, uint8_t depth) {
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

class PngDecoder final : public Decoder {
public:
    Header parse(Bytes b, bool final) override {
        Header h;
        if (b.size() < 33) {
            h.status = final ? Status::UnexpectedEOF : Status::ReadingHeader;
            return h;
        }
        if (be32(&b[8]) != 13 || std::memcmp(&b[12], "IHDR", 4) != 0) {
            h.status = Status::InvalidData;
            return h;
        }
        const uint32_t width = be32(&b[16]), height = be32(&b[20]);
        const uint8_t depth = b[24], colorType = b[25], interlace = b[28];
        if (!sizeAllowed(width, height) || !depthAllowed(colorType, depth) || b[26] != 0 || b[27] != 0 ||
            interlace > 1 || crc32(crc32(0, nullptr, 0), &b[12], 17) != be32(&b[29])) {
            h.status = Status::InvalidData;
            return h;
        }
        bool trns = false, sawData = false, ended = false;
        for (size_t pos = 8; pos + 12 <= b.size();) {
            const uint32_t length = be32(&b[pos]);
            if (length > 0x7FFFFFFFu) {
                h.status = Status::InvalidData;
                return h;
            }
            const uint8_t* type = &b[pos + 4];
            if (std::memcmp(type, "IDAT", 4) == 0) sawData = true;
            if (std::memcmp(type, "tRNS", 4) == 0 && !sawData) trns = true;
            if (std::memcmp(type, "IEND", 4) == 0) {
                ended = true;
                break;
            }
            pos += size_t(length) + 12;
        }
        if (!sawData && (ended || final)) {
            h.status = Status::InvalidData; // no image data at all
            return h;
        }
        Properties frame = frameProperties(width, height, (colorType & 4) || trns,
                                           (colorType & 2) || colorType == 3 ? colormodel::RGB : colormodel::Gray);
        frame.set(key::PNGDictionary, Properties{{key::PNGInterlaceType, int(interlace)}});
        h.frames.push_back(std::move(frame));
        h.status = ended ? Status::Complete : final ? Status::UnexpectedEOF : Status::Incomplete;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes bytes, bool) override {
        if (index != 0) return std::nullopt;
        return decodePng(bytes);
    }
};

void appendToVector(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void flushNothing(png_structp) {}

bool write(png_structp png, png_infop info, const Bitmap& bitmap, std::vector<uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    const bool alpha = bitmap.alphaInfo != kAlphaNoneSkipLast;
    png_set_write_fn(png, out, appendToVector, flushNothing);
    png_set_IHDR(png, info, bitmap.width, bitmap.height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER); // drops the skipped byte
    for (uint32_t y = 0; y < bitmap.height; ++y) png_write_row(png, const_cast<png_bytep>(bitmap.row(y)));
    png_write_end(png, info);
    return true;
}

} // namespace

std::unique_ptr<Decoder> makePngDecoder() { return std::make_unique<PngDecoder>(); }

std::optional<Bitmap> decodePngImage(Bytes bytes) {
    uint32_t w = 0, h = 0;
    if (!pngSize(bytes, w, h)) return std::nullopt;
    return decodePng(bytes);
}

bool pngSize(Bytes b, uint32_t& width, uint32_t& height) {
    if (b.size() < 24 || std::memcmp(b.data(), kSignature, 8) != 0 || std::memcmp(&b[12], "IHDR", 4) != 0) return false;
    width = be32(&b[16]);
    height = be32(&b[20]);
    return sizeAllowed(width, height);
}

bool encodePngImage(const Bitmap& bitmap, std::vector<uint8_t>& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> bytes;
    const bool ok = info && write(png, info, bitmap, &bytes);
    png_destroy_write_struct(&png, &info);
    if (ok) out.insert(out.end(), bytes.begin(), bytes.end());
    return ok;
}

bool encodePng(const std::vector<EncodeFrame>& frames, const Properties&, std::vector<uint8_t>& out) {
    return !frames.empty() && encodePngImage(frames.front().bitmap, out);
}

} // namespace imageio::detail
