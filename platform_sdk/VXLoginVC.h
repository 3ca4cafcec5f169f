#pragma once
// The login screen, in a window of its own over the game: a card with three login panels in a
// pager, automatic login with the stored account, and after a login the fixed chain of steps —
// real name (when asked), notice, sub-account, success to the game, floating button, fade-out.
// It is the scene "VXLoginVC" of the storyboard "VXUserShow" in the SDK bundle.

#include "os/uikit/Button.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/Window.h"
#include "platform_sdk/VXBaseResponse.h"
#include "platform_sdk/VXBaseVC.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXLoginWebView.h"
#include "platform_sdk/VXPhoneLoginView.h"
#include "platform_sdk/VXPwdLoginView.h"
#include "platform_sdk/VXQuickLoginView.h"
#include "platform_sdk/VXRandomLoginView.h"
#include "platform_sdk/VXSubView.h"
#include "platform_sdk/VorlixSDK.h"

#include <functional>
#include <string>

class VXLoginVC;
using VXLoginVCRef = ns::Ref<VXLoginVC>;

class VXLoginVC : public VXBaseVC, public ui::ScrollViewDelegate {
public:
    using FailedBlockType = std::function<void(const ns::Value& message, const ns::Value& code)>;

    // The steps after a successful login, in order. A completion that arrives for a step that is
    // not the current one (a doubled reply, a second submit, an older login's leftovers) is ignored.
    enum class Step { None, Waiting, RealName, Notice, Picker, Slide, Done };

    // Opens the login window over the game.
    static void loadAlterLoginVCResultSuccess(VorlixSDK::VXLoginSuccessBlock success, FailedBlockType failed);
    static VXLoginVCRef instantiate();
    static void registerInterfaceFile();

    VorlixSDK::VXLoginSuccessBlock SuccessBlock;
    FailedBlockType FailedBlock;
    // The login window while it is shown; none after the fade-out. Not the application's key window.
    ui::WindowRef keyWindow;
    ns::Ref<LoginResult> loginData;
    std::string name, pwd;

    ns::Weak<ui::View> loginView;
    ns::Weak<ui::ScrollView> scrollView;
    ns::Weak<ui::View> btnsView;
    ns::Weak<ui::Button> oneBtn;
    ns::Weak<ui::Button> nowBtn;
    ns::Weak<ui::View> indicator;

    // Panels, each made on first access and kept.
    const VXPhoneLoginViewRef& phoneView();
    const VXPwdLoginViewRef& pwdView();
    const VXRandomLoginViewRef& randomView();
    const VXQuickLoginViewRef& quickView();
    const VXLoginRzViewRef& rzView();
    const VXSubViewRef& subNameView();
    const VXLoginWebViewRef& webView();

    Step step() const { return step_; }

    void pwdLoginWithName(const std::string& name, const std::string& pwd);
    void phoneLoginWithNumber(const std::string& phone, const std::string& code);
    void doRegisterWithName(const std::string& name, const std::string& pwd);
    void quickLogin();
    void doTypeBtnClick(const ui::ButtonRef& sender);

    void initGameView();
    void ShowOrHideNotice();
    void goToSuNameVC();
    void callBackLoginWithModel(const ns::Ref<VXSubViewModel>& model);
    void loginSuccessLogintime(const ns::Value& loginTime, const ns::Value& userName, const ns::Value& sign,
                               const ns::Ref<LoginResult>& data);
    void goBackToPreviousWindow();
    void loginFailedMessage(const ns::Value& message, const ns::Value& code);

    void goToProtocalVc();
    void goToDetailWebVc();
    void goToReceiveWebVcWithUrl(const std::string& url);

    ui::ImageRef captureImageFromView(const ui::ViewRef& view);
    void loadImageFinished(const ui::ImageRef& image);
    void imageDidFinishSaving(const ui::ImageRef& image, const ns::Ref<ns::Error>& error);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    bool shouldAutorotate() const override { return false; }

    void didEndDecelerating(const ui::ScrollViewRef& scrollView) override;
    void didEndScrollingAnimation(const ui::ScrollViewRef& /*scrollView*/) override {}

private:
    void _initUI();
    void chooseButton(const ui::ButtonRef& button);
    void loginSucceeded(const ns::Ref<LoginResult>& result);
    void loginFailed(const ns::Value& message, const ns::Value& code);
    // Moves from one step to the next; false (and nothing changes) when `from` is not current.
    bool enter(Step from, Step to);
    ns::Weak<VXLoginVC> weakSelf() { return ref<VXLoginVC>(); }

    VXPhoneLoginViewRef phoneView_;
    VXPwdLoginViewRef pwdView_;
    VXRandomLoginViewRef randomView_;
    VXQuickLoginViewRef quickView_;
    VXLoginRzViewRef rzView_;
    VXSubViewRef subNameView_;
    VXLoginWebViewRef webView_;
    Step step_ = Step::None;
    // Counts successful logins, so that late completions of an earlier chain are told apart.
    unsigned long login_ = 0;
};
