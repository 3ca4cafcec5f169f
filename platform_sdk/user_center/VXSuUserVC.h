#pragma once
// The user centre's first tab ("我的"): the account card, the voucher summary, the unread badge,
// the phone and real-name rows, the auto-login and floating-button switches, the version, and the
// entries to every account screen. Loads "sdkhome/index" at load and on every later appearance;
// opens the phone, password and real-name panels over a dimming cover. Scene "VXSuUserVC" of the
// storyboard "VXSuTabBarVC".

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/ViewController.h"

#include <functional>

class VXSuBangView;
class VXSuJieView;
class VXSuForgetView;
class VXLoginRzView;
class VXLoginWebView;
class VXSuUserVC;
using VXSuUserVCRef = ns::Ref<VXSuUserVC>;

class VXSuUserVC : public ui::ViewController {
public:
    // A new page from its storyboard scene (the view loads when first needed).
    static VXSuUserVCRef instantiate();
    static void registerInterfaceFile();

    // --- Outlets ---
    ns::Weak<ui::ScrollView> scrollView;
    ns::Weak<ui::ImageView> onePic, twoPic, iconView, vipPic, payPic;
    // setView is the switches card (it hides ViewController::setView inside this class).
    ns::Weak<ui::View> userView, couponView, btnsView, infoView, setView;
    ns::Weak<ui::Label> nickL, nameL, ptbL, djqL, xinL, couponMoneyL, couponNumL, msgNumL, mobileTitleL, mobileL, rzL,
        versionL;
    ns::Weak<ui::Button> suspendStatusBtn, autoLoginBtn;
    ns::Weak<ui::LayoutConstraint> payPicLeft;

    // --- State ---
    // The "c" object of the last good reply.
    const ns::Value& dic() const { return dic_; }
    bool isBang() const { return isBang_; }
    void setIsBang(bool bang);
    bool isRz() const { return isRz_; }
    void setIsRz(bool rz);
    std::function<void()> logoutBlock;

    // Dimming cover and panels, made on first use and kept.
    const ui::ViewRef& coverView();
    const ns::Ref<VXSuBangView>& bangView();
    const ns::Ref<VXSuJieView>& jieView();
    const ns::Ref<VXSuForgetView>& forgetView();
    const ns::Ref<VXLoginRzView>& rzView();
    const ns::Ref<VXLoginWebView>& webView();
    // The in-panel web page over the real-name panel.
    void goToDetailWebVc();
    void goToReceiveWebVcWithUrl(const std::string& url);

    // --- Life cycle ---
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidLayoutSubviews() override;

    void loadData();
    void setUpUI();
    // The message list's refresh: the badge drops by one, hidden when it reaches none.
    void lowerUnreadBadge();

    // The customer-service chatbot page: Info.plist "VXChatbotHost" (the API host when unset),
    // "VXChatbotSysNum" and "VXChatbotSourceId".
    static std::string chatbotURL();

    // --- Actions ---
    void goBack();
    void doLogout();
    void doCopy();
    void doAutoLoginBtnClick(const ui::ButtonRef& sender);
    void doShowOrHideSuspenBtn(const ui::ButtonRef& sender);
    void goToOtherVC(const ui::ButtonRef& sender);
    void goToCouponVc();
    void goToPtbVc();
    void goToBillVc();
    void goToStarsVc();
    void goToSubNameVC();
    void goToWebVc();
    void showBangView();
    void goToRz();
    void showForgetView();

private:
    void _initUI();
    void pushScene(const std::string& identifier, const std::function<void(const ui::ViewControllerRef&)>& setUp = {});
    void pushWebPage(const std::string& title, const std::string& url);
    // The bill screen with its kind set before its view loads.
    void pushBill(bool ptb, bool stars);
    void showPanel(const ui::ViewRef& panel, cg::Point centre);

    ns::Value dic_;
    bool isBang_ = false;
    bool isRz_ = false;
    bool isLayout_ = false;
    bool isFirst_ = false;
    ui::ViewRef coverView_;
    ns::Ref<VXSuBangView> bangView_;
    ns::Ref<VXSuJieView> jieView_;
    ns::Ref<VXSuForgetView> forgetView_;
    ns::Ref<VXLoginRzView> rzView_;
    ns::Ref<VXLoginWebView> webView_;
};
