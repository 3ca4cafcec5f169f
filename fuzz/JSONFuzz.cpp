// JSON from outside bytes: no crash, leak or hang; a document that parses writes back (compact and
// pretty, sorted) and parses again as the same value, and every conversion of it is total.
// The first byte picks the reading options.

#include "os/foundation/JSONSerialization.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Every read of every value, as reply handling does it.
void convertAll(const ns::Value& v, int depth) {
    (void)v.intValue();
    (void)v.integerValue();
    (void)v.floatValue();
    (void)v.doubleValue();
    (void)v.boolValue();
    (void)v.stringValue();
    if (depth > 8) return;
    if (const auto* array = v.arrayPtr())
        for (const auto& item : *array) convertAll(item, depth + 1);
    if (const auto* dictionary = v.dictionaryPtr())
        for (const auto& [key, item] : *dictionary) convertAll(item, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned options = data[0] & 7;
    const ns::Data bytes(std::vector<uint8_t>(data + 1, data + size));

    ns::Ref<ns::Error> error;
    const ns::Value value = ns::JSONSerialization::parse(bytes, options, &error);
    if (value.isNil() != static_cast<bool>(error)) std::abort();
    if (value.isNil()) return 0;
    convertAll(value, 0);
    (void)value.description();

    const bool container = value.isArray() || value.isDictionary();
    if (ns::JSONSerialization::isValidJSONObject(value) != container) std::abort();
    const unsigned fragments = container ? 0u : unsigned(ns::JSONSerialization::WritingFragmentsAllowed);
    for (unsigned writing : {0u, unsigned(ns::JSONSerialization::WritingPrettyPrinted | ns::JSONSerialization::WritingSortedKeys)}) {
        auto written = ns::JSONSerialization::write(value, writing | fragments);
        if (!written) std::abort(); // what was read can be written
        const ns::Value again = ns::JSONSerialization::parse(*written, ns::JSONSerialization::ReadingFragmentsAllowed);
        if (again != value) std::abort();
    }
    return 0;
}
