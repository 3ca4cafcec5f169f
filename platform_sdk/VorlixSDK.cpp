#include "platform_sdk/VorlixSDK.h"

#include "os/foundation/Bundle.h"
#include "os/foundation/Format.h"
#include "os/foundation/NotificationCenter.h"
#include "os/foundation/Strings.h"
#include "os/uikit/Orientation.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginAPI.h"
#include "platform_sdk/VXPayPlug.h"
#include "wallet/WalletSDK.h"

namespace {

bool empty(const VorlixSDK::Text& text) { return !text || text->empty(); }

void handleReturnedURL(const ns::Ref<ns::URL>& url) {
    if (!url) return;
    std::string walletScheme = ns::format("VorlixWalletScheme%@", ShareVale::sharedInstance()->gameID());
    if (url->scheme() != walletScheme) return;
    std::string host = url->host().value_or("");
    if (host == "safepay") {
        WalletSDK::defaultService()->processOrderWithPaymentResult(url, [](const ns::Dictionary& result) {
            VXPayPlug::sharedInstance()->setWalletResultDic(result);
        });
        return;
    }
    if (host.find("VOR_QUICK") == std::string::npos) return;
    auto parts = ns::str::split(host, "&");
    // Without a name part there is nothing to log in with.
    if (parts.size() < 2) return;
    auto share = ShareVale::sharedInstance();
    share->setUserName(parts[1]);
    share->setPassWord(parts.back());
    ns::NotificationCenter::defaultCenter().post("SendQuickLogin");
}

} // namespace

void VorlixSDK::LoginOut() {
    CXRHelperBtn::hide();
    CXRHelperBtn::shared()->stopTimer();
    VXLoginAPI::LonginOutSendToService();
    ShareVale::sharedInstance()->setLoginStyle(2);
    ShareVale::sharedInstance()->setIsLoggedIn(false);
}

void VorlixSDK::SetUserInfoDataWithRoleId(const Text& roleId, const Text& roleName, const Text& roleLevel,
                                          const Text& zoneId, const Text& zoneName, const Text& attach,
                                          VXRoleReportBlock block) {
    if (empty(roleId) || empty(roleName) || empty(roleLevel) || empty(zoneId) || empty(zoneName)) {
        if (block) block(2);
        return;
    }
    ns::Dictionary info;
    info.set("roleId", roleId), info.set("roleName", roleName), info.set("roleLevel", roleLevel);
    info.set("zoneId", zoneId), info.set("zoneName", zoneName), info.set("ext", attach);
    VXLoginAPI::SetRoleInfoWithInfoDic(
        info,
        [block] {
            if (block) block(1);
        },
        [block](const ns::Value&) {
            if (block) block(0);
        });
}

void VorlixSDK::application(ui::Application&, const ns::Ref<ns::URL>& url) { handleReturnedURL(url); }

void VorlixSDK::application(ui::Application&, const ns::Ref<ns::URL>& url, const Text&, const ns::Value&) {
    handleReturnedURL(url);
}

void VorlixSDK::application(ui::Application&, const ns::Ref<ns::URL>& url, const ns::Dictionary&) {
    handleReturnedURL(url);
}

unsigned long VorlixSDK::application(ui::Application&, const ns::Ref<ui::Window>&) {
    bool portrait = false, landscape = false;
    ns::Value list = ns::Bundle::main()->objectForInfoDictionaryKey("UISupportedInterfaceOrientations");
    if (const ns::Array* entries = list.arrayPtr()) {
        for (const auto& entry : *entries) {
            const std::string* name = entry.stringPtr();
            if (!name) continue;
            if (name->find("Portrait") != std::string::npos) portrait = true;
            if (name->find("Left") != std::string::npos || name->find("Right") != std::string::npos) landscape = true;
        }
    }
    if (portrait && landscape) return ui::InterfaceOrientationMaskAllButUpsideDown;
    if (portrait) return ui::InterfaceOrientationMaskPortrait;
    return ui::InterfaceOrientationMaskLandscape;
}
