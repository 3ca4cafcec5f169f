#include "server/ScrambledCodec.h"

#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Value.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"

#include <cstdint>

namespace server {

ns::Value decodeRequest(const ns::DataRef& body) {
    auto plain = cxrLFCGzipUtillity::uncompressZippedData(body);
    if (!plain || plain->length() < 2) return {};
    std::string text = plain->toString();
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
