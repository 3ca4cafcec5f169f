// JPEG 2000 through openjpeg on memory streams: JP2 files and bare codestreams are read, JP2 is written.

#include "os/imageio/Codec.h"

#include <algorithm>
#include <cmath>
#include <openjpeg.h>

namespace imageio::detail {
namespace {

struct Memory {
    Bytes in;
    std::vector<uint8_t>* out = nullptr;
    size_t position = 0;
    size_t size() const { return out ? out->size() : in.size(); }
};

OPJ_SIZE_T readProc(void* buffer, OPJ_SIZE_T length, void* user) {
    auto* m = static_cast<Memory*>(user);
    if (m->position >= m->size()) return OPJ_SIZE_T(-1);
    const size_t n = std::min<size_t>(length, m->size() - m->position);
    std::memcpy(buffer, (m->out ? m->out->data() : m->in.data()) + m->position, n);
    m->position += n;
    return n;
}
OPJ_SIZE_T writeProc(void* buffer, OPJ_SIZE_T length, void* user) {
    auto* m = static_cast<Memory*>(user);
    if (m->position + length > m->out->size()) m->out->resize(m->position + length);
    std::memcpy(m->out->data() + m->position, buffer, length);
    m->position += length;
    return length;
}
OPJ_OFF_T skipProc(OPJ_OFF_T count, void* user) {
    auto* m = static_cast<Memory*>(user);
    if (count < 0) {
        const size_t back = std::min<size_t>(size_t(-count), m->position);
        m->position -= back;
        return -OPJ_OFF_T(back);
    }
    if (m->out) {
        if (m->position + size_t(count) > m->out->size()) m->out->resize(m->position + size_t(count));
    } else if (m->position + size_t(count) > m->in.size()) {
        const size_t rest = m->in.size() - std::min(m->position, m->in.size());
        m->position = m->in.size();
        return rest ? OPJ_OFF_T(rest) : -1;
    }
    m->position += size_t(count);
    return count;
}
OPJ_BOOL seekProc(OPJ_OFF_T offset, void* user) {
    auto* m = static_cast<Memory*>(user);
    if (offset < 0 || (!m->out && size_t(offset) > m->in.size())) return OPJ_FALSE;
    if (m->out && size_t(offset) > m->out->size()) m->out->resize(size_t(offset));
    m->position = size_t(offset);
    return OPJ_TRUE;
}
void quiet(const char*, void*) {}

opj_stream_t* makeStream(Memory& memory, bool input) {
    opj_stream_t* stream = opj_stream_create(64 * 1024, input ? OPJ_TRUE : OPJ_FALSE);
    if (!stream) return nullptr;
    opj_stream_set_user_data(stream, &memory, nullptr);
    if (input) {
        opj_stream_set_user_data_length(stream, memory.in.size());
        opj_stream_set_read_function(stream, readProc);
    } else {
        opj_stream_set_write_function(stream, writeProc);
    }
    opj_stream_set_skip_function(stream, skipProc);
    opj_stream_set_seek_function(stream, seekProc);
    return stream;
}

void silence(opj_codec_t* codec) {
    opj_set_error_handler(codec, quiet, nullptr);
    opj_set_warning_handler(codec, quiet, nullptr);
    opj_set_info_handler(codec, quiet, nullptr);
}

uint32_t imageWidth(const opj_image_t* image) { return image->x1 > image->x0 ? image->x1 - image->x0 : 0; }
uint32_t imageHeight(const opj_image_t* image) { return image->y1 > image->y0 ? image->y1 - image->y0 : 0; }

// Decodes the header, and the pixels when asked; the image is null when either fails.
struct Decoded {
    opj_image_t* image = nullptr;
    ~Decoded() {
        if (image) opj_image_destroy(image);
    }
};

// The decoder sets up every tile the size marker names while reading the header, so a file must
// be able to hold its tiles (each one needs a start-of-tile and a start-of-data marker, 14 bytes):
// at most four times as many as that, beyond a first 1024.
bool tileCountAffordable(Bytes bytes) {
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        if (bytes[i] != 0xFF || bytes[i + 1] != 0x4F || bytes[i + 2] != 0xFF || bytes[i + 3] != 0x51) continue;
        if (i + 4 + 36 > bytes.size()) return true; // the header has not arrived; the decoder says so
        const uint8_t* siz = &bytes[i + 4];
        const uint64_t width = be32(siz + 4), height = be32(siz + 8), x0 = be32(siz + 12), y0 = be32(siz + 16);
        const uint64_t tileWidth = be32(siz + 20), tileHeight = be32(siz + 24), tx0 = be32(siz + 28), ty0 = be32(siz + 32);
        if (!tileWidth || !tileHeight || width <= std::max(x0, tx0) || height <= std::max(y0, ty0)) return true;
        const uint64_t tiles = ((width - tx0 + tileWidth - 1) / tileWidth) * ((height - ty0 + tileHeight - 1) / tileHeight);
        return tiles <= 1024 || tiles <= 4 * (bytes.size() / 14);
    }
    return true;
}

bool read(Bytes bytes, bool pixels, Decoded& result) {
    if (bytes.size() < 4 || !tileCountAffordable(bytes)) return false;
    const bool codestream = bytes[0] == 0xFF && bytes[1] == 0x4F;
    Memory memory{bytes};
    opj_stream_t* stream = makeStream(memory, true);
    opj_codec_t* codec = opj_create_decompress(codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
    bool ok = stream && codec;
    if (ok) {
        silence(codec);
        opj_dparameters_t parameters;
        opj_set_default_decoder_parameters(&parameters);
        ok = opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &result.image) && result.image &&
             result.image->numcomps >= 1 && sizeAllowed(imageWidth(result.image), imageHeight(result.image));
        // Checked before the decoder allocates its own planes.
        if (ok && pixels)
            ok = canvasAffordable(imageWidth(result.image), imageHeight(result.image), bytes.size(), kJpeg2000PixelsPerByte);
        for (uint32_t c = 0; ok && c < result.image->numcomps; ++c) {
            const opj_image_comp_t& comp = result.image->comps[c];
            ok = comp.prec >= 1 && comp.prec <= 31 && comp.dx >= 1 && comp.dy >= 1;
        }
        if (ok && pixels) ok = opj_decode(codec, stream, result.image) && opj_end_decompress(codec, stream);
    }
    if (codec) opj_destroy_codec(codec);
    if (stream) opj_stream_destroy(stream);
    return ok;
}

uint8_t sample(const opj_image_comp_t& comp, uint32_t x, uint32_t y) {
    if (!comp.data || comp.w == 0 || comp.h == 0) return 0;
    const uint32_t cx = std::min(x / comp.dx, comp.w - 1), cy = std::min(y / comp.dy, comp.h - 1);
    int64_t v = comp.data[size_t(cy) * comp.w + cx];
    if (comp.sgnd) v += int64_t(1) << (comp.prec - 1);
    if (comp.prec > 8) v >>= comp.prec - 8;
    else if (comp.prec < 8) v = v * 255 / ((int64_t(1) << comp.prec) - 1);
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

std::optional<Bitmap> toBitmap(const opj_image_t* image) {
    const uint32_t width = imageWidth(image), height = imageHeight(image), count = image->numcomps;
    const bool alpha = count == 2 || count >= 4;
    std::optional<Bitmap> bitmap = Bitmap::make(width, height, alpha ? kAlphaLast : kAlphaNoneSkipLast);
    if (!bitmap) return std::nullopt;
    const bool ycc = image->color_space == OPJ_CLRSPC_SYCC && count >= 3;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* p = bitmap->row(y);
        for (uint32_t x = 0; x < width; ++x, p += 4) {
            if (count < 3) {
                p[0] = p[1] = p[2] = sample(image->comps[0], x, y);
                p[3] = count == 2 ? sample(image->comps[1], x, y) : 0xFF;
                continue;
            }
            const int a = sample(image->comps[0], x, y), b = sample(image->comps[1], x, y), c = sample(image->comps[2], x, y);
            if (ycc) {
                p[0] = uint8_t(std::clamp(std::lround(a + 1.402 * (c - 128)), 0L, 255L));
                p[1] = uint8_t(std::clamp(std::lround(a - 0.344136 * (b - 128) - 0.714136 * (c - 128)), 0L, 255L));
                p[2] = uint8_t(std::clamp(std::lround(a + 1.772 * (b - 128)), 0L, 255L));
            } else {
                p[0] = uint8_t(a), p[1] = uint8_t(b), p[2] = uint8_t(c);
            }
            p[3] = count >= 4 ? sample(image->comps[3], x, y) : 0xFF;
        }
    }
    return bitmap;
}

class Jpeg2000Decoder final : public Decoder {
public:
    Header parse(Bytes bytes, bool final) override {
        Header h;
        Decoded header;
        if (!read(bytes, false, header)) {
            h.status = final ? Status::InvalidData : Status::ReadingHeader;
            return h;
        }
        const uint32_t count = header.image->numcomps;
        h.frames.push_back(frameProperties(imageWidth(header.image), imageHeight(header.image), count == 2 || count >= 4,
                                           count < 3 ? colormodel::Gray : colormodel::RGB));
        h.status = final ? Status::Complete : Status::Incomplete;
        return h;
    }

