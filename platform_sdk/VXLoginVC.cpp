#include "platform_sdk/VXLoginVC.h"

#include "foundation/URLEncode.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Log.h"
#include "os/uikit/Application.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/PhotoAlbum.h"
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "os/uikit/ViewRendering.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRWindowManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXLoginAPI.h"
#include "platform_sdk/VXNavigationController.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/VXRefusals.h"
#include "widgets/VXProgressHUD.h"

namespace {

// A reply value as the text the game is given: its text or number form, "" when missing.
ns::Value textForGame(const ns::Value& value) { return ns::Value(value.stringValue().value_or("")); }
ns::Value textForGame(const std::optional<std::string>& value) { return ns::Value(value.value_or("")); }

} // namespace

// --- Opening ---

VXLoginVCRef VXLoginVC::instantiate() {
    registerInterfaceFile();
    auto board = ui::Storyboard::storyboardWithName("VXUserShow", URLEncode::getSdkBundle());
    return std::dynamic_pointer_cast<VXLoginVC>(board->instantiateViewControllerWithIdentifier("VXLoginVC"));
}

void VXLoginVC::loadAlterLoginVCResultSuccess(VorlixSDK::VXLoginSuccessBlock success, FailedBlockType failed) {
    // Made on first use on the top window: still the game's, before the login window exists.
    CXRHelperBtn::hide();
    auto login = instantiate();
    if (!login) {
        if (failed) failed(ns::Value(VXRefusal::NoLoginWindow.message), ns::Value(VXRefusal::NoLoginWindow.codeText));
        return;
    }
    login->SuccessBlock = std::move(success);
    login->FailedBlock = std::move(failed);
    auto window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
    auto nav = ui::ViewController::create<VXNavigationController>();
    nav->initWithRootViewController(login);
    window->setRootViewController(nav);
    login->keyWindow = window;
    window->setBackgroundColor(ui::Color::colorWithWhite(0, 0));
    window->setHidden(false);
    ui::View::animate(0.5, [window] { window->setBackgroundColor(ui::Color::colorWithWhite(0, 0.5)); });
}

// --- Panels ---

const VXPhoneLoginViewRef& VXLoginVC::phoneView() {
    if (!phoneView_) {
        phoneView_ = VXPhoneLoginView::fromXib();
        phoneView_->setFrame(cg::RectMake(0, 0, 300, 270));
        auto weak = weakSelf();
        phoneView_->loginBlock = [weak](const std::string& phone, const std::string& code) {
            if (auto self = weak.lock()) self->phoneLoginWithNumber(phone, code);
        };
        phoneView_->protocolBlock = [weak] {
            if (auto self = weak.lock()) self->goToProtocalVc();
        };
    }
    return phoneView_;
}

const VXPwdLoginViewRef& VXLoginVC::pwdView() {
    if (!pwdView_) {
        pwdView_ = VXPwdLoginView::fromXib();
        pwdView_->setFrame(cg::RectMake(300, 0, 300, 270));
        pwdView_->loginView = loginView;
        auto weak = weakSelf();
        pwdView_->loginBlock = [weak](const std::string& name, const std::string& pwd) {
            if (auto self = weak.lock()) self->pwdLoginWithName(name, pwd);
        };
    }
    return pwdView_;
}

const VXRandomLoginViewRef& VXLoginVC::randomView() {
    if (!randomView_) {
        randomView_ = VXRandomLoginView::fromXib();
        randomView_->setFrame(cg::RectMake(600, 0, 300, 270));
        auto weak = weakSelf();
        randomView_->loginBlock = [weak](const std::string& name, const std::string& pwd) {
            if (auto self = weak.lock()) self->doRegisterWithName(name, pwd);
        };
        randomView_->protocolBlock = [weak] {
            if (auto self = weak.lock()) self->goToProtocalVc();
        };
    }
    return randomView_;
}

const VXQuickLoginViewRef& VXLoginVC::quickView() {
    if (!quickView_) {
        quickView_ = VXQuickLoginView::fromXib();
        quickView_->setFrame(cg::RectMake(0, 0, 300, 270));
    }
    return quickView_;
}

