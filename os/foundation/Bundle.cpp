#include "os/foundation/Bundle.h"

#include "os/foundation/PropertyList.h"
#include "os/foundation/Strings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace ns {

namespace {

std::mutex mainMutex;
Ref<Bundle> mainBundle;

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string defaultMainPath() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    std::string folder = str::stringByDeletingLastPathComponent(std::string(buffer, static_cast<size_t>(n)));
    std::string resources = str::stringByAppendingPathComponent(folder, "resources");
    return isDirectory(resources) ? resources : folder;
}

// Info.plist in XML or binary form; anything but a dictionary reads as an empty one.
Dictionary readInfoPlist(const std::string& path) {
    Value value = PropertyList::readFile(path);
    const Dictionary* dict = value.dictionaryPtr();
    return dict ? *dict : Dictionary();
}

} // namespace

Ref<Bundle> Bundle::main() {
    std::lock_guard lock(mainMutex);
    if (!mainBundle) mainBundle = make<Bundle>(defaultMainPath());
    return mainBundle;
}

void Bundle::setMainBundlePath(const std::string& path) {
    std::lock_guard lock(mainMutex);
    mainBundle = path.empty() ? nullptr : make<Bundle>(str::stringByAppendingPathComponent(path, ""));
}

Ref<Bundle> Bundle::bundleWithPath(const std::string& path) {
    if (path.empty() || !isDirectory(path)) return nullptr;
    return make<Bundle>(str::stringByAppendingPathComponent(path, ""));
}

std::optional<std::string> Bundle::bundleIdentifier() const {
    return objectForInfoDictionaryKey("CFBundleIdentifier").string();
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::optional<std::string>& type) const {
    return pathForResource(name, type, "");
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::optional<std::string>& type,
                                                   const std::string& inDirectory) const {
    if (name.empty()) return std::nullopt;
    std::string file = name;
    if (type && !type->empty()) file += type->front() == '.' ? *type : "." + *type;
    std::string folder = inDirectory.empty() ? path_ : str::stringByAppendingPathComponent(path_, inDirectory);
    std::string path = str::stringByAppendingPathComponent(folder, file);
    if (!exists(path)) return std::nullopt;
    return path;
}

Dictionary Bundle::infoDictionary() const {
    std::call_once(infoOnce_, [this] { info_ = readInfoPlist(str::stringByAppendingPathComponent(path_, "Info.plist")); });
    return info_;
}

Value Bundle::objectForInfoDictionaryKey(const std::string& key) const {
    Dictionary info = infoDictionary();
    return info[key];
}

} // namespace ns
