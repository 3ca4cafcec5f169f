#pragma once
// Base of every reference object: identity, shared ownership, associated values.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeinfo>

namespace ns {

template <class T> using Ref = std::shared_ptr<T>;
template <class T> using Weak = std::weak_ptr<T>;

class Value;

class Object : public std::enable_shared_from_this<Object> {
public:
    Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    // Demangled C++ class name without namespace qualifiers.
    virtual std::string className() const;
    // The "%@" text of the object.
    virtual std::string description() const;

    // Associated values keyed by the address of a static; setting nil removes the entry.
    void setAssociated(const void* key, const Value& value);
    Value associated(const void* key) const;

    template <class T> Ref<T> ref() { return std::static_pointer_cast<T>(shared_from_this()); }
    template <class T> Ref<const T> ref() const { return std::static_pointer_cast<const T>(shared_from_this()); }

private:
    mutable std::mutex assocMutex_;
    std::unique_ptr<std::map<const void*, Value>> assoc_;
};

// Creates a reference object; the two-phase factories of classes call this, then their init step.
template <class T, class... Args> Ref<T> make(Args&&... args) {
    return std::make_shared<T>(std::forward<Args>(args)...);
}

// Kind test on a reference: the dynamic cast of the design's isKindOfClass:.
template <class T, class U> Ref<T> as(const Ref<U>& p) { return std::dynamic_pointer_cast<T>(p); }

std::string demangle(const std::type_info& type);

} // namespace ns