const VXLoginRzViewRef& VXLoginVC::rzView() {
    if (!rzView_) {
        rzView_ = VXLoginRzView::fromXib();
        rzView_->setFrame(cg::RectMake(0, 0, 300, 310));
        auto weak = weakSelf();
        rzView_->rzBlock = [weak] {
            auto self = weak.lock();
            if (!self || !self->enter(Step::RealName, Step::Notice)) return;
            if (auto card = self->loginView.lock()) card->setHidden(true);
            self->ShowOrHideNotice();
        };
        rzView_->goToDetail = [weak] {
            if (auto self = weak.lock()) self->goToDetailWebVc();
        };
        rzView_->goToReceive = [weak](const std::string& url) {
            if (auto self = weak.lock()) self->goToReceiveWebVcWithUrl(url);
        };
    }
    return rzView_;
}

const VXSubViewRef& VXLoginVC::subNameView() {
    if (!subNameView_) {
        subNameView_ = VXSubView::fromXib();
        auto weak = weakSelf();
        subNameView_->myVC = ns::Weak<ui::ViewController>(ref<VXLoginVC>());
        subNameView_->loginBlock = [weak](const ns::Ref<VXSubViewModel>& model) {
            if (auto self = weak.lock()) self->callBackLoginWithModel(model);
        };
    }
    return subNameView_;
}

const VXLoginWebViewRef& VXLoginVC::webView() {
    if (!webView_) webView_ = VXLoginWebView::fromXib();
    return webView_;
}

// --- The screen ---

void VXLoginVC::viewDidLoad() {
    VXBaseVC::viewDidLoad();
    _initUI();
}

void VXLoginVC::_initUI() {
    view()->setBackgroundColor(ui::Color::clearColor());
    nowBtn = oneBtn;
    auto first = oneBtn.lock();
    if (auto marker = indicator.lock(); marker && first) marker->setCenter({first->center().x, marker->center().y});
    if (auto card = loginView.lock()) {
        card->setTransform(cg::AffineTransformMakeTranslation(0, -600));
        card->layer()->setCornerRadius(8);
        card->setClipsToBounds(true);
    }
    if (auto pager = scrollView.lock()) {
        pager->setContentSize({900, 0});
        pager->setPagingEnabled(true);
        pager->setBounces(false);
        pager->addSubview(phoneView());
        pager->addSubview(pwdView());
        pager->addSubview(randomView());
    }
    auto share = ShareVale::sharedInstance();
    if (share->loginStyle() == 1 && !share->isNotAutoLogin())
        pwdLoginWithName(share->userName().value_or(""), share->passWord().value_or(""));
}

void VXLoginVC::viewWillAppear(bool animated) {
    VXBaseVC::viewWillAppear(animated);
    hiddenNavBar(true);
}

void VXLoginVC::viewDidAppear(bool animated) {
    VXBaseVC::viewDidAppear(animated);
    auto card = loginView.lock();
    if (!card) return;
    ui::View::animateSpring(0.5, 0, 0.6, 0.8, ui::AnimationOptionNone,
                            [card] { card->setTransform(cg::AffineTransformIdentity); });
}

void VXLoginVC::viewWillDisappear(bool animated) {
    VXBaseVC::viewWillDisappear(animated);
    hiddenNavBar(false);
}

// --- Choosing a panel ---

void VXLoginVC::doTypeBtnClick(const ui::ButtonRef& sender) {
    if (!sender || sender == nowBtn.lock()) return;
    chooseButton(sender);
}

void VXLoginVC::chooseButton(const ui::ButtonRef& button) {
    if (!button || button == nowBtn.lock()) return;
    if (auto marker = indicator.lock()) marker->setCenter({button->center().x, marker->center().y});
    button->setSelected(true);
    if (auto old = nowBtn.lock()) old->setSelected(false);
    nowBtn = button;
    if (auto pager = scrollView.lock()) {
        double x = static_cast<double>(button->tag() - 10) * pager->frame().size.width;
        pager->setContentOffset({x, pager->contentOffset().y}, false);
    }
}

