#pragma once
// The server's side of the scrambled body codec. Requests are decoded tolerantly (the client's
// Base64 text carries CR LF line breaks); replies are encoded on one line, which is what the
// client's strict decoder accepts.

#include "os/foundation/Data.h"
#include "os/foundation/Value.h"

#include <functional>
#include <string_view>

namespace vx::server {

// nil when the body is not a scrambled JSON body. The gzip layer is inflated to at most maxInflated
// bytes; beyond that the result is nil and *tooLarge (when given) is set.
ns::Value decodeRequest(const ns::DataRef& body, size_t maxInflated = 4 << 20, bool* tooLarge = nullptr);
// The same over bytes held elsewhere (no copy of the body is made); *jsonBytes (when given) is set
// to the size of the JSON text the body carried.
ns::Value decodeRequest(std::string_view body, size_t maxInflated = 4 << 20, bool* tooLarge = nullptr,
                        size_t* jsonBytes = nullptr);
// Inflates gzip or zlib data in pieces handed to sink (which may stop it by returning false), never
// past bound bytes in all: beyond it *tooLarge (when given) is set. True when the stream ended whole.
bool inflateBounded(std::string_view data, size_t bound, bool* tooLarge,
                    const std::function<bool(const char*, size_t)>& sink);
// The gzip body of a reply; nil when the value is not JSON-serialisable.
ns::DataRef encodeReply(const ns::Value& reply);
// The same, for raw JSON text (lets a test send wrong types or broken JSON inside a valid wrapper).
ns::DataRef encodeReplyText(const std::string& jsonText);

} // namespace vx::server
