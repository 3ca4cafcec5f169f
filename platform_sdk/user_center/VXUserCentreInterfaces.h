#pragma once
// The builders of the user centre's interface files (storyboard "VXSuTabBarVC" scenes and cell
// nibs), each beside its class in X.layout.cpp, registered together by registerAll().

#include "os/uikit/Nib.h"
#include "os/uikit/Storyboard.h"

#include <string>

namespace VXUserCentreInterfaces {

void registerAll();

// Under the SDK bundle, and under the main bundle that stands in when the SDK bundle is missing.
void addScene(const std::string& identifier, ui::StoryboardScene scene);
void addNib(const std::string& name, ui::NibRegistry::Builder builder);

} // namespace VXUserCentreInterfaces
