#include "server/ScrambledCodec.h"

#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Value.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace vx::server {

namespace {

// Turns the inflated "x<n>_<n>_…y" text into Base64 as it streams by: no copy of the whole text
// is ever kept. The first and the last character are the wrapper's and are skipped.
class TextToBase64 {
public:
    explicit TextToBase64(std::string& out) : out_(out), key_(DecodeGzipBase64::getArray()) {}

    bool feed(const char* data, size_t length) {
        if (!ok_ || length == 0) return ok_;
        if (!started_) {
            started_ = true; // the wrapper's first character
            ++data, --length;
        }
        tail_.append(data, length);
        // The text's last character may be the wrapper's: it is never taken as a separator here.
        std::string_view text(tail_);
        size_t start = 0;
        for (;;) {
            size_t end = text.find('_', start);
            if (end == std::string_view::npos || end + 1 >= text.size()) break;
            unit(text.substr(start, end - start));
            if (!ok_) return false;
            start = end + 1;
        }
        tail_.erase(0, start);
        // A piece longer than any number is not one of the client's units.
        if (tail_.size() > kMaxPiece + 1) ok_ = false;
        return ok_;
    }
    // True when the whole text was a well-formed wrapper around Base64 units.
    bool finish() {
        if (!ok_ || !started_ || tail_.empty()) return false; // shorter than the two wrapper characters
        unit(std::string_view(tail_).substr(0, tail_.size() - 1));
        return ok_;
    }

private:
    void unit(std::string_view piece) {
        if (piece.size() > kMaxPiece) {
            ok_ = false;
            return;
        }
        long long number = ns::numtext::integerValue(piece);
        auto value = static_cast<uint32_t>(static_cast<uint64_t>(number - key_[index_ % 64][0]) & 0xFFFF);
        ++index_;
        if (value == '\r' || value == '\n') return; // line breaks of the client's Base64 text
        if (value > 0x7F) {
            ok_ = false;
            return;
        }
        out_ += static_cast<char>(value);
    }

    static constexpr size_t kMaxPiece = 32;
    std::string& out_;
    decltype(DecodeGzipBase64::getArray()) key_;
    std::string tail_;
    size_t index_ = 0;
    bool started_ = false;
    bool ok_ = true;
};

} // namespace

bool inflateBounded(std::string_view data, size_t bound, bool* tooLarge,
                    const std::function<bool(const char*, size_t)>& sink) {
    if (data.empty()) return false;
    z_stream stream{};
    if (inflateInit2(&stream, 47) != Z_OK) return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    size_t total = 0;
    char buffer[16384];
    int status = Z_OK;
    bool ok = true;
    while (status == Z_OK && ok) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        size_t produced = sizeof buffer - stream.avail_out;
        total += produced;
        if (total > bound) {
            if (tooLarge) *tooLarge = true;
            ok = false;
            break;
        }
        if (produced) ok = sink(buffer, produced);
    }
    inflateEnd(&stream);
    return ok && status == Z_STREAM_END;
}

ns::Value decodeRequest(std::string_view body, size_t maxInflated, bool* tooLarge, size_t* jsonBytes) {
    std::string base64;
    TextToBase64 text(base64);
    // Inflated to the end even past a bad unit, so a body over the bound is told as such.
    bool readable = true;
    if (!inflateBounded(body, maxInflated, tooLarge, [&](const char* d, size_t n) {
            if (readable) readable = text.feed(d, n);
            return true;
        }))
        return {};
    if (!readable || !text.finish()) return {};
    auto json = ns::Data::fromBase64(base64);
    if (!json) return {};
    base64 = std::string(); // the JSON bytes replace the text before parsing
    if (jsonBytes) *jsonBytes = json->length();
    return ns::JSONSerialization::parse(json);
}

ns::Value decodeRequest(const ns::DataRef& body, size_t maxInflated, bool* tooLarge) {
    if (!body) return {};
    return decodeRequest(std::string_view(reinterpret_cast<const char*>(body->bytes()), body->length()), maxInflated,
                         tooLarge);
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

} // namespace vx::server