void VXLoginVC::didEndDecelerating(const ui::ScrollViewRef& pager) {
    double width = pager->frame().size.width;
    if (width <= 0) return;
    long page = static_cast<long>(pager->contentOffset().x / width);
    auto buttons = btnsView.lock();
    if (!buttons) return;
    chooseButton(std::dynamic_pointer_cast<ui::Button>(buttons->viewWithTag(page + 10)));
}

// --- Logging in ---

void VXLoginVC::pwdLoginWithName(const std::string& userName, const std::string& password) {
    VXProgressHUD::showHUDAddedTo(loginView.lock(), true);
    auto weak = weakSelf();
    VXLoginAPI::LonginWithUsername(
        userName, password,
        [weak](const ns::Ref<LoginResult>& result) {
            if (auto self = weak.lock()) self->loginSucceeded(result);
        },
        [weak](const ns::Value& message, const ns::Value& code) {
            if (auto self = weak.lock()) self->loginFailed(message, code);
        });
}

void VXLoginVC::phoneLoginWithNumber(const std::string& phone, const std::string& code) {
    VXProgressHUD::showHUDAddedTo(loginView.lock(), true);
    auto weak = weakSelf();
    VXLoginAPI::doPhoneYzmLoginWithNumber(
        phone, code,
        [weak](const ns::Ref<LoginResult>& result) {
            if (auto self = weak.lock()) self->loginSucceeded(result);
        },
        [weak](const ns::Value& message, const ns::Value& failCode) {
            if (auto self = weak.lock()) self->loginFailed(message, failCode);
        });
}

void VXLoginVC::quickLogin() {
    auto share = ShareVale::sharedInstance();
    pwdLoginWithName(share->userName().value_or(""), share->passWord().value_or(""));
}

void VXLoginVC::loginSucceeded(const ns::Ref<LoginResult>& result) {
    if (!result) return;
    auto share = ShareVale::sharedInstance();
    share->setUserName(result->userName.stringValue());
    share->setPassWord(result->urserPwd.stringValue());
    share->setSid(result->sid.stringValue());
    share->setIsRz(result->isck);
    share->setLoginStyle(1);
    loginData = result;
    // A new login starts a new chain; whatever is left of an earlier one is ignored from now on.
    ++login_;
    step_ = Step::Waiting;
    initGameView();
}

void VXLoginVC::loginFailed(const ns::Value& message, const ns::Value& code) {
    auto card = loginView.lock();
    VXProgressHUD::hideHUDForView(card, true);
    CXRMessage::showMessage(message.stringValue(), card);
    loginFailedMessage(message, code);
}

void VXLoginVC::loginFailedMessage(const ns::Value& message, const ns::Value& code) {
    if (FailedBlock) FailedBlock(message, code);
}

// --- One-tap registration ---

void VXLoginVC::doRegisterWithName(const std::string& userName, const std::string& password) {
    VXProgressHUD::showHUDAddedTo(loginView.lock(), true);
    auto weak = weakSelf();
    VXLoginAPI::registerNewWithUsername(
        userName, password,
        [weak, userName, password](const ns::Ref<RegisterResult>&) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self->loginView.lock(), true);
            self->name = userName;
            self->pwd = password;
            self->loadImageFinished(self->captureImageFromView(CXRWindowManager::topWindow()));
        },
        [weak](const ns::Value& message) {
            auto self = weak.lock();
            if (!self) return;
            auto card = self->loginView.lock();
            VXProgressHUD::hideHUDForView(card, true);
            CXRMessage::showMessage(message.stringValue(), card);
            self->loginFailedMessage(message, ns::Value("-8"));
        });
}

