#pragma once
// NSPropertyListSerialization: XML and binary property lists to Values and back.
// Plist types map to Value kinds (string, integer, real, boolean, date, data, array, dictionary);
// a keyed-archive reference (UID) reads as the dictionary {"CF$UID": n}. Null, nil inside containers
// and objects have no plist form: writing them fails. Failures answer nil (or a null Data) and an
// Error in NSCocoaErrorDomain (3840 reading, 3852 writing).

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/foundation/Value.h"

#include <cstdint>
#include <string>

namespace ns {

class PropertyList {
public:
    enum class Format { XML, Binary };
    // Nesting deeper than this is refused, in both directions.
    static constexpr int MaxDepth = 512;
    // A binary plist whose shared objects would unfold into more values than this is refused.
    static constexpr uint64_t MaxNodes = uint64_t{1} << 22;

    // Detects the format (binary by its "bplist00" header, else XML); reports it through `format`.
    static Value read(const Data& data, Ref<Error>* error = nullptr, Format* format = nullptr);
    static Value read(const DataRef& data, Ref<Error>* error = nullptr, Format* format = nullptr);
    static Value readFile(const std::string& path, Ref<Error>* error = nullptr);

    static DataRef write(const Value& value, Format format, Ref<Error>* error = nullptr);

    // Whether the value (and everything inside it) has a plist form.
    static bool isValid(const Value& value);
};

} // namespace ns
