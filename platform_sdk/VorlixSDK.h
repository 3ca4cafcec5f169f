#pragma once
// The single entry of the platform SDK: the nine class operations the channel adapter calls, all on
// the main thread. Everything reported back goes through the blocks handed in. The operations that
// open screens (launch, login, pay) are built into the SDK's top library, vx_sdk (Vorlix::SDK).

#include "os/foundation/Object.h"
#include "os/foundation/URL.h"
#include "os/foundation/Value.h"

#include <functional>
#include <optional>
#include <string>

namespace ui {
class Application;
class Window;
} // namespace ui

class VorlixSDK {
public:
    using Text = std::optional<std::string>;
    using VXLoginSuccessBlock = std::function<void(const ns::Value& loginTime, const ns::Value& userName,
                                                   const ns::Value& sign, const ns::Value& rzStatus)>;
    using VXLoginFailedBlock = std::function<void(long code, const ns::Value& message)>;
    using VXPaySuccessBlock = std::function<void(const ns::Value& result, const ns::Value& money)>;
    using VXPayFailedBlock = std::function<void(const ns::Value& message, long code, const ns::Value& money)>;
    // 1 accepted, 2 a role field was empty (nothing sent), 0 refused or not sent.
    using VXRoleReportBlock = std::function<void(long result)>;

    // Installs the process's URL cache (4 MiB of memory, 32 MiB of disk under "nsurlcache"). Every
    // other operation works before it too: the screens are wired when the SDK is linked.
    static void didFinishLaunching();
    // Opens the login window; failures reach `failed` as (integer code, message), possibly many times.
    static void loadLoginViewResultSuccess(VXLoginSuccessBlock success, VXLoginFailedBlock failed);
    // Hides the floating button, sends the logout and turns automatic login off; does not wait.
    static void LoginOut();
    static void SetUserInfoDataWithRoleId(const Text& roleId, const Text& roleName, const Text& roleLevel,
                                          const Text& zoneId, const Text& zoneName, const Text& attach,
                                          VXRoleReportBlock block);
    // Opens the payment centre; failures reach `faild` with the integer value of their code.
    static void loadToPayVCWithroleid(const Text& roleid, const Text& money, const Text& serverid,
                                      const Text& productName, const Text& productDesc, const Text& attach,
                                      VXPaySuccessBlock success, VXPayFailedBlock faild);

    // The three open-URL entries share one body: wallet results ("safepay") and quick-login URLs
    // ("VOR_QUICK&name&password") under "VorlixWalletScheme<game id>"; anything else is ignored.
    static void application(ui::Application& application, const ns::Ref<ns::URL>& url);
    static void application(ui::Application& application, const ns::Ref<ns::URL>& url,
                            const Text& sourceApplication, const ns::Value& annotation);
    static void application(ui::Application& application, const ns::Ref<ns::URL>& url, const ns::Dictionary& options);
    // The orientation mask from the Info.plist: 2 portrait only, 26 both, else 24 (landscape).
    static unsigned long application(ui::Application& application, const ns::Ref<ui::Window>& window);

    // Where the screens that the entry opens plug in: the login window and the payment centre, set on
    // first use (the floating button's user centre with them). A test replaces a hook to stand in for a
    // screen; an emptied hook makes the operation log that the screen is missing and do nothing more.
    using LoginWindowFailed = std::function<void(const ns::Value& message, const ns::Value& code)>;
    using PayCentreFailed = std::function<void(const ns::Value& message, const ns::Value& code, const ns::Value& money)>;
    struct Screens {
        // The login window's loadAlterLoginVCResultSuccess(success, failed).
        std::function<void(VXLoginSuccessBlock success, LoginWindowFailed failed)> loadAlterLoginVC;
        // The payment centre's loadToPayVCWithroleid(roleid, ServiceID, walletPayMoney, cpExtend,
        // productName, productDesc, success, faild).
        std::function<void(const Text& roleid, const Text& serviceID, const Text& walletPayMoney, const Text& cpExtend,
                           const Text& productName, const Text& productDesc, VXPaySuccessBlock success,
                           PayCentreFailed faild)>
            loadToPayVC;
    };
    static Screens& screens();
};
