#pragma once
// NSBundle: a folder of resources with an Info.plist. The main bundle's folder is settable (tests);
// by default it is the "resources" folder beside the executable, else the executable's own folder.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

#include <mutex>
#include <optional>
#include <string>

namespace ns {

class Bundle : public Object {
public:
    static Ref<Bundle> main();
    // Replaces the main bundle with the one at the path; an empty path restores the default.
    static void setMainBundlePath(const std::string& path);
    // Null when the path is not a folder.
    static Ref<Bundle> bundleWithPath(const std::string& path);

    const std::string& bundlePath() const { return path_; }
    const std::string& resourcePath() const { return path_; } // resources sit at the top, as in an app bundle
    std::optional<std::string> bundleIdentifier() const;      // CFBundleIdentifier

    // Path of an existing resource named name.type. The type may be empty or nullopt (no extension)
    // and may start with "."; the name may carry the extension itself ("icon.png" with no type).
    std::optional<std::string> pathForResource(const std::string& name, const std::optional<std::string>& type) const;
    std::optional<std::string> pathForResource(const std::string& name, const std::optional<std::string>& type,
                                               const std::string& inDirectory) const;

    // Info.plist read once (an empty dictionary when missing or unreadable).
    Dictionary infoDictionary() const;
    Value objectForInfoDictionaryKey(const std::string& key) const;

    explicit Bundle(std::string path) : path_(std::move(path)) {} // use the factories

private:
    std::string path_;
    mutable std::once_flag infoOnce_;
    mutable Dictionary info_;
};

} // namespace ns
