#include "os/uikit/Storyboard.h"

#include "os/foundation/Error.h"
#include "os/foundation/Format.h"
#include "os/uikit/Nib.h"

#include <map>
#include <mutex>
#include <tuple>

namespace ui {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::tuple<std::string, std::string, std::string>, StoryboardScene> scenes;
};

Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

} // namespace

void StoryboardRegistry::addScene(const std::string& bundle, const std::string& storyboard,
                                  const std::string& identifier, StoryboardScene scene) {
    std::lock_guard lock(registry().mutex);
    registry().scenes[{NibRegistry::bundleKey(bundle), storyboard, identifier}] = std::move(scene);
}

bool StoryboardRegistry::contains(const std::string& bundle, const std::string& storyboard,
                                  const std::string& identifier) {
    std::lock_guard lock(registry().mutex);
    return registry().scenes.count({NibRegistry::bundleKey(bundle), storyboard, identifier}) > 0;
}

StoryboardRef Storyboard::storyboardWithName(const std::string& name, const ns::Ref<ns::Bundle>& bundle) {
    std::string key = NibRegistry::bundleKey(bundle);
    std::string path = bundle ? bundle->bundlePath() : (ns::Bundle::main() ? ns::Bundle::main()->bundlePath() : "");
    bool found = false;
    {
        std::lock_guard lock(registry().mutex);
        for (const auto& [k, scene] : registry().scenes)
            if (std::get<0>(k) == key && std::get<1>(k) == name) found = true;
    }
    if (!found)
        throw ns::Exception("NSInvalidArgumentException",
                            ns::format("Could not find a storyboard named '%@' in bundle NSBundle <%@>", name, path));
    return ns::make<Storyboard>(name, key, path);
}

ViewControllerRef Storyboard::instantiateViewControllerWithIdentifier(const std::string& identifier) {
    StoryboardScene scene;
    {
        std::lock_guard lock(registry().mutex);
        auto it = registry().scenes.find({bundle_, name_, identifier});
        if (it != registry().scenes.end()) scene = it->second;
    }
    if (!scene.controller)
        throw ns::Exception("NSInvalidArgumentException",
                            ns::format("Storyboard (%@) doesn't contain a view controller with identifier '%@'", name_,
                                       identifier));
    auto controller = scene.controller();
    if (!controller) return nullptr;
    controller->storyboard_ = ref<Storyboard>();
    controller->sceneViewLoader_ = scene.view;
    controller->awakeFromNib();
    return controller;
}

} // namespace ui
