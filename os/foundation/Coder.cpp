#include "os/foundation/Coder.h"

#include <map>
#include <mutex>

namespace ns {

namespace {
std::mutex registryMutex;
std::map<std::string, Coding::Factory, std::less<>>& registry() {
    static std::map<std::string, Coding::Factory, std::less<>> factories;
    return factories;
}
} // namespace

void Coding::registerClass(const std::string& className, Factory factory) {
    std::lock_guard lock(registryMutex);
    registry()[className] = std::move(factory);
}

Coding::Factory Coding::factoryFor(const std::string& className) {
    std::lock_guard lock(registryMutex);
    auto it = registry().find(className);
    return it == registry().end() ? Factory() : it->second;
}

} // namespace ns
