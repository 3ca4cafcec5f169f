#include "platform_sdk/cxrLFCGzipUtillity.h"

#include "os/foundation/Log.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace {

const char* kGzipName = "+[cxrLFCGzipUtillity gzipData:]";

std::string initErrorText(int code) {
    switch (code) {
    case Z_VERSION_ERROR: return "The version of zlib.h and the version of the library linked do not match.";
    case Z_MEM_ERROR: return "Insufficient memory.";
    case Z_STREAM_ERROR: return "Invalid parameter passed in to function.";
    default: return "Unknown error code.";
    }
}

std::string compressErrorText(int code) {
    switch (code) {
    case Z_VERSION_ERROR: return "The version of zlib.h and the version of the library linked do not match.";
    case Z_BUF_ERROR: return "Ran out of output buffer for writing compressed bytes.";
    case Z_MEM_ERROR: return "Memory could not be allocated for processing.";
    case Z_DATA_ERROR: return "The deflate data was invalid or incomplete.";
    case Z_STREAM_ERROR: return "The stream state was inconsistent (e.g., next_in or next_out was NULL).";
    case Z_ERRNO: return "Error occured while reading file.";
    default: return "Unknown error code.";
    }
}

} // namespace

ns::DataRef cxrLFCGzipUtillity::gzipData(const ns::DataRef& data) {
    if (!data || data->length() == 0) {
        ns::log("%s: Error: Can't compress an empty or nil NSData object", kGzipName);
        return nullptr;
    }
    z_stream stream{};
    stream.next_in = const_cast<Bytef*>(data->bytes());
    stream.avail_in = static_cast<uInt>(data->length());
    int init = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    if (init != Z_OK) {
        ns::log("initError的值 = %d --- %s:deflateInit2() Error: \"%@\" Message: \"%s\"", init, kGzipName,
                initErrorText(init), stream.msg ? stream.msg : "");
        return nullptr;
    }
    size_t capacity = static_cast<size_t>(static_cast<double>(data->length()) * 1.01 + 21);
    std::vector<uint8_t> out(capacity);
    int status;
    do {
        stream.next_out = out.data() + stream.total_out;
        stream.avail_out = static_cast<uInt>(capacity - stream.total_out);
        status = deflate(&stream, Z_FINISH);
    } while (status == Z_OK);
    if (status != Z_STREAM_END) {
        ns::log("%s:zlib error while attempting compression: \"%@\" Message: \"%s\"", kGzipName,
                compressErrorText(status), stream.msg ? stream.msg : "");
        deflateEnd(&stream);
        return nullptr;
    }
    deflateEnd(&stream);
    out.resize(stream.total_out);
    return ns::Data::make(std::move(out));
}

ns::DataRef cxrLFCGzipUtillity::uncompressZippedData(const ns::DataRef& data) {
    if (!data || data->length() == 0) return data;
    size_t half = data->length() / 2;
    // A gzip member ends with its text's length: with it the text is inflated in one go. It is only
    // a hint (a trailer can lie), so it is kept below deflate's largest ratio.
    size_t capacity = data->length() + half;
    const uint8_t* bytes = data->bytes();
    if (data->length() > 18 && bytes[0] == 0x1f && bytes[1] == 0x8b) {
        const uint8_t* tail = bytes + data->length() - 4;
        const size_t stated = tail[0] | tail[1] << 8 | tail[2] << 16 | static_cast<size_t>(tail[3]) << 24;
        capacity = std::max(capacity, std::min(stated, data->length() * 1032));
    }
    std::vector<uint8_t> out(capacity);
    z_stream stream{};
    stream.next_in = const_cast<Bytef*>(data->bytes());
    stream.avail_in = static_cast<uInt>(data->length());
    if (inflateInit2(&stream, 47) != Z_OK) return nullptr;
    int status;
    do {
        // Grown by half at least, so a body that expands a lot is not copied over and over.
        if (stream.total_out >= out.size()) out.resize(out.size() + std::max({half, out.size() / 2, size_t(64)}));
        stream.next_out = out.data() + stream.total_out;
        stream.avail_out = static_cast<uInt>(out.size() - stream.total_out);
        status = inflate(&stream, Z_SYNC_FLUSH);
    } while (status == Z_OK);
    if (status != Z_STREAM_END) {
        inflateEnd(&stream);
        return nullptr;
    }
    if (inflateEnd(&stream) != Z_OK) return nullptr;
    out.resize(stream.total_out);
    return ns::Data::make(std::move(out));
}