ui::ImageRef VXLoginVC::captureImageFromView(const ui::ViewRef& view) {
    if (!view) return nullptr;
    auto key = ui::Application::shared().keyWindow();
    cg::Size size = key ? key->bounds().size : ui::Screen::mainScreen().bounds().size;
    double scale = ui::Screen::mainScreen().scale();
    auto picture = ui::renderView(view, scale);
    ui::GraphicsBeginImageContextWithOptions(size, true, scale);
    if (picture) picture->drawInRect(cg::RectMake(0, 0, view->bounds().size.width, view->bounds().size.height));
    auto image = ui::GraphicsGetImageFromCurrentImageContext();
    ui::GraphicsEndImageContext();
    return image;
}

void VXLoginVC::loadImageFinished(const ui::ImageRef& image) {
    auto weak = weakSelf();
    ui::PhotoAlbum::shared().saveImage(image, [weak](const ui::ImageRef& saved, const ns::Ref<ns::Error>& error) {
        if (auto self = weak.lock()) self->imageDidFinishSaving(saved, error);
    });
}

void VXLoginVC::imageDidFinishSaving(const ui::ImageRef&, const ns::Ref<ns::Error>& error) {
    if (error) {
        pwdLoginWithName(name, pwd);
        return;
    }
    CXRMessage::showMessage(std::string("注册成功，已截图"), view());
    auto weak = weakSelf();
    dispatch::after(1, dispatch::Queue::main(), [weak] {
        if (auto self = weak.lock()) self->pwdLoginWithName(self->name, self->pwd);
    });
}

// --- The chain after a login ---

bool VXLoginVC::enter(Step from, Step to) {
    if (step_ != from) return false;
    step_ = to;
    return true;
}

void VXLoginVC::initGameView() {
    auto weak = weakSelf();
    unsigned long login = login_;
    dispatch::after(1, dispatch::Queue::main(), [weak, login] {
        auto self = weak.lock();
        if (!self || self->login_ != login || !self->loginData) return;
        if (self->loginData->rz.integerValue() == 1) {
            if (!self->enter(Step::Waiting, Step::RealName)) return;
            self->rzView()->setLoginData(self->loginData);
            if (auto card = self->loginView.lock()) card->addSubview(self->rzView());
            return;
        }
        if (!self->enter(Step::Waiting, Step::Notice)) return;
        self->ShowOrHideNotice();
    });
}

void VXLoginVC::ShowOrHideNotice() {
    auto weak = weakSelf();
    unsigned long login = login_;
    VXLoginAPI::GetNoticeWithSuccess(
        [weak, login](const ns::Ref<GetNotice>& notice) {
            auto self = weak.lock();
            if (!self || self->login_ != login || self->step_ != Step::Notice || !notice) return;
            auto card = self->loginView.lock();
            if (card) card->setHidden(true);
            VXProgressHUD::hideHUDForView(card, true);
            auto share = ShareVale::sharedInstance();
            // Ids compare by their text; a missing id on either side never counts as seen.
            auto stored = share->noticeId();
            auto id = notice->noticeId.stringValue();
            bool seen = stored && id && *stored == *id;
            if (ns::Value(notice->status).integerValue() != 1 && seen) {
                self->goToSuNameVC();
                return;
            }
            // Only text is shown: null, a missing "content" or a wrong type is no notice.
            if (!notice->content.isString()) {
                self->goToSuNameVC();
                return;
            }
            share->setNoticeId(id);
            auto screen = VXNoticeVC::instantiate();
            if (!screen) {
                self->goToSuNameVC();
                return;
            }
            screen->noticeHiddenBlock = [weak](const VXNoticeVCRef& shown) {
                auto owner = weak.lock();
                if (!owner || !shown) return;
                shown->view()->removeFromSuperview();
                shown->removeFromParentViewController();
                if (owner->step_ == Step::Notice) owner->goToSuNameVC();
            };
            self->view()->addSubview(screen->view());
            if (auto text = screen->textView.lock()) text->setText(*notice->content.stringPtr());
            self->addChildViewController(screen);
        },
        [weak, login](const ns::Value&, const ns::Value&) {
            auto self = weak.lock();
            if (!self || self->login_ != login || self->step_ != Step::Notice) return;
            VXProgressHUD::hideHUDForView(self->loginView.lock(), true);
            self->goToSuNameVC();
        });
}

