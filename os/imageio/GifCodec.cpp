// GIF through giflib, read record by record so that truncated data still give the frames and rows
// received. Frames come out composited on the full canvas: offsets, transparency and disposal applied.

#include "os/imageio/Codec.h"

#include <algorithm>
#include <cmath>
#include <gif_lib.h>
#include <map>

namespace imageio::detail {
namespace {

// Delays below 0.011 s play at 0.1 s, as browsers do.
double clampedDelay(double seconds) { return seconds < 0.011 ? 0.1 : seconds; }

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

Rect clip(Rect r, int width, int height) {
    const int x0 = std::clamp(r.x, 0, width), y0 = std::clamp(r.y, 0, height);
    const int x1 = std::clamp(r.x + r.w, 0, width), y1 = std::clamp(r.y + r.h, 0, height);
    return {x0, y0, x1 - x0, y1 - y0};
}

void clearRect(Bitmap& canvas, Rect r) {
    for (int y = r.y; y < r.y + r.h; ++y) std::memset(canvas.row(uint32_t(y)) + size_t(r.x) * 4, 0, size_t(r.w) * 4);
}

// Row of the n-th line delivered by an interlaced image.
int interlacedRow(int n, int height) {
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
        if (n < rows) return kStart[pass] + n * kStep[pass];
        n -= rows;
    }
    return -1;
}

int readFromBytes(GifFileType* gif, GifByteType* buffer, int length);

// A reader positioned after some frames, with the canvas as the next frame will find it.
struct Playback {
    GifFileType* gif = nullptr;
    Bytes bytes;
    size_t position = 0;
    size_t nextFrame = 0;
    std::optional<Bitmap> canvas;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};

    ~Playback() { close(); }
    void close() {
        if (gif) DGifCloseFile(gif, nullptr);
        gif = nullptr;
        canvas.reset();
    }
    bool open(Bytes data, uint32_t width, uint32_t height) {
        close();
        bytes = data;
        position = 0;
        nextFrame = 0;
        control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        int error = 0;
        gif = DGifOpen(this, readFromBytes, &error);
        if (gif) canvas = Bitmap::make(width, height);
        if (!canvas) close();
        return gif != nullptr;
    }
};

int readFromBytes(GifFileType* gif, GifByteType* buffer, int length) {
    auto* p = static_cast<Playback*>(gif->UserData);
    const size_t n = std::min(size_t(std::max(length, 0)), p->bytes.size() - p->position);
    std::memcpy(buffer, p->bytes.data() + p->position, n);
    p->position += n;
    return int(n);
}