    std::optional<Bitmap> decode(size_t index, Bytes bytes, bool) override {
        if (index != 0) return std::nullopt;
        return decodeJpeg2000Image(bytes);
    }
};

bool encode(const Bitmap& bitmap, double quality, std::vector<uint8_t>& out) {
    const bool alpha = bitmap.alphaInfo != kAlphaNoneSkipLast;
    const uint32_t count = alpha ? 4 : 3;
    opj_image_cmptparm_t parameters[4]{};
    for (uint32_t c = 0; c < count; ++c) {
        parameters[c].dx = parameters[c].dy = 1;
        parameters[c].w = bitmap.width;
        parameters[c].h = bitmap.height;
        parameters[c].prec = 8;
    }
    opj_image_t* image = opj_image_create(count, parameters, OPJ_CLRSPC_SRGB);
    if (!image) return false;
    image->x1 = bitmap.width;
    image->y1 = bitmap.height;
    if (alpha) image->comps[3].alpha = 1;
    for (uint32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* p = bitmap.row(y);
        for (uint32_t x = 0; x < bitmap.width; ++x, p += 4)
            for (uint32_t c = 0; c < count; ++c) image->comps[c].data[size_t(y) * bitmap.width + x] = p[c];
    }

    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.cp_disto_alloc = 1;
    settings.tcp_mct = 1;
    if (quality >= 1) {
        settings.irreversible = 0;
        settings.tcp_rates[0] = 0; // lossless
    } else {
        settings.irreversible = 1;
        settings.tcp_rates[0] = float(1 + (1 - std::max(quality, 0.0)) * 49); // compression ratio 1:1 .. 50:1
    }
    while (settings.numresolution > 1 && (1u << (settings.numresolution - 1)) > std::min(bitmap.width, bitmap.height))
        --settings.numresolution;

    std::vector<uint8_t> bytes;
    Memory memory{{}, &bytes};
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_JP2);
    opj_stream_t* stream = makeStream(memory, false);
    bool ok = codec && stream;
    if (ok) {
        silence(codec);
        ok = opj_setup_encoder(codec, &settings, image) && opj_start_compress(codec, image, stream) &&
             opj_encode(codec, stream) && opj_end_compress(codec, stream);
    }
    if (stream) opj_stream_destroy(stream);
    if (codec) opj_destroy_codec(codec);
    opj_image_destroy(image);
    if (ok) out.insert(out.end(), bytes.begin(), bytes.end());
    return ok;
}

} // namespace

std::unique_ptr<Decoder> makeJpeg2000Decoder() { return std::make_unique<Jpeg2000Decoder>(); }

std::optional<Bitmap> decodeJpeg2000Image(Bytes bytes) {
    Decoded decoded;
    if (!read(bytes, true, decoded)) return std::nullopt;
    return toBitmap(decoded.image);
}

bool jpeg2000Size(Bytes bytes, uint32_t& width, uint32_t& height) {
    Decoded header;
    if (!read(bytes, false, header)) return false;
    width = imageWidth(header.image);
    height = imageHeight(header.image);
    return true;
}

// Quality 1 (the default) is lossless; below it a compression ratio grows as the quality falls.
bool encodeJpeg2000(const std::vector<EncodeFrame>& frames, const Properties& container, std::vector<uint8_t>& out) {
    if (frames.empty()) return false;
    const double quality = lossyQuality(frames, container).value_or(1.0);
    return encode(frames.front().bitmap, quality, out);
}

} // namespace imageio::detail
