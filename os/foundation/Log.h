#pragma once
// NSLog stand-in: one line per call to stderr, or to a sink that tests install.

#include "os/foundation/Format.h"

#include <functional>
#include <string>
#include <vector>

namespace ns {

class Log {
public:
    using Sink = std::function<void(const std::string& line)>;
    // Writes the already formatted message (no trailing newline needed).
    static void write(const std::string& message);
    // Replaces the sink; an empty sink restores stderr. Returns the previous one.
    static Sink setSink(Sink sink);
};

// NSLog(fmt, ...): formats with ns::format and writes one line.
template <class... Args> void log(std::string_view fmt, const Args&... args) {
    Log::write(format(fmt, args...));
}

} // namespace ns
