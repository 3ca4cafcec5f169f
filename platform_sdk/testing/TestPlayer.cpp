#include "platform_sdk/testing/TestPlayer.h"

#include "os/foundation/RunLoop.h"
#include "os/uikit/Application.h"
#include "os/uikit/Driver.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNewPayVC.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VXPwdLoginView.h"
#include "platform_sdk/VXSubView.h"
#include "platform_sdk/user_center/VXSuTabBarVC.h"
#include "widgets/VXProgressHUD.h"

#include <functional>

namespace vx {

namespace {

namespace driver = ui::driver;
using Step = VXLoginVC::Step;

// The login window's screen, when one is shown.
VXLoginVCRef loginScreen() { return driver::shownRootController<VXLoginVC>(); }

// The controllers shown on every window, each window's presentation chain followed into
// navigation stacks: where a screen the SDK put up over the game is found.
template <class T> ns::Ref<T> shownScreen() {
    for (const auto& window : ui::Application::shared().windows()) {
        if (window->isHidden()) continue;
        for (const auto& controller : driver::presentationChain(window)) {
            if (auto match = std::dynamic_pointer_cast<T>(controller)) return match;
            if (auto nav = std::dynamic_pointer_cast<ui::NavigationController>(controller))
                for (const auto& inside : driver::navigationStack(nav))
                    if (auto match = std::dynamic_pointer_cast<T>(inside)) return match;
        }
    }
    return nullptr;
}

} // namespace

TestPlayer::TestPlayer() : TestPlayer(Identity{}) {}

TestPlayer::TestPlayer(Identity identity, double networkWait)
    : identity_(std::move(identity)), networkWait_(networkWait) {}

bool TestPlayer::fail(const std::string& why) {
    failure_ = why;
    return false;
}

bool TestPlayer::attempt(const std::function<bool()>& step) {
    try {
        return step();
    } catch (const driver::Failure& failure) {
        // A step a person could not take (a button covered, a field refused).
        return fail(failure.what());
    }
}

bool TestPlayer::loginWindowShown() { return loginScreen() != nullptr; }

ns::Ref<VXNoticeVC> TestPlayer::noticeOn(const VXLoginVCRef& login) {
    for (const auto& child : login->childViewControllers())
        if (auto notice = std::dynamic_pointer_cast<VXNoticeVC>(child)) return notice;
    return nullptr;
}

bool TestPlayer::logIn(const std::string& account, const std::string& password) {
    return enterPassword(account, password) && passRealName() && passNotice() && pickSubAccount();
}

bool TestPlayer::enterPassword(const std::string& account, const std::string& password) {
    return attempt([&] {
        driver::advance(0.5); // the card drops in
        auto login = loginScreen();
        if (!login) return fail("the login window is not open");
        auto buttons = login->btnsView.lock();
        driver::tap(buttons ? buttons->viewWithTag(11) : nullptr); // the account-and-password panel
        // The panel shows the account used last: the player types over it.
        auto panel = login->pwdView();
        driver::clearText(panel->nameF.lock());
        driver::typeText(panel->nameF.lock(), account);
        driver::clearText(panel->pwdF.lock());
        driver::typeText(panel->pwdF.lock(), password);
        driver::tap(driver::findButton(panel, "登录"));
        auto card = login->loginView.lock();
        // Accepted: the window moves on to its later steps; refused: the card's HUD goes away.
        bool answered = ns::RunLoop::main().runUntil(
            [&] { return login->step() != Step::None || !VXProgressHUD::HUDForView(card); }, networkWait_);
        if (!answered) return fail("the server did not answer the login");
        if (login->step() == Step::None) return fail("the login was refused; the window stays open");
        return true;
    });
}

bool TestPlayer::passRealName() {
    return attempt([&] {
        auto login = loginScreen();
        if (!login) return fail("the login window is not open");
        // The window waits a second after the login before it shows the form or the notice.
        if (login->step() == Step::Waiting) driver::advance(1);
        if (login->step() != Step::RealName) return true;
        auto form = login->rzView();
        driver::typeText(form->nameF.lock(), identity_.realName);
        driver::typeText(form->codeF.lock(), identity_.idNumber);
        driver::tap(driver::findButton(form, "提交认证"));
        if (!ns::RunLoop::main().runUntil([&] { return login->step() != Step::RealName; }, networkWait_))
            return fail("the real-name form was not accepted");
        return true;
    });
}

bool TestPlayer::passNotice() {
    return attempt([&] {
        auto login = loginScreen();
        if (!login) return fail("the login window is not open");
        if (login->step() == Step::Waiting) driver::advance(1);
        ns::Ref<VXNoticeVC> notice;
        bool settled = ns::RunLoop::main().runUntil(
            [&] { return (notice = noticeOn(login)) || login->step() != Step::Notice; }, networkWait_);
        if (!settled) return fail("the notice did not come");
        if (notice) driver::tap(driver::findButton(notice->view(), "我知道了"));
        return true;
    });
}

bool TestPlayer::pickSubAccount() {
    return attempt([&] {
        auto login = loginScreen();
        if (!login) return fail("the login window is not open");
        if (login->step() != Step::Picker) return fail("the sub-account picker is not shown");
        auto picker = login->subNameView();
        if (!ns::RunLoop::main().runUntil([&] { return !VXProgressHUD::HUDForView(picker); }, networkWait_))
            return fail("the sub-account list did not come");
        auto rowOf = [&]() -> long {
            for (size_t i = 0; i < picker->dataSource.size(); ++i)
                if (picker->dataSource[i] && picker->dataSource[i]->nickname == identity_.subAccount)
                    return static_cast<long>(i);
            return -1;
        };
        if (rowOf() < 0 && !addSubAccount(identity_.subAccount)) return false;
        long row = rowOf();
        if (row < 0) return fail("the sub-account \"" + identity_.subAccount + "\" is not in the picker");
        driver::selectRow(picker->tableView.lock(), ui::IndexPath::forRow(row, 0));
        // The server checks the sub-account before the card slides away and the window fades.
        if (!ns::RunLoop::main().runUntil([&] { return login->step() != Step::Picker; }, networkWait_))
            return fail("the sub-account was not accepted");
        driver::advance(0.3); // the card slides away
        driver::advance(0.3); // the window fades
        if (loginScreen()) return fail("the login window did not close");
        return true;
    });
}

bool TestPlayer::addSubAccount(const std::string& nickname) {
    return attempt([&] {
        auto login = loginScreen();
        if (!login) return fail("the login window is not open");
        if (login->step() != Step::Picker) return fail("the sub-account picker is not shown");
        auto picker = login->subNameView();
        size_t rows = picker->dataSource.size();
        driver::tap(driver::findButton(picker, "+ 添加小号"));
        driver::advance(0.3);
        auto alert = driver::presentedAlert(login->keyWindow);
        if (!alert) return fail("the picker's add alert did not show");
        driver::typeIntoAlertField(alert, 0, nickname);
        driver::tapAlertAction(alert, "确认");
        driver::advance(0.3);
        if (!ns::RunLoop::main().runUntil([&] { return picker->dataSource.size() > rows; }, networkWait_))
            return fail("the sub-account \"" + nickname + "\" was not added");
        driver::drainMain(); // the list shows its new row
        return true;
    });
}

bool TestPlayer::openUserCentre() {
    return attempt([&] {
        driver::tap(CXRHelperBtn::shared());
        driver::advance(0.4); // the presentation
        if (!shownScreen<VXSuTabBarVC>()) return fail("the user centre did not open");
        return true;
    });
}

namespace {

// The user centre's first tab, shown: its page holds the back and logout buttons.
ui::ViewRef minePage() {
    auto centre = shownScreen<VXSuTabBarVC>();
    if (!centre) return nullptr;
    if (centre->selectedIndex() != 0) driver::selectTab(centre, 0);
    auto nav = std::dynamic_pointer_cast<ui::NavigationController>(centre->selectedViewController());
    auto page = nav ? nav->topViewController() : centre->selectedViewController();
    return page ? page->view() : nullptr;
}

} // namespace

bool TestPlayer::closeUserCentre() {
    return attempt([&] {
        auto page = minePage();
        if (!page) return fail("the user centre is not open");
        if (auto scroll = driver::find<ui::ScrollView>(page)) scroll->setContentOffset({0, 0}, false);
        driver::tap(driver::findByAccessibilityId(page, "back"));
        driver::advance(0.5); // the dismissal
        if (shownScreen<VXSuTabBarVC>()) return fail("the user centre did not close");
        return true;
    });
}

bool TestPlayer::logOutFromUserCentre() {
    return attempt([&] {
        auto page = minePage();
        if (!page) return fail("the user centre is not open");
        if (auto scroll = driver::find<ui::ScrollView>(page)) driver::scrollToEnd(scroll);
        driver::tap(driver::findByAccessibilityId(page, "logout"));
        driver::advance(0.5); // the dismissal
        if (shownScreen<VXSuTabBarVC>()) return fail("the user centre did not close after the logout");
        return true;
    });
}

bool TestPlayer::payWithPlatformCoins() {
    return attempt([&] {
        driver::advance(0.5); // the presentation
        auto centre = shownScreen<VXNewPayVC>();
        if (!centre) return fail("the payment centre is not open");
        if (!ns::RunLoop::main().runUntil([&] { return !VXProgressHUD::HUDForView(centre->view()); }, networkWait_))
            return fail("the payment centre's pay ways did not come");
        driver::tap(centre->ptbIconBtn.lock());
        auto pay = centre->payBtn.lock();
        driver::tap(pay);
        // Paid: the centre starts to close. Refused: the pay button comes back with a toast.
        auto nav = centre->navigationController();
        centre.reset();
        bool answered = ns::RunLoop::main().runUntil(
            [&] { return (nav && nav->isBeingDismissed()) || (pay && pay->isEnabled()); }, networkWait_);
        if (!answered) return fail("the server did not answer the payment");
        driver::advance(0.5); // the dismissal
        if (shownScreen<VXNewPayVC>()) return fail("the payment was refused; the payment centre stays open");
        return true;
    });
}

} // namespace vx
