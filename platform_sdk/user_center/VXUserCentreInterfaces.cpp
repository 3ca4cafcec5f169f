#include "platform_sdk/user_center/VXUserCentreInterfaces.h"

namespace VXUserCentreInterfaces {

void addScene(const std::string& identifier, ui::StoryboardScene scene) {
    ui::StoryboardRegistry::addScene("VOZUV", "VXSuTabBarVC", identifier, scene);
    ui::StoryboardRegistry::addScene("", "VXSuTabBarVC", identifier, scene);
}

void addNib(const std::string& name, ui::NibRegistry::Builder builder) {
    ui::NibRegistry::add("VOZUV", name, builder);
    ui::NibRegistry::add("", name, builder);
}

void registerAll() {}

} // namespace VXUserCentreInterfaces
