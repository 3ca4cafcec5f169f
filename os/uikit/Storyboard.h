#pragma once
// Storyboards as C++ scene builders, registered by (bundle, storyboard, scene identifier).
// Instantiating a scene makes its controller (init step done) and calls its awakeFromNib; the
// scene's view is built when the controller's view is first needed: the view builder sets the
// view and connects outlets, actions, tags, delegates and data sources, then every view of the
// tree gets awakeFromNib (subviews first) and the controller viewDidLoad. A storyboard with no
// scene, or a scene identifier nobody registered, raises ns::Exception.

#include "os/foundation/Bundle.h"
#include "os/foundation/Object.h"
#include "os/uikit/ViewController.h"

#include <functional>
#include <string>

namespace ui {

class Storyboard;
using StoryboardRef = ns::Ref<Storyboard>;

struct StoryboardScene {
    std::function<ViewControllerRef()> controller;
    // May be empty: the controller's own loadView then builds its view.
    std::function<void(ViewController& controller)> view;
};

class StoryboardRegistry {
public:
    // bundle: as for nibs (a path, a folder name, a plain name or "" for the main bundle).
    static void addScene(const std::string& bundle, const std::string& storyboard, const std::string& identifier,
                         StoryboardScene scene);
    static bool contains(const std::string& bundle, const std::string& storyboard, const std::string& identifier);
};

class Storyboard : public ns::Object {
public:
    static StoryboardRef storyboardWithName(const std::string& name, const ns::Ref<ns::Bundle>& bundle = nullptr);

    ViewControllerRef instantiateViewControllerWithIdentifier(const std::string& identifier);
    const std::string& name() const { return name_; }

    Storyboard(std::string name, std::string bundleKey, std::string bundlePath)
        : name_(std::move(name)), bundle_(std::move(bundleKey)), bundlePath_(std::move(bundlePath)) {}

private:
    std::string name_;
    std::string bundle_;
    std::string bundlePath_;
};

} // namespace ui
