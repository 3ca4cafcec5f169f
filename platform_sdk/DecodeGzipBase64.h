#pragma once
// The scrambled body codec: JSON → Base64 → per-position additive key → "x…_…y" text → gzip,
// and back. The platform server runs the same codec with the same key table.

#include "os/foundation/Data.h"
#include "os/foundation/Value.h"

#include <string>
#include <vector>

class DecodeGzipBase64 {
public:
    // The encoded body of a JSON-serialisable value, or nil when it cannot be serialised.
    static ns::DataRef codingJSON(const ns::Value& object);
    // The JSON object of an encoded body, or nil.
    static ns::Value decodingJSON(const ns::DataRef& body);
    // The JSON object of a body that is only gzip-compressed, or nil.
    static ns::Value cxr_decodingJSON(const ns::DataRef& body);
    // One one-character string per UTF-16 unit, in order.
    static std::vector<std::u16string> getArrayFromStr(const std::string& text);
    // The 64-entry key table, built afresh on every call.
    static std::vector<std::u16string> getArray();
};
