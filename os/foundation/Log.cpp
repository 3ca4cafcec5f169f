#include "os/foundation/Log.h"

#include <cstdio>
#include <mutex>

namespace ns {

namespace {
std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}
Log::Sink& sink() {
    static Log::Sink s;
    return s;
}
} // namespace

void Log::write(const std::string& message) {
    std::lock_guard lock(sinkMutex());
    if (sink()) {
        sink()(message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.c_str());
}

Log::Sink Log::setSink(Sink s) {
    std::lock_guard lock(sinkMutex());
    auto old = std::move(sink());
    sink() = std::move(s);
    return old;
}

} // namespace ns