class GifDecoder final : public Decoder {
public:
    Header parse(Bytes b, bool final) override {
        playback_.close(); // the bytes changed
        Header h;
        if (b.size() < 13) {
            h.status = final ? Status::UnexpectedEOF : Status::ReadingHeader;
            return h;
        }
        width_ = le16(&b[6]);
        height_ = le16(&b[8]);
        const bool globalMap = b[10] & 0x80;
        size_t pos = 13 + (globalMap ? 3u << ((b[10] & 7) + 1) : 0);
        std::optional<int> loopCount;
        int delay = 0;
        bool ended = false, broken = false;
        std::vector<int> delays;

        // Walks sub-blocks from at; returns the offset after the terminator, or 0 when they run past the end.
        auto skipBlocks = [&](size_t at) -> size_t {
            while (at < b.size()) {
                if (b[at] == 0) return at + 1;
                at += size_t(b[at]) + 1;
            }
            return 0;
        };
        while (pos < b.size()) {
            const uint8_t kind = b[pos];
            if (kind == 0x3B) {
                ended = true;
                break;
            }
            if (kind == 0x21) {
                if (pos + 2 >= b.size()) break;
                const uint8_t label = b[pos + 1];
                const size_t end = skipBlocks(pos + 2);
                if (!end) break;
                const uint8_t* block = &b[pos + 2];
                if (label == 0xF9 && block[0] >= 4) delay = le16(block + 2);
                if (label == 0xFF && block[0] == 11 && (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 ||
                                                       std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0)) {
                    const uint8_t* sub = block + 12;
                    if (sub + 4 <= b.data() + end && sub[0] >= 3 && sub[1] == 1) loopCount = le16(sub + 2);
                }
                pos = end;
            } else if (kind == 0x2C) {
                if (pos + 10 > b.size()) break;
                const uint8_t flags = b[pos + 9];
                if (delays.empty() && (width_ == 0 || height_ == 0)) {
                    width_ = le16(&b[pos + 5]);
                    height_ = le16(&b[pos + 7]);
                }
                const size_t data = pos + 10 + (flags & 0x80 ? 3u << ((flags & 7) + 1) : 0);
                if (data >= b.size()) break;
                if (delays.size() == kMaxFrames) {
                    ended = true;
                    break;
                }
                delays.push_back(delay); // counted once its header and colour map are in
                delay = 0;
                pos = skipBlocks(data + 1);
                if (!pos) break;
            } else {
                broken = true;
                break;
            }
        }
        if (delays.empty()) {
            h.status = broken ? Status::InvalidData : final ? Status::UnexpectedEOF : Status::ReadingHeader;
            return h;
        }
        if (!sizeAllowed(width_, height_)) {
            h.status = Status::InvalidData;
            return h;
        }
        Properties gif;
        gif.set(key::GIFHasGlobalColorMap, globalMap);
        if (loopCount) gif.set(key::GIFLoopCount, *loopCount);
        h.container.set(key::GIFDictionary, std::move(gif));
        for (int centiseconds : delays) {
            Properties frame = frameProperties(width_, height_, true);
            const double seconds = centiseconds / 100.0;
            frame.set(key::GIFDictionary, Properties{{key::GIFDelayTime, clampedDelay(seconds)},
                                                     {key::GIFUnclampedDelayTime, seconds}});
            h.frames.push_back(std::move(frame));
        }
        h.status = broken ? Status::InvalidData : ended ? Status::Complete : final ? Status::UnexpectedEOF : Status::Incomplete;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes bytes, bool) override {
        if (!playback_.gif || playback_.bytes.data() != bytes.data() || playback_.bytes.size() != bytes.size() ||
            playback_.nextFrame > index) {
            if (!canvasAffordable(width_, height_, bytes.size(), kLzwPixelsPerByte) ||
                !playback_.open(bytes, width_, height_))
                return std::nullopt;
        }
        std::optional<Bitmap> shown;
        while (playback_.gif && playback_.nextFrame <= index) {
            GifRecordType record;
            if (DGifGetRecordType(playback_.gif, &record) == GIF_ERROR) break;
            if (record == EXTENSION_RECORD_TYPE) {
                if (!readExtension()) break;
            } else if (record == IMAGE_DESC_RECORD_TYPE) {
                const bool wanted = playback_.nextFrame == index;
                if (!drawFrame(wanted ? &shown : nullptr)) break;
            } else {
                break;
            }
        }
        if (playback_.nextFrame <= index) playback_.close(); // ran out of data or hit an error
        return shown;
    }

private:
    bool readExtension() {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(playback_.gif, &code, &block) == GIF_ERROR) return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
            DGifExtensionToGCB(4, block + 1, &playback_.control);
        while (block) {
            if (DGifGetExtensionNext(playback_.gif, &block) == GIF_ERROR) return false;
        }
        return true;
    }

    // Draws the next frame, hands out the canvas as shown when asked, then applies the frame's disposal.
    // False when the frame's data broke off (the canvas shows the rows that arrived).
    bool drawFrame(std::optional<Bitmap>* shown) {
        GifFileType* gif = playback_.gif;
        if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
        Bitmap& canvas = *playback_.canvas;
        const GifImageDesc& desc = gif->Image;
        const Rect frame{desc.Left, desc.Top, desc.Width, desc.Height};
        const Rect visible = clip(frame, int(canvas.width), int(canvas.height));
        const GraphicsControlBlock control = playback_.control;
        playback_.control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};

        std::vector<uint8_t> saved; // what disposal "previous" puts back
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            for (int y = visible.y; y < visible.y + visible.h; ++y) {
                const uint8_t* row = canvas.row(uint32_t(y)) + size_t(visible.x) * 4;
                saved.insert(saved.end(), row, row + size_t(visible.w) * 4);
            }
        }

        bool complete = true;
        if (frame.w <= 0 || frame.h <= 0 || uint64_t(frame.w) * uint64_t(frame.h) > kMaxPixels) {
            complete = skipImageData();
        } else {
            const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
            // Palette as RGBA; alpha 0 marks the transparent index and indexes past the map.
            uint8_t palette[256][4] = {};
            for (int i = 0; map && i < std::min(map->ColorCount, 256); ++i) {
                if (i == control.TransparentColor) continue;
                const GifColorType& c = map->Colors[i];
                palette[i][0] = c.Red, palette[i][1] = c.Green, palette[i][2] = c.Blue, palette[i][3] = 0xFF;
            }
            std::vector<GifPixelType> line(size_t(frame.w));
            for (int n = 0; n < frame.h; ++n) {
                if (DGifGetLine(gif, line.data(), frame.w) == GIF_ERROR) {
                    complete = false;
                    break;
                }
                const int y = frame.y + (desc.Interlace ? interlacedRow(n, frame.h) : n);
                if (!map || y < visible.y || y >= visible.y + visible.h) continue;
                uint8_t* out = canvas.row(uint32_t(y));
                const GifPixelType* in = line.data() + (visible.x - frame.x);
                uint8_t* p = out + size_t(visible.x) * 4;
                for (int x = 0; x < visible.w; ++x, p += 4) {
                    const uint8_t* color = palette[in[x]];
                    if (color[3]) std::memcpy(p, color, 4);
                }
            }
        }
        if (shown) *shown = canvas;
        if (!complete) return false;

        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            clearRect(canvas, visible); // to transparent, not to the background colour
        } else if (control.DisposalMode == DISPOSE_PREVIOUS && !saved.empty()) {
            const uint8_t* from = saved.data();
            for (int y = visible.y; y < visible.y + visible.h; ++y, from += size_t(visible.w) * 4)
                std::memcpy(canvas.row(uint32_t(y)) + size_t(visible.x) * 4, from, size_t(visible.w) * 4);
        }
        ++playback_.nextFrame;
        return true;
    }

    bool skipImageData() {
        int codeSize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(playback_.gif, &codeSize, &block) == GIF_ERROR) return false;
        while (block) {
            if (DGifGetCodeNext(playback_.gif, &block) == GIF_ERROR) return false;
        }
        return true;
    }

    uint32_t width_ = 0, height_ = 0;
    Playback playback_;
};

