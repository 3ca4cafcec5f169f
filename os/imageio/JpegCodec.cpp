// JPEG through libjpeg-turbo with a suspending source: partial data gives the rows decoded so far,
// and a progressive image shows its last completed scan (buffered-image mode).

#include "os/imageio/Codec.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace imageio::detail {
namespace {

constexpr int kMaxScans = 500; // bounds the work a hostile progressive file can ask for

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }
void silent(j_common_ptr, int) {}
void silentOutput(j_common_ptr) {}

void limitScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        errorExit(cinfo);
}

// All bytes so far in one buffer. Running out suspends, or for final data ends the image with a fake EOI.
struct Source {
    jpeg_source_mgr pub;
    bool final = false;
};

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}
boolean fillInput(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    if (!src->final) return FALSE;
    src->pub.next_input_byte = kFakeEoi;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}
void skipInput(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    if (count <= 0) return;
    if (size_t(count) > src->pub.bytes_in_buffer) {
        src->pub.next_input_byte += src->pub.bytes_in_buffer;
        src->pub.bytes_in_buffer = 0;
        return;
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= size_t(count);
}
void termSource(j_decompress_ptr) {}

struct Run {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    Source src;
    jpeg_progress_mgr progress;
    JDIMENSION rows = 0; // output rows written
};

void setUp(Run& run, Bytes bytes, bool final) {
    run.cinfo.err = jpeg_std_error(&run.err.pub);
    run.err.pub.error_exit = errorExit;
    run.err.pub.emit_message = silent;
    run.err.pub.output_message = silentOutput;
    jpeg_create_decompress(&run.cinfo);
    run.src.final = final;
    run.src.pub.init_source = initSource;
    run.src.pub.fill_input_buffer = fillInput;
    run.src.pub.skip_input_data = skipInput;
    run.src.pub.resync_to_restart = jpeg_resync_to_restart;
    run.src.pub.term_source = termSource;
    run.src.pub.next_input_byte = bytes.data();
    run.src.pub.bytes_in_buffer = bytes.size();
    run.cinfo.src = &run.src.pub;
    run.progress.progress_monitor = limitScans;
    run.cinfo.progress = &run.progress;
}

// The steps below are kept free of C++ objects: libjpeg leaves through longjmp on bad data.
bool readHeader(Run& run) {
    if (setjmp(run.err.jump)) return false;
    return jpeg_read_header(&run.cinfo, TRUE) == JPEG_HEADER_OK;
}

// Up to a band of blocks per call (16 rows at most, for 2x2 subsampling): one pass through the
// library's row machinery per band instead of per row.
void readRows(Run& run, uint8_t* pixels, size_t bytesPerRow) {
    j_decompress_ptr c = &run.cinfo;
    constexpr JDIMENSION kBand = 16;
    JSAMPROW rows[kBand];
    while (c->output_scanline < c->output_height) {
        const JDIMENSION count = std::min(kBand, c->output_height - c->output_scanline);
        for (JDIMENSION i = 0; i < count; ++i) rows[i] = pixels + size_t(c->output_scanline + i) * bytesPerRow;
        if (jpeg_read_scanlines(c, rows, count) == 0) break;
        run.rows = c->output_scanline;
    }
}

// Sequential decoding: rows as far as the data go.
bool decodeSequential(Run& run, uint8_t* pixels, size_t bytesPerRow) {
    if (setjmp(run.err.jump)) return run.rows > 0;
    if (!jpeg_start_decompress(&run.cinfo)) return false;
    readRows(run, pixels, bytesPerRow);
    return true;
}

// Buffered-image decoding of partial multi-scan data: the picture as of the last completed scan.
bool decodeBuffered(Run& run, uint8_t* pixels, size_t bytesPerRow) {
    if (setjmp(run.err.jump)) return run.rows > 0;
    j_decompress_ptr c = &run.cinfo;
    c->buffered_image = TRUE;
    if (!jpeg_start_decompress(c)) return false;
    int lastComplete = 0;
    for (;;) {
        const int r = jpeg_consume_input(c);
        if (r == JPEG_SUSPENDED) break;
        if (r == JPEG_SCAN_COMPLETED || r == JPEG_REACHED_EOI) lastComplete = c->input_scan_number;
        if (r == JPEG_REACHED_EOI) break;
    }
    if (lastComplete == 0) return false;
    // Smoothing would wait for rows of the next scan; the picture as it stands is wanted.
    c->do_block_smoothing = FALSE;
    if (!jpeg_start_output(c, lastComplete)) return false;
    readRows(run, pixels, bytesPerRow);
    return true;
}

// Adobe CMYK files store inverted inks.
void cmykToRgba(Bitmap& bitmap, bool inverted) {
    for (size_t i = 0; i + 3 < bitmap.pixels.size(); i += 4) {
        uint8_t* p = &bitmap.pixels[i];
        int c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        p[0] = uint8_t((c * k + 127) / 255);
        p[1] = uint8_t((m * k + 127) / 255);
        p[2] = uint8_t((y * k + 127) / 255);
        p[3] = 0xFF;
    }
}

// displayOrder: B,G,R,A straight from libjpeg-turbo's colour conversion, so an image wanted for
// display needs no second pass (every decoded pixel is opaque: nothing to premultiply).
std::optional<Bitmap> decodeJpeg(Bytes bytes, bool final, bool displayOrder) {
    Run run;
    setUp(run, bytes, final);
    std::optional<Bitmap> bitmap;
    if (readHeader(run) && canvasAffordable(run.cinfo.image_width, run.cinfo.image_height, bytes.size(), kJpegPixelsPerByte)) {
        const bool cmyk = run.cinfo.jpeg_color_space == JCS_CMYK || run.cinfo.jpeg_color_space == JCS_YCCK;
        displayOrder = displayOrder && !cmyk;
        run.cinfo.out_color_space = cmyk ? JCS_CMYK : displayOrder ? JCS_EXT_BGRA : JCS_EXT_RGBA;
        bitmap = Bitmap::make(run.cinfo.image_width, run.cinfo.image_height);
        if (bitmap) {
            const bool buffered = !final && jpeg_has_multiple_scans(&run.cinfo);
            const bool ok = buffered ? decodeBuffered(run, bitmap->pixels.data(), bitmap->bytesPerRow())
                                     : decodeSequential(run, bitmap->pixels.data(), bitmap->bytesPerRow());
            if (!ok || run.rows == 0) {
                bitmap.reset();
            } else {
                if (cmyk) cmykToRgba(*bitmap, run.cinfo.saw_Adobe_marker);
                // Rows past the last whole band are not shown: cleared (the CMYK conversion turned
                // them opaque, and a band cut short by an error may have written some of them).
                if (cmyk || run.rows < bitmap->height)
                    std::fill(bitmap->pixels.begin() + ptrdiff_t(run.rows * bitmap->bytesPerRow()), bitmap->pixels.end(), 0);
                bitmap->alphaInfo = run.rows == bitmap->height ? kAlphaNoneSkipLast : kAlphaLast;
                if (displayOrder) {
                    // Rows not yet received are zero: transparent, and validly premultiplied.
                    bitmap->alphaInfo = run.rows == bitmap->height ? kAlphaNoneSkipFirst : kAlphaPremultipliedFirst;
                    bitmap->byteOrder = kByteOrder32Little;
                }
            }
        }
    }
    jpeg_destroy_decompress(&run.cinfo);
    return bitmap;
}

bool isStandalone(uint8_t marker) { return marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7); }
bool isFrameHeader(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

class JpegDecoder final : public Decoder {
public:
    Header parse(Bytes b, bool final) override {
        Header h;
        int orientation = 0;
        bool sawFrame = false, progressive = false, sawScan = false;
        uint32_t width = 0, height = 0, components = 0;
        size_t pos = 2;
        while (pos + 4 <= b.size()) {
            if (b[pos] != 0xFF) { // stray bytes between segments
                ++pos;
                continue;
            }
            const uint8_t marker = b[pos + 1];
            if (marker == 0xFF) {
                ++pos;
                continue;
            }
            if (isStandalone(marker)) {
                pos += 2;
                continue;
            }
            if (marker == 0xD9) break;
            const size_t length = be16(&b[pos + 2]);
            if (length < 2) {
                h.status = Status::InvalidData;
                return h;
            }
            if (pos + 2 + length > b.size()) break;
            const Bytes payload = b.subspan(pos + 4, length - 2);
            if (marker == 0xE1 && orientation == 0) orientation = exifOrientation(payload);
            if (isFrameHeader(marker) && !sawFrame && payload.size() >= 6) {
                sawFrame = true;
                height = be16(&payload[1]);
                width = be16(&payload[3]);
                components = payload[5];
                progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            }
            if (marker == 0xDA) {
                sawScan = true;
                break;
            }
            pos += 2 + length;
        }
        if (!sawFrame) {
            h.status = final ? Status::UnexpectedEOF : Status::ReadingHeader;
            return h;
        }
        if (!sizeAllowed(width, height)) {
            h.status = Status::InvalidData;
            return h;
        }
        Properties frame = frameProperties(width, height, false,
                                           components == 1   ? colormodel::Gray
                                           : components == 4 ? colormodel::CMYK
                                                             : colormodel::RGB);
        if (orientation) frame.set(key::Orientation, orientation);
        frame.set(key::JFIFDictionary, Properties{{key::JFIFIsProgressive, progressive}});
        h.frames.push_back(std::move(frame));
        if (!final) h.status = Status::Incomplete;
        else h.status = sawScan && hasEndMarker(b.subspan(pos)) ? Status::Complete : Status::UnexpectedEOF;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes bytes, bool final) override {
        if (index != 0) return std::nullopt;
        return decodeJpeg(bytes, final, preferDisplayOrder);
    }

private:
    static bool hasEndMarker(Bytes b) {
        for (size_t i = b.size(); i >= 2; --i)
            if (b[i - 2] == 0xFF && b[i - 1] == 0xD9) return true;
        return false;
    }
};

void appendRows(jpeg_compress_struct& c, const Bitmap& bitmap) {
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bitmap.row(c.next_scanline));
        jpeg_write_scanlines(&c, &row, 1);
    }
}

