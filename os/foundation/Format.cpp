#include "os/foundation/Format.h"

#include <cstdio>

namespace ns {

namespace {
std::string printfOne(const std::string& spec, auto arg) {
    char small[128];
    int n = std::snprintf(small, sizeof small, spec.c_str(), arg);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), arg);
    big.resize(static_cast<size_t>(n));
    return big;
}
} // namespace

std::string formatv(std::string_view fmt, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(fmt.size() + 16);
    size_t next = 0;
    auto take = [&]() -> const Value& { return next < args.size() ? args[next++].value() : Value::nilValue(); };

    for (size_t i = 0; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c != '%') {
            out += c;
            continue;
        }
        size_t start = i++;
        std::string spec = "%";
        while (i < fmt.size() && std::string_view("-+ #0'").find(fmt[i]) != std::string_view::npos) spec += fmt[i++];
        // A "*" takes its number from the arguments: a negative width means left-justified, a negative
        // precision means none, as in printf.
        auto number = [&](bool precision) {
            if (i < fmt.size() && fmt[i] == '*') {
                ++i;
                int n = take().intValue();
                if (precision) spec += n < 0 ? std::string() : "." + std::to_string(n);
                else spec += n < 0 ? "-" + std::to_string(-static_cast<long long>(n)) : std::to_string(n);
                return;
            }
            if (precision) spec += '.';
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') spec += fmt[i++];
        };
        number(false);
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            number(true);
        }
        int longs = 0;
        while (i < fmt.size() && std::string_view("hlqLzjt").find(fmt[i]) != std::string_view::npos) {
            if (fmt[i] == 'l' || fmt[i] == 'q' || fmt[i] == 'z' || fmt[i] == 'j' || fmt[i] == 't') ++longs;
            ++i;
        }
        if (i >= fmt.size()) {
            out.append(fmt.substr(start));
            break;
        }
        char conv = fmt[i];
        switch (conv) {
        case '%': out += '%'; break;
        case '@': out += take().description(); break;
        case 'd':
        case 'i': {
            long long v = take().integerValue();
            if (!longs) v = static_cast<int>(static_cast<unsigned long long>(v));
            out += printfOne(spec + "lld", v);
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            unsigned long long v = take().unsignedValue();
            if (!longs) v = static_cast<unsigned>(v);
            out += printfOne(spec + "ll" + conv, v);
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': out += printfOne(spec + conv, take().doubleValue()); break;
        case 's': {
            const Value& v = take();
            std::string text = v.isNil() ? "(null)" : v.description();
            out += printfOne(spec + 's', text.c_str());
            break;
        }
        case 'c': out += printfOne(spec + 'c', static_cast<int>(take().integerValue())); break;
        case 'p': {
            const Value& v = take();
            out += printfOne(spec + 'p', static_cast<const void*>(v.object().get()));
            break;
        }
        default: out.append(fmt.substr(start, i - start + 1)); break;
        }
    }
    return out;
}

} // namespace ns
