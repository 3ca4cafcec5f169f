// Property lists from outside bytes, XML and binary: no crash, leak or hang; a list that reads writes
// back in both formats and reads again as the same value.
// The first byte picks a header put in front of the rest (0: the bytes as they are).

#include "os/foundation/PropertyList.h"

#include <algorithm>
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

// Equal as values; dates within a microsecond (XML keeps six digits of their fraction), or a few units
// in the last place for dates so far away that a double holds no fraction of a second.
bool same(const ns::Value& a, const ns::Value& b) {
    if (a.kind() != b.kind()) return false;
    if (auto da = a.date()) {
        double x = da->secondsSince1970, y = b.date()->secondsSince1970;
        return std::fabs(x - y) <= std::max(2e-6, std::fabs(x) * 1e-15);
    }
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
        // What was read has a plist form; only a binary date beyond XML's years 0000 to 9999 has no XML one.
        if (!written && format == ns::PropertyList::Format::XML &&
            writeError->userInfo()[ns::DebugDescriptionKey].description().find("date out of range for XML") !=
                std::string::npos)
            continue;
        if (!written) std::abort();
        ns::PropertyList::Format readFormat;
        const ns::Value again = ns::PropertyList::read(*written, nullptr, &readFormat);
        if (readFormat != format || !same(value, again)) std::abort();
    }
    return 0;
}
