#pragma once
// Interface files as C++ builders. A nib is registered by (bundle, name); instantiating it runs
// the builder, which makes the objects, lays them out and connects outlets, actions, tags,
// delegates and data sources (the owner is the file's owner, possibly null), and returns the
// top-level objects in order. The loader then calls awakeFromNib on every view of every
// top-level tree (subviews before the views holding them) and on top-level controllers.
// A controller's nib (initWithNibName) sets the owner's view and lists it among the top-level
// objects. A bundle is named by its folder's name without extension ("VOZUV" for ".../VOZUV.bundle");
// the main bundle (or none) is "". Asking for a nib nobody registered raises ns::Exception.

#include "os/foundation/Bundle.h"
#include "os/foundation/Object.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {

class Nib;
using NibRef = ns::Ref<Nib>;
using NibObjects = std::vector<ns::Ref<ns::Object>>;

class NibRegistry {
public:
    using Builder = std::function<NibObjects(const ns::Ref<ns::Object>& owner)>;
    // bundle: a bundle path, a bundle folder name ("VOZUV.bundle"), a plain name ("VOZUV") or "".
    static void add(const std::string& bundle, const std::string& name, Builder builder);
    static bool contains(const std::string& bundle, const std::string& name);
    static void remove(const std::string& bundle, const std::string& name);

    // The registry's name of a bundle (null: the main bundle).
    static std::string bundleKey(const ns::Ref<ns::Bundle>& bundle);
    static std::string bundleKey(const std::string& bundle);
};

class Nib : public ns::Object {
public:
    static NibRef nibWithNibName(const std::string& name, const ns::Ref<ns::Bundle>& bundle = nullptr);

    // Fresh objects on every call.
    NibObjects instantiateWithOwner(const ns::Ref<ns::Object>& owner) const;
    const std::string& name() const { return name_; }

    Nib(std::string name, std::string bundleKey, NibRegistry::Builder builder)
        : name_(std::move(name)), bundle_(std::move(bundleKey)), builder_(std::move(builder)) {}

private:
    std::string name_;
    std::string bundle_;
    NibRegistry::Builder builder_;
};

// Loads the nib named after T's class (without namespace) and answers its last top-level object
// as a T (null when it is not one): what a "view from XIB" helper does.
template <class T> ns::Ref<T> loadFromNib(const ns::Ref<ns::Bundle>& bundle, const ns::Ref<ns::Object>& owner = nullptr) {
    std::string name = ns::demangle(typeid(T));
    if (auto colon = name.rfind("::"); colon != std::string::npos) name = name.substr(colon + 2);
    auto objects = Nib::nibWithNibName(name, bundle)->instantiateWithOwner(owner);
    return objects.empty() ? nullptr : std::dynamic_pointer_cast<T>(objects.back());
}

} // namespace ui
