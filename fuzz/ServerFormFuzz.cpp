// The stand-in server's form decoding on any body: no crash; what it decodes is UTF-8 text that
// the SDK's form encoding writes back to the same dictionary.

#include "os/foundation/URL.h"
#include "server/PlatformServer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ns::Value form = vx::server::decodeForm(std::string_view(reinterpret_cast<const char*>(data), size));
    const ns::Dictionary* fields = form.dictionaryPtr();
    if (!fields) std::abort();
    for (const auto& [name, value] : *fields)
        if (!value.isString()) std::abort();
    if (vx::server::decodeForm(ns::formEncode(*fields)) != form) std::abort();
    return 0;
}