// --- Writing ---------------------------------------------------------------------------------

int appendToVector(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// Palette indexes for one frame: exact colours when they fit, giflib's median cut otherwise.
// Pixels with alpha below 128 take the transparent index, the last one of the map.
struct Indexed {
    std::vector<GifPixelType> pixels;
    GifColorType colors[256]{};
    int colorCount = 0;
    int transparent = NO_TRANSPARENT_COLOR;
};

bool quantize(const Bitmap& bitmap, uint32_t width, uint32_t height, Indexed& out) {
    const size_t count = size_t(width) * height;
    out.pixels.assign(count, 0);
    bool anyTransparent = false;
    std::map<uint32_t, int> exact;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = bitmap.row(y);
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + x * 4;
            if (p[3] < 128) {
                anyTransparent = true;
                continue;
            }
            if (exact.size() <= 256) exact.emplace(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2], 0);
        }
    }
    const int opaqueSlots = anyTransparent ? 255 : 256;
    auto pixelAt = [&](size_t i) { return bitmap.row(uint32_t(i / width)) + (i % width) * 4; };
    auto isTransparent = [&](size_t i) { return pixelAt(i)[3] < 128; };

    if (int(exact.size()) <= opaqueSlots) {
        int next = 0;
        for (auto& [rgb, index] : exact) {
            index = next++;
            out.colors[index] = {GifByteType(rgb >> 16), GifByteType(rgb >> 8), GifByteType(rgb)};
        }
        out.colorCount = next;
        for (size_t i = 0; i < count; ++i) {
            if (isTransparent(i)) continue;
            const uint8_t* p = pixelAt(i);
            out.pixels[i] = GifPixelType(exact[uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]]);
        }
    } else {
        std::vector<GifByteType> r(count), g(count), b(count);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* p = pixelAt(i);
            r[i] = p[0], g[i] = p[1], b[i] = p[2];
        }
        int size = opaqueSlots;
        if (GifQuantizeBuffer(width, height, &size, r.data(), g.data(), b.data(), out.pixels.data(), out.colors) ==
            GIF_ERROR)
            return false;
        out.colorCount = size;
    }
    if (anyTransparent) {
        out.transparent = out.colorCount; // at most 255: one slot was kept free
        out.colorCount = out.transparent + 1;
        for (size_t i = 0; i < count; ++i)
            if (isTransparent(i)) out.pixels[i] = GifPixelType(out.transparent);
    }
    out.colorCount = std::max(out.colorCount, 2);
    return true;
}

