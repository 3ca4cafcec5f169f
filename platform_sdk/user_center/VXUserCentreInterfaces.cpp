#include "platform_sdk/user_center/VXUserCentreInterfaces.h"

#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXActivityCell.h"
#include "platform_sdk/user_center/VXGiftCell.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXPingCell.h"
#include "platform_sdk/user_center/VXPingTwoCell.h"
#include "platform_sdk/user_center/VXPingTwoHead.h"
#include "platform_sdk/user_center/VXServerCell.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXStrategyCell.h"
#include "platform_sdk/user_center/VXSuBillCell.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXSuCouponCell.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXSuMyCouponCell.h"
#include "platform_sdk/user_center/VXWelfareVC.h"
#include "platform_sdk/user_center/VXWelfareVipCell.h"

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
    VXSuWebVC::registerInterfaceFile();
    VXStrategyCell::registerInterfaceFile();
    VXActivityCell::registerInterfaceFile();
    VXServerVC::registerInterfaceFile();
    VXServerCell::registerInterfaceFile();
    VXGiftVC::registerInterfaceFile();
    VXGiftCell::registerInterfaceFile();
    VXWelfareVC::registerInterfaceFile();
    VXWelfareVipCell::registerInterfaceFile();
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
