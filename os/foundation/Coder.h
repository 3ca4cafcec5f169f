#pragma once
// NSCoder and NSCoding: the keyed coder shared by KeyedArchiver and KeyedUnarchiver, and the interface
// of classes whose objects archive themselves.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

#include <functional>
#include <string>
#include <vector>

namespace ns {

class Coder {
public:
    virtual ~Coder() = default;

    // Encoding (a keyed archiver; a decoder ignores these). Objects are any Value: numbers, strings,
    // data, dates, null, arrays, dictionaries and objects of Coding classes; nil encodes the null
    // reference. Bools, integers and doubles are stored inline in the object's entry.
    virtual void encodeObject(const Value& /*object*/, const std::string& /*key*/) {}
    virtual void encodeBool(bool /*value*/, const std::string& /*key*/) {}
    virtual void encodeInteger(long long /*value*/, const std::string& /*key*/) {}
    virtual void encodeDouble(double /*value*/, const std::string& /*key*/) {}

    // Decoding (a keyed unarchiver; an encoder answers nil and zero). A missing key reads nil, NO, 0.
    virtual Value decodeObject(const std::string& /*key*/) { return {}; }
    virtual bool decodeBool(const std::string& /*key*/) { return false; }
    virtual long long decodeInteger(const std::string& /*key*/) { return 0; }
    virtual double decodeDouble(const std::string& /*key*/) { return 0; }
    virtual bool containsValue(const std::string& /*key*/) const { return false; }
};

// A class whose objects encode themselves. It derives from Object too, and registers a factory under
// its archived class name so that an unarchiver can create its objects (initWithCoder:).
class Coding {
public:
    virtual ~Coding() = default;

    // "$classname" and "$classes" of the archive: the class and its superclasses, most derived first.
    virtual std::string classNameForCoder() const = 0;
    virtual std::vector<std::string> classHierarchyForCoder() const { return {classNameForCoder(), "NSObject"}; }
    virtual void encodeWithCoder(Coder& coder) const = 0;

    // Creates an object from the coder positioned on its entry; null when the entry does not fit.
    using Factory = std::function<Ref<Object>(Coder& decoder)>;
    static void registerClass(const std::string& className, Factory factory);
    static Factory factoryFor(const std::string& className); // empty when not registered
};

} // namespace ns
