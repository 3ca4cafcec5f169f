#pragma once
// The payment centre: the screen on which the player pays for one game order. It asks which pay
// ways are offered, shows the price with the player's discount and an optional voucher, pays by one
// of seven styles (1 WeChat H5, 2 wallet H5, 3 platform coins, 4 vouchers, 5 wallet app, 6 official
// WeChat H5, 10 star coins), polls the web roads' result and answers the game once. The order is
// process-wide: one at a time; a second opening while a centre is shown is refused.

#include "os/dispatch/TimerSource.h"
#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/ScrollView.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/VXBaseVC.h"
#include "platform_sdk/VXCouponsModel.h"
#include "platform_sdk/VXPayNoticeView.h"
#include "platform_sdk/VXWebPayVC.h"

#include <functional>
#include <optional>
#include <string>

class VXNewPayVC : public VXBaseVC {
public:
    using Text = std::optional<std::string>;
    using Success = std::function<void(const ns::Value& result, const ns::Value& money)>;
    // (message, code as text or the reply's value, money)
    using Failed = std::function<void(const ns::Value& message, const ns::Value& code, const ns::Value& money)>;

    // The order being paid (module-level state).
    struct Order {
        Text roleId, serverId, amount, discounted, voucher, couponId, extension, productName, productDesc;
        Success success;
        Failed failed;
    };
    static Order& order();
    // Test hook: forgets the order and the open centre.
    static void resetOrder();

    // The only entry: stores the order and presents the centre in a VXBaseNav from the key window's root.
    static void loadToPayVCWithroleid(const Text& roleid, const Text& ServiceID, const Text& walletPayMoney,
                                      const Text& cpExtend, const Text& productName, const Text& productDesc,
                                      Success success, Failed faild);

    // --- Money ---
    // "-" or "*" of two decimal texts, cut to 2 places toward the lower value; its "%@" text
    // ("6.32", "10", "NaN"); "(null)" for any other way.
    static std::string calculateMoney(const Text& money, const Text& money1, const std::string& way);
    // Platform coins for an amount in yuan: ceil(float(amount) × 10) in single precision, saturated
    // to the int range, NaN → 0.
    static int ptbCount(const Text& amount);
    static std::string discountText(float discount);      // "（9.5折）"
    static std::string ptbBalanceText(const ns::Value& v); // "（余额:12平台币）"
    static std::string yuanBalanceText(const ns::Value& v); // "（余额:1.12元）"

    // --- Outlets ---
    ns::Weak<ui::Label> productNameL, moneyL, realMoneyL, discountL, remainPtbL, remainDjqL, remainXinL;
    ns::Weak<ui::Button> walletIconBtn, GFWalletIconBtn, wxIconBtn, GFWxIconBtn, ptbIconBtn, djqIconBtn, xinIconBtn;
    ns::Weak<ui::Button> selectedIconBtn, payBtn, couponsBtn;
    ns::Weak<ui::ScrollView> scrollView;
    ns::Weak<ui::LayoutConstraint> walletViewH, GFWalletViewH, wxViewH, GFWxViewH, ptbViewH, djqViewH, xinViewH;
    ns::Weak<ui::LayoutConstraint> infoLeft, typeLeft;

    // --- State ---
    unsigned long payStyle = 0;
    unsigned long firstSelected = 0;
    float discount = 1.0f;
    bool isWalletTwo = false;
    bool isWxpayTwo = false;
    const dispatch::TimerSource& timer() const { return timer_; }
    VXPayNoticeViewRef noticeView();
    ui::ViewRef coverView();

    void viewDidLoad() override;
    bool shouldAutorotate() const override { return false; }
    void initUI();

    // --- Actions ---
    void doWXPay();
    void doWallet();
    void doPtbPay();
    void doDjqPay();
    void doGFWallet();
    void doGFWxPay();
    void doStarsPay();
    void goToCoupons(const ns::Ref<ns::Object>& sender);
    void doPay(const ns::Ref<ns::Object>& sender);
    void popAction() override;
    void setPayStyle(unsigned long style);
    void setPayViewWithPayStyle(unsigned long style, const ui::ButtonRef& currentBtn);

    // --- Roads ---
    void goToPayWithType(const std::string& type, const std::string& title);
    void goToPtbPay();
    void goToDjqPay();
    void goToWalletAppPay();
    void goToGFWxPay();
    void goToXinPay();
    void payWithFree();
    // A coin, voucher or star-coin order refused: toast, button back, failure callback.
    void balanceRoadFailed(const ns::Value& message, const ns::Value& code);

    // --- Result poll ---
    void loadTimer();
    void pause();
    void resume();

    ~VXNewPayVC() override;

private:
    void requestPayWays();
    void applyPayWays(const ns::Value& reply);
    void setPayEnabled(bool enabled);
    void showRealMoneyForStyle();
    void showNotice();
    void pushPage(const ns::Value& url, bool official, const std::string& title);
    void pageReturned(const VXWebPayVCRef& page);
    void finish(const ns::Ref<ns::Error>& error, const std::optional<std::string>& status, bool openBox);

    dispatch::TimerSource timer_;
    int counter_ = 0;
    ns::Ref<NetWorkManager> manager_;
    VXPayNoticeViewRef noticeView_;
    ui::ViewRef coverView_;
    bool paid_ = false;           // the poll saw "1"
    bool answered_ = false;       // the game has had its one answer for this centre
    bool closed_ = false;         // popAction has run: late replies change nothing
};

// The "VXNewPayVC" storyboard's centre scene (VXNewPayVC.layout.cpp).
void registerVXNewPayVCScene();
