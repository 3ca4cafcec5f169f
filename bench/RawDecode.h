#pragma once
// The codec libraries driven directly over bytes in memory: the "plain" side of the image benchmarks.

// jpeglib.h uses FILE and size_t without including their headers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace rawdecode {

struct Reader {
    const uint8_t* bytes;
    size_t size, position = 0;
};

// libpng read callback over a Reader.
inline void readPng(png_structp png, png_bytep out, size_t length) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > r->size - r->position) png_error(png, "truncated");
    std::memcpy(out, r->bytes + r->position, length);
    r->position += length;
}

// giflib read callback over a Reader.
inline int readGif(GifFileType* gif, GifByteType* out, int length) {
    auto* r = static_cast<Reader*>(gif->UserData);
    const size_t n = std::min(size_t(length), r->size - r->position);
    std::memcpy(out, r->bytes + r->position, n);
    r->position += n;
    return int(n);
}

// A whole JPEG into 4-byte pixels of the given colour space (JCS_EXT_RGBA, JCS_EXT_BGRX, ...).
inline bool jpeg(const uint8_t* bytes, size_t size, J_COLOR_SPACE space, std::vector<uint8_t>& pixels) {
    jpeg_decompress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, bytes, size);
    jpeg_read_header(&c, TRUE);
    c.out_color_space = space;
    jpeg_start_decompress(&c);
    pixels.assign(size_t(c.output_width) * c.output_height * 4, 0);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = pixels.data() + size_t(c.output_scanline) * c.output_width * 4;
        jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return true;
}

} // namespace rawdecode
