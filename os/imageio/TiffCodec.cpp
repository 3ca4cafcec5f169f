// TIFF through libtiff on memory: every directory is one image, read with the RGBA interface
// (which hands out premultiplied alpha).

#include "os/imageio/Codec.h"

#include <algorithm>
#include <cstdarg>
#include <tiffio.h>

namespace imageio::detail {
namespace {

// Reads from outside bytes, or writes into a growing vector.
struct Memory {
    Bytes in;
    std::vector<uint8_t>* out = nullptr;
    uint64_t position = 0;
    uint64_t size() const { return out ? out->size() : in.size(); }
};

tmsize_t readProc(thandle_t h, void* buffer, tmsize_t length) {
    auto* m = static_cast<Memory*>(h);
    const uint8_t* base = m->out ? m->out->data() : m->in.data();
    if (length <= 0 || m->position >= m->size()) return 0;
    const uint64_t n = std::min<uint64_t>(uint64_t(length), m->size() - m->position);
    std::memcpy(buffer, base + m->position, size_t(n));
    m->position += n;
    return tmsize_t(n);
}
tmsize_t writeProc(thandle_t h, void* buffer, tmsize_t length) {
    auto* m = static_cast<Memory*>(h);
    if (!m->out || length < 0) return -1;
    const uint64_t end = m->position + uint64_t(length);
    if (end > m->out->size()) m->out->resize(size_t(end));
    std::memcpy(m->out->data() + m->position, buffer, size_t(length));
    m->position = end;
    return length;
}
toff_t seekProc(thandle_t h, toff_t offset, int whence) {
    auto* m = static_cast<Memory*>(h);
    const int64_t base = whence == SEEK_CUR ? int64_t(m->position) : whence == SEEK_END ? int64_t(m->size()) : 0;
    const int64_t target = base + int64_t(offset);
    if (target < 0) return toff_t(-1);
    m->position = uint64_t(target);
    return m->position;
}
int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t h) { return static_cast<Memory*>(h)->size(); }
int mapProc(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<Memory*>(h);
    if (m->out) return 0;
    *base = const_cast<uint8_t*>(m->in.data());
    *size = m->in.size();
    return 1;
}
void unmapProc(thandle_t, void*, toff_t) {}

int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* open(Memory& memory, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kMaxPixels * 4));
    TIFF* tif = TIFFClientOpenExt("memory", mode, &memory, readProc, writeProc, seekProc, closeProc, sizeProc,
                                  mapProc, unmapProc, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

struct DirectoryInfo {
    uint32_t width = 0, height = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    bool alpha = false;
    uint16_t photometric = PHOTOMETRIC_RGB;
    double pixelsPerByte = kDensePixelsPerByte; // at the directory's own compression
};

DirectoryInfo describe(TIFF* tif) {
    DirectoryInfo d;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &d.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &d.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &d.orientation);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &d.photometric);
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0 && extra)
        d.alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
    uint16_t compression = COMPRESSION_NONE, bits = 1, samples = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    const uint32_t bitsPerPixel = std::max<uint32_t>(1, uint32_t(bits) * samples);
    switch (compression) {
    case COMPRESSION_NONE: d.pixelsPerByte = rawPixelsPerByte(bitsPerPixel); break;
    case COMPRESSION_PACKBITS: d.pixelsPerByte = 64 * rawPixelsPerByte(bitsPerPixel); break; // 128 bytes in 2
    case COMPRESSION_LZW: d.pixelsPerByte = kLzwPixelsPerByte * rawPixelsPerByte(bitsPerPixel); break;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: d.pixelsPerByte = deflatedPixelsPerByte(bitsPerPixel); break;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: d.pixelsPerByte = kJpegPixelsPerByte; break;
    default: break; // fax and the rest: the dense bound
    }
    return d;
}

class TiffDecoder final : public Decoder {
public:
    Header parse(Bytes bytes, bool final) override {
        Header h;
        Memory memory{bytes};
        TIFF* tif = open(memory, "rm");
        if (!tif) {
            h.status = final ? Status::InvalidData : Status::ReadingHeader;
            return h;
        }
        do {
            const DirectoryInfo d = describe(tif);
            if (!sizeAllowed(d.width, d.height)) break;
            const char* model = d.photometric == PHOTOMETRIC_MINISBLACK || d.photometric == PHOTOMETRIC_MINISWHITE
                                    ? colormodel::Gray
                                : d.photometric == PHOTOMETRIC_SEPARATED ? colormodel::CMYK
                                                                         : colormodel::RGB;
            Properties frame = frameProperties(d.width, d.height, d.alpha, model);
            if (d.orientation >= 1 && d.orientation <= 8) {
                frame.set(key::Orientation, int(d.orientation));
                frame.set(key::TIFFDictionary, Properties{{key::TIFFOrientation, int(d.orientation)}});
            }
            h.frames.push_back(std::move(frame));
        } while (h.frames.size() < kMaxFrames && TIFFReadDirectory(tif));
        TIFFClose(tif);
        h.status = h.frames.empty() ? Status::InvalidData : final ? Status::Complete : Status::Incomplete;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes bytes, bool) override {
        if (index >= kMaxFrames) return std::nullopt;
        Memory memory{bytes};
        TIFF* tif = open(memory, "rm");
        if (!tif) return std::nullopt;
        std::optional<Bitmap> bitmap;
        if (TIFFSetDirectory(tif, tdir_t(index))) {
            const DirectoryInfo d = describe(tif);
            if (canvasAffordable(d.width, d.height, bytes.size(), d.pixelsPerByte))
                bitmap = Bitmap::make(d.width, d.height, d.alpha ? kAlphaPremultipliedLast : kAlphaNoneSkipLast);
            // Rows in stored order: the orientation is reported, not applied.
            if (bitmap && !TIFFReadRGBAImageOriented(tif, d.width, d.height,
                                                     reinterpret_cast<uint32_t*>(bitmap->pixels.data()),
                                                     d.orientation >= 1 && d.orientation <= 4 ? d.orientation
                                                                                              : ORIENTATION_TOPLEFT,
                                                     0))
                bitmap.reset();
        }
        TIFFClose(tif);
        return bitmap;
    }
};

bool writeDirectory(TIFF* tif, const Bitmap& bitmap) {
    const bool alpha = bitmap.alphaInfo != kAlphaNoneSkipLast;
    const uint16_t samples = alpha ? 4 : 3;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, bitmap.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, bitmap.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (alpha) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<uint8_t> row(size_t(bitmap.width) * samples);
    for (uint32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* from = bitmap.row(y);
        for (uint32_t x = 0; x < bitmap.width; ++x)
            std::memcpy(&row[size_t(x) * samples], from + size_t(x) * 4, samples);
        if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
    }
    return TIFFWriteDirectory(tif) != 0;
}

} // namespace

std::unique_ptr<Decoder> makeTiffDecoder() { return std::make_unique<TiffDecoder>(); }

bool encodeTiff(const std::vector<EncodeFrame>& frames, const Properties&, std::vector<uint8_t>& out) {
    if (frames.empty()) return false;
    std::vector<uint8_t> bytes;
    Memory memory{{}, &bytes};
    TIFF* tif = open(memory, "w");
    if (!tif) return false;
    bool ok = true;
    for (const EncodeFrame& frame : frames) ok = ok && writeDirectory(tif, frame.bitmap);
    TIFFClose(tif);
    if (ok) out.insert(out.end(), bytes.begin(), bytes.end());
    return ok;
}

} // namespace imageio::detail
