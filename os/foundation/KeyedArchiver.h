#pragma once
// NSKeyedArchiver: encodes an object graph into a keyed archive, a binary property list with
// "$archiver" "NSKeyedArchiver", "$version" 100000, "$objects" (index 0 is "$null"), "$top" and
// UID references; containers and self-encoding objects carry a "$class" entry naming their class.

#include "os/foundation/Coder.h"
#include "os/foundation/Data.h"

#include <map>
#include <memory>
#include <string>

namespace ns {

class KeyedArchiver : public Coder {
public:
    // The archive of `root` under the top-level key "root"; null when the graph holds something that
    // cannot be archived (an object that is not Coding, nesting deeper than MaxDepth).
    static DataRef archivedData(const Value& root);

    KeyedArchiver();
    ~KeyedArchiver() override;

    // Encodes into the top level until encodedData(), then into the entry of the object being encoded.
    void encodeObject(const Value& object, const std::string& key) override;
    void encodeBool(bool value, const std::string& key) override;
    void encodeInteger(long long value, const std::string& key) override;
    void encodeDouble(double value, const std::string& key) override;

    // Finishes the archive; null when anything failed to encode.
    DataRef encodedData();

    static constexpr int MaxDepth = 512;

private:
    struct State;
    std::unique_ptr<State> s_;
};

} // namespace ns
