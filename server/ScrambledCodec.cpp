#include "server/ScrambledCodec.h"

#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Value.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"

#include <zlib.h>

#include <cstdint>
#include <optional>

namespace server {

namespace {

// gzip or zlib data inflated, as the client's codec does, but never past the bound.
std::optional<std::string> inflateBounded(const ns::DataRef& data, size_t bound, bool* tooLarge) {
    if (!data || data->length() == 0) return std::nullopt;
    z_stream stream{};
    if (inflateInit2(&stream, 47) != Z_OK) return std::nullopt;
    stream.next_in = const_cast<Bytef*>(data->bytes());
    stream.avail_in = static_cast<uInt>(data->length());
    std::string out;
    char buffer[16384];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        size_t produced = sizeof buffer - stream.avail_out;
        if (out.size() + produced > bound) {
            if (tooLarge) *tooLarge = true;
            inflateEnd(&stream);
            return std::nullopt;
        }
        out.append(buffer, produced);
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) return std::nullopt;
    return out;
}

} // namespace

ns::Value decodeRequest(const ns::DataRef& body, size_t maxInflated, bool* tooLarge) {
    auto plain = inflateBounded(body, maxInflated, tooLarge);
    if (!plain || plain->size() < 2) return {};
    std::string text = std::move(*plain);
    std::string inner = text.substr(1, text.size() - 2);
    auto key = DecodeGzipBase64::getArray();
    std::string base64;
    size_t index = 0, start = 0;
    while (start <= inner.size()) {
        size_t end = inner.find('_', start);
        if (end == std::string::npos) end = inner.size();
        long long number = ns::numtext::integerValue(std::string_view(inner).substr(start, end - start));
        auto unit = static_cast<uint32_t>(static_cast<uint64_t>(number - key[index % 64][0]) & 0xFFFF);
        ++index;
        start = end + 1;
        if (unit == '\r' || unit == '\n') continue; // line breaks of the client's Base64 text
        if (unit > 0x7F) return {};
        base64 += static_cast<char>(unit);
    }
    auto json = ns::Data::fromBase64(base64);
    if (!json) return {};
    return ns::JSONSerialization::parse(json);
}

ns::DataRef encodeReplyText(const std::string& jsonText) {
    std::string base64 = ns::Data::fromString(jsonText)->base64Encoded();
    auto key = DecodeGzipBase64::getArray();
    std::string text = "x";
    for (size_t i = 0; i < base64.size(); ++i) {
        if (i) text += '_';
        text += std::to_string(static_cast<uint32_t>(static_cast<unsigned char>(base64[i])) +
                               static_cast<uint32_t>(key[i % 64][0]));
    }
    text += 'y';
    return cxrLFCGzipUtillity::gzipData(ns::Data::fromString(text));
}

ns::DataRef encodeReply(const ns::Value& reply) {
    auto json = ns::JSONSerialization::write(reply);
    return json ? encodeReplyText(json->toString()) : nullptr;
}

} // namespace server
