#include "os/foundation/Sandbox.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace ns {

namespace {

std::mutex rootMutex;
std::string customRoot;

std::string defaultRoot() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/vorlix-client";
    const char* home = std::getenv("HOME");
    std::string base = (home && *home) ? home : "/tmp";
    return base + "/.local/share/vorlix-client";
}

// mkdir -p with mode 0700 for every folder it creates; existing folders are left as they are.
void makeFolders(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        std::string prefix = path.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
}

std::string folder(const char* relative) {
    std::string path = sandboxRoot() + relative;
    makeFolders(path);
    return path;
}

} // namespace

std::string sandboxRoot() {
    std::lock_guard lock(rootMutex);
    return customRoot.empty() ? defaultRoot() : customRoot;
}

void setSandboxRoot(const std::string& path) {
    std::string root = path;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    std::lock_guard lock(rootMutex);
    customRoot = root;
}

std::string libraryPath() { return folder("/Library"); }
std::string cachesPath() { return folder("/Library/Caches"); }
std::string preferencesPath() { return folder("/Library/Preferences"); }
std::string documentsPath() { return folder("/Documents"); }
std::string temporaryPath() { return folder("/tmp"); }

} // namespace ns
