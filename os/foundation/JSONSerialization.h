#pragma once
// NSJSONSerialization: JSON bytes to a Value and back.
// Reading keeps the number kinds (integers, reals, booleans), maps null to Value::null() and keeps
// object keys in document order. Writing is compact, escapes "/" as "\/", leaves non-ASCII UTF-8 as
// it is and keeps insertion order. Failures answer nil (or a null Data) and an Error in
// NSCocoaErrorDomain: 3840 for reading, 3852 for writing.

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/foundation/Value.h"

namespace ns {

class JSONSerialization {
public:
    enum ReadingOptions : unsigned {
        ReadingMutableContainers = 1 << 0, // values are always mutable copies here
        ReadingMutableLeaves = 1 << 1,
        ReadingFragmentsAllowed = 1 << 2, // a top level other than an array or a dictionary
    };
    enum WritingOptions : unsigned {
        WritingPrettyPrinted = 1 << 0, // two-space indent, " : " between key and value
        WritingSortedKeys = 1 << 1,
        WritingFragmentsAllowed = 1 << 2,
        WritingWithoutEscapingSlashes = 1 << 3,
    };
    // Nesting deeper than this is refused on both sides.
    static constexpr int MaxDepth = 512;

    static Value parse(const Data& data, unsigned options = 0, Ref<Error>* error = nullptr);
    static Value parse(const DataRef& data, unsigned options = 0, Ref<Error>* error = nullptr);

    static DataRef write(const Value& value, unsigned options = 0, Ref<Error>* error = nullptr);

    // True when write() would succeed without options: an array or dictionary at the top, inside only
    // strings, numbers (finite), null, arrays and dictionaries.
    static bool isValidJSONObject(const Value& value);
};

} // namespace ns
