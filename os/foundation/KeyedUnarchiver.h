#pragma once
// NSKeyedUnarchiver: decodes a keyed archive (binary or XML property list) back into Values and
// objects of registered Coding classes. Bytes that are not a well-formed archive, unknown classes,
// reference loops, excessive nesting or sharing make the whole decode answer nil; nothing ever crashes.

#include "os/foundation/Coder.h"
#include "os/foundation/Data.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ns {

class KeyedUnarchiver : public Coder {
public:
    // The object under the top-level key "root"; nil on any failure.
    static Value unarchiveObject(const Data& data);
    static Value unarchiveObject(const DataRef& data);

    // An unarchiver over the archive's top level; null when the bytes are not a keyed archive.
    static std::unique_ptr<KeyedUnarchiver> make(const Data& data);
    ~KeyedUnarchiver() override;

    Value decodeObject(const std::string& key) override;
    bool decodeBool(const std::string& key) override;
    long long decodeInteger(const std::string& key) override;
    double decodeDouble(const std::string& key) override;
    bool containsValue(const std::string& key) const override;

    // True once something failed to decode; every later decode answers nil.
    bool failed() const;

    static constexpr int MaxDepth = 512;
    // Values a decode may unfold into, counting an object shared by many references each time.
    static constexpr uint64_t MaxValues = uint64_t{1} << 22;

private:
    KeyedUnarchiver();
    struct State;
    std::unique_ptr<State> s_;
};

} // namespace ns
