#include "demo/Demo.h"

#include "os/foundation/RunLoop.h"

#include <cstdio>

namespace demo {

namespace {
int failureCount = 0;
int stepNumber = 0;
} // namespace

void step(const std::string& name, bool ok, const std::string& result) {
    std::printf("[%2d] %-22s %s  %s\n", ++stepNumber, name.c_str(), ok ? "ok  " : "FAIL", result.c_str());
    std::fflush(stdout);
    if (!ok) ++failureCount;
}

int failures() { return failureCount; }

bool wait(const std::shared_ptr<bool>& done) {
    return ns::RunLoop::main().runUntil([&] { return *done; }, StepTimeout);
}

std::string text(const ns::Value& v) { return v.description(); }

} // namespace demo
