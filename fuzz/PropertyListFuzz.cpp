// Property lists from outside bytes, XML and binary: no crash, leak or hang; a list that reads writes
// back in both formats and reads again as the same value.
// The first byte picks a header put in front of the rest (0: the bytes as they are).

#include "os/foundation/PropertyList.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kHeaders = {
    "bplist00",
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n",
    "<plist version=\"1.0\"><dict><key>",
    "<plist version=\"1.0\"><array>",
};

// Equal as values; dates within a millisecond (XML keeps fewer digits of them than binary does).
bool same(const ns::Value& a, const ns::Value& b) {
    if (a.kind() != b.kind()) return false;
    if (auto da = a.date()) return std::fabs(da->secondsSince1970 - b.date()->secondsSince1970) < 1e-3;
    if (a.isArray()) {
        if (a.count() != b.count()) return false;
        for (size_t i = 0; i < a.count(); ++i)
            if (!same(a[i], b[i])) return false;
        return true;
    }
    if (a.isDictionary()) {
        if (a.count() != b.count()) return false;
        for (const auto& [key, item] : *a.dictionaryPtr())
            if (!b.dictionaryPtr()->find(key) || !same(item, b[key])) return false;
        return true;
    }
    if (a.isReal() && std::isnan(a.doubleValue())) return std::isnan(b.doubleValue());
    return a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string bytes;
    const size_t choice = data[0] % (kHeaders.size() + 1);
    if (choice > 0) bytes = kHeaders[choice - 1];
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);

    ns::Ref<ns::Error> error;
    const ns::Value value = ns::PropertyList::read(*ns::Data::fromString(bytes), &error);
    if (value.isNil() != static_cast<bool>(error)) std::abort();
    if (value.isNil()) return 0;
    (void)value.description();

    for (auto format : {ns::PropertyList::Format::Binary, ns::PropertyList::Format::XML}) {
        ns::Ref<ns::Error> writeError;
        auto written = ns::PropertyList::write(value, format, &writeError);
        if (!written) std::abort(); // what was read has a plist form
        ns::PropertyList::Format readFormat;
        const ns::Value again = ns::PropertyList::read(*written, nullptr, &readFormat);
        if (readFormat != format || !same(value, again)) std::abort();
    }
    return 0;
}
