#pragma once
// printf-style formatting with %@ for values and objects, as the design's format strings use it.
// Supported: %@ %d %i %ld %lld %u %lu %x %X %f %.Nf %0.f %.f %e %g %s %c %%, with flags and widths.

#include "os/foundation/Value.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace ns {

class FormatArg {
public:
    FormatArg(const Value& v) : value_(v) {}
    FormatArg(Value&& v) : value_(std::move(v)) {}
    FormatArg(std::nullptr_t) {}
    FormatArg(bool b) : value_(b) {}
    FormatArg(int i) : value_(i) {}
    FormatArg(long i) : value_(i) {}
    FormatArg(long long i) : value_(i) {}
    FormatArg(unsigned i) : value_(i) {}
    FormatArg(unsigned long i) : value_(i) {}
    FormatArg(unsigned long long i) : value_(i) {}
    FormatArg(double d) : value_(d) {}
    FormatArg(float f) : value_(f) {} // "%@" of a float reads "0.1", as its number object does
    FormatArg(const char* s) : value_(s ? Value(s) : Value()) {}
    FormatArg(const std::string& s) : value_(s) {}
    FormatArg(std::string_view s) : value_(s) {}
    FormatArg(const std::optional<std::string>& s) : value_(s) {}
    template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
    FormatArg(const Ref<T>& o) : value_(o ? Value(std::static_pointer_cast<Object>(o)) : Value()) {}
    const Value& value() const { return value_; }

private:
    Value value_;
};

std::string formatv(std::string_view fmt, std::span<const FormatArg> args);

template <class... Args> std::string format(std::string_view fmt, const Args&... args) {
    std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    return formatv(fmt, std::span<const FormatArg>(list.data(), list.size()));
}

} // namespace ns
