// The entry's operations that open screens. This unit is the SDK's top library (vx_sdk), above every
// screen library, the user centre included: linking the SDK wires the login window, the payment
// centre and the floating button's way into the user centre, with no call from the game.
#include "platform_sdk/VorlixSDK.h"

#include "os/foundation/Log.h"
#include "os/foundation/ResetRegistry.h"
#include "os/net/URLCache.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNewPayVC.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "platform_sdk/VXRefusals.h"

VorlixSDK::Screens& VorlixSDK::screens() {
    static Screens hooks;
    static bool wired = false;
    static const bool registered = [] {
        // A restarted process starts unwired, as at its first call.
        ns::ResetRegistry::add("VorlixSDK", [] {
            hooks = {};
            wired = false;
            CXRHelperBtn::userCentreOpener() = nullptr;
        });
        return true;
    }();
    (void)registered;
    if (!wired) {
        wired = true;
        hooks.loadAlterLoginVC = &VXLoginVC::loadAlterLoginVCResultSuccess;
        hooks.loadToPayVC = &VXNewPayVC::loadToPayVCWithroleid;
        // The button appears only after a login through this entry, so it is wired before any tap.
        if (!CXRHelperBtn::userCentreOpener()) VXSuTabBarVC::installAsUserCentre();
    }
    return hooks;
}

void VorlixSDK::didFinishLaunching() {
    ns::URLCache::setShared(ns::URLCache::create(4 * 1024 * 1024, 32 * 1024 * 1024, "nsurlcache"));
    screens();
}

void VorlixSDK::loadLoginViewResultSuccess(VXLoginSuccessBlock success, VXLoginFailedBlock failed) {
    if (!screens().loadAlterLoginVC) {
        ns::log("VorlixSDK: the login window is not available");
        if (failed) failed(VXRefusal::NoLoginWindow.code, ns::Value(VXRefusal::NoLoginWindow.message));
        return;
    }
    screens().loadAlterLoginVC(
        [success](const ns::Value& loginTime, const ns::Value& userName, const ns::Value& sign,
                  const ns::Value& rzStatus) {
            if (success) success(loginTime, userName, sign, rzStatus);
        },
        [failed](const ns::Value& message, const ns::Value& code) {
            if (failed) failed(static_cast<long>(code.integerValue()), message);
        });
}

void VorlixSDK::loadToPayVCWithroleid(const Text& roleid, const Text& money, const Text& serverid,
                                      const Text& productName, const Text& productDesc, const Text& attach,
                                      VXPaySuccessBlock success, VXPayFailedBlock faild) {
    if (!screens().loadToPayVC) {
        ns::log("VorlixSDK: the payment centre is not available");
        if (faild) faild(ns::Value(VXRefusal::NoPayCentre.message), VXRefusal::NoPayCentre.code, ns::Value(money));
        return;
    }
    // Only a logged-in player has anything to pay with.
    if (!ShareVale::sharedInstance()->isLoggedIn()) {
        ns::log("VorlixSDK: a payment before any login is refused");
        if (faild) faild(ns::Value(VXRefusal::NotLoggedIn.message), VXRefusal::NotLoggedIn.code, ns::Value(money));
        return;
    }
    screens().loadToPayVC(
        roleid, serverid, money, attach, productName, productDesc,
        [success](const ns::Value& result, const ns::Value& paid) {
            if (success) success(result, paid);
        },
        [faild](const ns::Value& message, const ns::Value& code, const ns::Value& paid) {
            if (faild) faild(message, static_cast<long>(code.integerValue()), paid);
        });
}
