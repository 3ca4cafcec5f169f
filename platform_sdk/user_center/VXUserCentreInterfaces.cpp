#include "platform_sdk/user_center/VXUserCentreInterfaces.h"

#include "platform_sdk/user_center/VXPingCell.h"
#include "platform_sdk/user_center/VXPingTwoCell.h"
#include "platform_sdk/user_center/VXPingTwoHead.h"
#include "platform_sdk/user_center/VXSuBillCell.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXSuCouponCell.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXSuMyCouponCell.h"

namespace VXUserCentreInterfaces {

void addScene(const std::string& identifier, ui::StoryboardScene scene) {
    ui::StoryboardRegistry::addScene("VOZUV", "VXSuTabBarVC", identifier, scene);
    ui::StoryboardRegistry::addScene("", "VXSuTabBarVC", identifier, scene);
}

void addNib(const std::string& name, ui::NibRegistry::Builder builder) {
    ui::NibRegistry::add("VOZUV", name, builder);
    ui::NibRegistry::add("", name, builder);
}

void registerAll() {
    VXSuCouponVC::registerInterfaceFile();
    VXSuCouponCell::registerInterfaceFile();
    VXSuMyCouponCell::registerInterfaceFile();
    VXSuBillVC::registerInterfaceFile();
    VXSuBillCell::registerInterfaceFile();
    VXPingCell::registerInterfaceFile();
    VXPingTwoCell::registerInterfaceFile();
    VXPingTwoHead::registerInterfaceFile();
}

} // namespace VXUserCentreInterfaces
