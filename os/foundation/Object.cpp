#include "os/foundation/Object.h"

#include "os/foundation/Format.h"
#include "os/foundation/Value.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>

namespace ns {

Object::Object() = default;
Object::~Object() = default;

std::string demangle(const std::type_info& type) {
    int status = 0;
    char* raw = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = (status == 0 && raw) ? raw : type.name();
    std::free(raw);
    // Drop namespaces and template arguments' namespaces at the front only.
    auto lt = name.find('<');
    auto colon = name.rfind("::", lt == std::string::npos ? std::string::npos : lt);
    if (colon != std::string::npos) name = name.substr(colon + 2);
    return name;
}

std::string Object::className() const { return demangle(typeid(*this)); }

std::string Object::description() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%p", static_cast<const void*>(this));
    return "<" + className() + ": " + buf + ">";
}

void Object::setAssociated(const void* key, const Value& value) {
    std::lock_guard lock(assocMutex_);
    if (value.isNil()) {
        if (assoc_) assoc_->erase(key);
        return;
    }
    if (!assoc_) assoc_ = std::make_unique<std::map<const void*, Value>>();
    (*assoc_)[key] = value;
}

Value Object::associated(const void* key) const {
    std::lock_guard lock(assocMutex_);
    if (!assoc_) return {};
    auto it = assoc_->find(key);
    return it == assoc_->end() ? Value() : it->second;
}

} // namespace ns

#if defined(__SANITIZE_ADDRESS__)
#define VX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VX_ASAN 1
#endif
#endif
#if defined(VX_ASAN)
// The leak checker's exceptions, here because every program links this file (a program has one list):
// - fontconfig stores pointers inside its patterns and char sets as offsets, which the checker cannot
//   follow: the patterns that the font map keeps for the life of the process read as leaks;
// - glibc's note of a thread's thread-local destructors reads as a leak when the thread is ending
//   just as the process exits (seen with clang 14's checker).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:__cxa_thread_atexit_impl\n";
}
#endif