bool compress(jpeg_compress_struct& c, ErrorManager& err, const Bitmap& bitmap, int quality, unsigned char** buffer,
              unsigned long* size) {
    if (setjmp(err.jump)) return false;
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, buffer, size);
    c.image_width = bitmap.width;
    c.image_height = bitmap.height;
    c.input_components = 4;
    c.in_color_space = JCS_EXT_RGBX;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    appendRows(c, bitmap);
    jpeg_finish_compress(&c);
    return true;
}

} // namespace

std::unique_ptr<Decoder> makeJpegDecoder() { return std::make_unique<JpegDecoder>(); }

// Quality 0..1 maps onto libjpeg's 1..100; 0.75 when not given.
bool encodeJpeg(const std::vector<EncodeFrame>& frames, const Properties& container, std::vector<uint8_t>& out) {
    if (frames.empty()) return false;
    const double quality = lossyQuality(frames, container).value_or(0.75);
    const int level = int(std::lround(std::clamp(quality, 0.0, 1.0) * 100));

    jpeg_compress_struct c{};
    ErrorManager err{};
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = silent;
    err.pub.output_message = silentOutput;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = compress(c, err, frames.front().bitmap, std::clamp(level, 1, 100), &buffer, &size);
    jpeg_destroy_compress(&c);
    if (ok) out.insert(out.end(), buffer, buffer + size);
    std::free(buffer);
    return ok;
}

} // namespace imageio::detail
