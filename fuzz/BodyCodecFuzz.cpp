// The body codec on hostile bytes: a reply body as it comes, or (first byte odd) the rest as the
// scrambled text inside a valid gzip wrapper, so the text layer is reached without a seed corpus.
// Both the SDK's strict decoder and the server's tolerant one: nil or a value, never a crash.

#include "os/foundation/Log.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"
#include "server/ScrambledCodec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (ns::Log::setSink([](const std::string&) {}), true);
    (void)quiet;
    if (size == 0) return 0;
    auto rest = ns::Data::make(data + 1, size - 1);
    ns::DataRef body = (data[0] & 1) ? cxrLFCGzipUtillity::gzipData(rest) : rest;
    ns::Value reply = DecodeGzipBase64::decodingJSON(body);
    DecodeGzipBase64::cxr_decodingJSON(body);
    ns::Value request = vx::server::decodeRequest(body);
    // Whatever decoded goes back through the other direction of each side.
    if (!reply.isNil()) DecodeGzipBase64::decodingJSON(vx::server::encodeReply(reply));
    if (!request.isNil()) vx::server::decodeRequest(DecodeGzipBase64::codingJSON(request));
    return 0;
}