void VXLoginVC::goToSuNameVC() {
    if (!enter(Step::Notice, Step::Picker)) return;
    auto picker = subNameView();
    picker->loadData();
    if (auto card = loginView.lock()) {
        card->addSubview(picker);
        card->setHidden(false);
    }
}

void VXLoginVC::callBackLoginWithModel(const ns::Ref<VXSubViewModel>& model) {
    if (!model || !enter(Step::Picker, Step::Slide)) return;
    ShareVale::sharedInstance()->setSubUserName(model->username);
    auto card = loginView.lock();
    auto weak = weakSelf();
    unsigned long login = login_;
    ui::View::animateSpring(
        0.3, 0, 0.75, 0, ui::AnimationOptionCurveEaseIn,
        [card] {
            if (card) card->setTransform(cg::AffineTransformMakeTranslation(0, 600));
        },
        [weak, login, model](bool) {
            auto self = weak.lock();
            if (!self || self->login_ != login) return;
            self->loginSuccessLogintime(textForGame(model->login_time), textForGame(model->username),
                                        textForGame(model->sign), self->loginData);
        });
}

void VXLoginVC::loginSuccessLogintime(const ns::Value& loginTime, const ns::Value& userName, const ns::Value& sign,
                                      const ns::Ref<LoginResult>& data) {
    if (!enter(Step::Slide, Step::Done)) return;
    auto share = ShareVale::sharedInstance();
    ns::Value rzStatus = data ? data->rzStatus : ns::Value();
    share->setIsRz(rzStatus);
    share->setIsLoggedIn(true);
    // The window is on its way out. A screen the game opens from the success block (a payment right
    // after login) goes on the window that stays, and the floating button is in place before the game
    // hears of the login, so that screen can hide it.
    if (keyWindow) keyWindow->resignKey();
    auto button = CXRHelperBtn::shared();
    if (!share->isHideSuspend()) CXRHelperBtn::show();
    button->setFailedBlock(FailedBlock);
    button->setLoginData(data);
    button->startTimer();
    if (SuccessBlock) SuccessBlock(loginTime, userName, sign, textForGame(rzStatus));
    goBackToPreviousWindow();
}

void VXLoginVC::goBackToPreviousWindow() {
    auto window = keyWindow;
    if (!window) return;
    auto weak = weakSelf();
    ui::View::animate(
        0.3, [window] { window->setBackgroundColor(ui::Color::clearColor()); },
        [weak](bool) {
            // Dropping keyWindow releases this screen: hold it until the block ends.
            auto self = weak.lock();
            if (!self) return;
            if (self->keyWindow) self->keyWindow->setHidden(true);
            self->keyWindow = nullptr;
            ns::log("SDK登录后的游戏显示window = %@", ns::Value(CXRWindowManager::topWindow()));
            ns::Array windows;
            for (const auto& w : ui::Application::shared().windows()) windows.push_back(ns::Value(w));
            ns::log("登录完成的windows = %@", ns::Value(windows));
        });
}

// --- Web pages ---

void VXLoginVC::goToProtocalVc() {
    auto page = VXSuWebVC::instantiate();
    if (!page) return;
    page->setName("用户协议");
    page->setUrl(VXEndpoints::baseURL() + "Agreement/xieyi");
    page->setIsShowSuperVc(true);
    if (auto nav = navigationController()) nav->pushViewController(page, true);
}

void VXLoginVC::goToDetailWebVc() {
    auto panel = webView();
    panel->setName("防沉迷系统详情");
    panel->setUrl(VXEndpoints::baseURL() + "Agreement/Information2");
    panel->setIsShowMore(false);
    rzView()->addSubview(panel);
}

void VXLoginVC::goToReceiveWebVcWithUrl(const std::string& url) {
    auto panel = webView();
    panel->setName("实名奖励领取");
    panel->setUrl(url);
    panel->setIsShowMore(true);
    rzView()->addSubview(panel);
}