double numberIn(const Properties& properties, const char* dictionary, const char* name, double fallback) {
    const ns::Value& v = properties[dictionary][name];
    return v.isNumber() ? v.doubleValue() : fallback;
}

bool writeGif(GifFileType* gif, const std::vector<EncodeFrame>& frames, const Properties& container) {
    const Bitmap& first = frames.front().bitmap;
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, int(first.width), int(first.height), 8, 0, nullptr) == GIF_ERROR) return false;

    const ns::Value& loop = container[key::GIFDictionary][key::GIFLoopCount];
    if (loop.isNumber()) {
        const int count = int(std::clamp<long long>(loop.integerValue(), 0, 65535));
        const GifByteType loopBlock[3] = {1, GifByteType(count & 0xFF), GifByteType(count >> 8)};
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 3, loopBlock) == GIF_ERROR || EGifPutExtensionTrailer(gif) == GIF_ERROR)
            return false;
    }

    for (const EncodeFrame& frame : frames) {
        const uint32_t width = std::min(frame.bitmap.width, first.width);
        const uint32_t height = std::min(frame.bitmap.height, first.height);
        Indexed indexed;
        if (!quantize(frame.bitmap, width, height, indexed)) return false;

        double delay = numberIn(frame.properties, key::GIFDictionary, key::GIFDelayTime, -1);
        if (delay < 0) delay = numberIn(frame.properties, key::GIFDictionary, key::GIFUnclampedDelayTime, 0);
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_BACKGROUND; // every written frame stands alone
        control.DelayTime = int(std::clamp(std::lround(delay * 100), 0L, 65535L));
        control.TransparentColor = indexed.transparent;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR) return false;

        const int mapSize = 1 << GifBitSize(indexed.colorCount);
        ColorMapObject* map = GifMakeMapObject(mapSize, indexed.colors);
        if (!map) return false;
        const bool ok = EGifPutImageDesc(gif, 0, 0, int(width), int(height), false, map) != GIF_ERROR;
        GifFreeMapObject(map);
        if (!ok) return false;
        for (uint32_t y = 0; y < height; ++y)
            if (EGifPutLine(gif, indexed.pixels.data() + size_t(y) * width, int(width)) == GIF_ERROR) return false;
    }
    return true;
}

} // namespace

std::unique_ptr<Decoder> makeGifDecoder() { return std::make_unique<GifDecoder>(); }

bool encodeGif(const std::vector<EncodeFrame>& frames, const Properties& container, std::vector<uint8_t>& out) {
    if (frames.empty() || frames.front().bitmap.width > 65535 || frames.front().bitmap.height > 65535) return false;
    std::vector<uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, appendToVector, &error);
    if (!gif) return false;
    const bool ok = writeGif(gif, frames, container);
    if (EGifCloseFile(gif, &error) == GIF_ERROR || !ok) return false;
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
}

} // namespace imageio::detail
