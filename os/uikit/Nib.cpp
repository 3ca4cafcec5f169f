#include "os/uikit/Nib.h"

#include "os/foundation/Error.h"
#include "os/foundation/Format.h"
#include "os/foundation/Strings.h"
#include "os/uikit/View.h"
#include "os/uikit/ViewController.h"

#include <map>
#include <mutex>
#include <set>

namespace ui {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, NibRegistry::Builder> builders;
};

Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

void awakeTree(const ns::Ref<View>& view, std::set<const View*>& done) {
    if (!done.insert(view.get()).second) return;
    auto copy = view->subviews();
    for (const auto& s : copy) awakeTree(s, done);
    view->awakeFromNib();
}

} // namespace

std::string NibRegistry::bundleKey(const std::string& bundle) {
    if (bundle.empty()) return "";
    return ns::str::stringByDeletingPathExtension(ns::str::lastPathComponent(bundle));
}

std::string NibRegistry::bundleKey(const ns::Ref<ns::Bundle>& bundle) {
    if (!bundle) return "";
    auto main = ns::Bundle::main();
    if (main && main->bundlePath() == bundle->bundlePath()) return "";
    return bundleKey(bundle->bundlePath());
}

void NibRegistry::add(const std::string& bundle, const std::string& name, Builder builder) {
    std::lock_guard lock(registry().mutex);
    registry().builders[{bundleKey(bundle), name}] = std::move(builder);
}

bool NibRegistry::contains(const std::string& bundle, const std::string& name) {
    std::lock_guard lock(registry().mutex);
    return registry().builders.count({bundleKey(bundle), name}) > 0;
}

void NibRegistry::remove(const std::string& bundle, const std::string& name) {
    std::lock_guard lock(registry().mutex);
    registry().builders.erase({bundleKey(bundle), name});
}

NibRef Nib::nibWithNibName(const std::string& name, const ns::Ref<ns::Bundle>& bundle) {
    std::string key = NibRegistry::bundleKey(bundle);
    NibRegistry::Builder builder;
    {
        std::lock_guard lock(registry().mutex);
        auto it = registry().builders.find({key, name});
        if (it != registry().builders.end()) builder = it->second;
    }
    if (!builder) {
        std::string path = bundle ? bundle->bundlePath() : (ns::Bundle::main() ? ns::Bundle::main()->bundlePath() : "");
        throw ns::Exception("NSInternalInconsistencyException",
                            ns::format("Could not load NIB in bundle: 'NSBundle <%@>' with name '%@'", path, name));
    }
    return ns::make<Nib>(name, key, std::move(builder));
}

NibObjects Nib::instantiateWithOwner(const ns::Ref<ns::Object>& owner) const {
    NibObjects objects = builder_(owner);
    std::set<const View*> done;
    for (const auto& object : objects) {
        if (auto view = std::dynamic_pointer_cast<View>(object)) awakeTree(view, done);
        else if (auto controller = std::dynamic_pointer_cast<ViewController>(object)) controller->awakeFromNib();
    }
    return objects;
}

} // namespace ui
