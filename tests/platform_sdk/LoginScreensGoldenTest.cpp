// The login road's screens as pictures: each is rendered the way the player sees it (every shown
// window, back to front) and compared with its kept picture.
// VX_UPDATE_GOLDEN=1 rewrites the pictures; do that only after looking at the new ones.
#include "os/uikit/Graphics.h"
#include "os/uikit/ViewRendering.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VorlixSDK.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/LoginFixture.h"
#include "tests/support/GoldenCompare.h"

namespace {

namespace driver = ui::driver;
using ns::Value;

class LoginScreensGolden : public vx::test::LoginTest {
protected:
    void SetUp() override {
        LoginTest::SetUp();
        server.addAccount("player01", "secret1");
        server.withState([](vx::server::PlatformServer::State& s) { s.loginArea.realNameMandatory = true; });
        server.script("login/oneRegister", reply(ns::Dictionary{{"z", 1}, {"b", "vx100200"}}));
        server.setNotice("5", "新版本已上线，登录即可领取礼包。", 0);
        ShareVale::sharedInstance()->setIsNotAutoLogin(true);
    }
    void TearDown() override {
        if (auto s = screen.lock()) s->keyWindow = nullptr;
        VorlixSDK::screens() = {};
        LoginTest::TearDown();
    }
    VXLoginVCRef open() {
        VXLoginVC::loadAlterLoginVCResultSuccess({}, {});
        for (const auto& w : ui::Application::shared().windows())
            if (auto nav = std::dynamic_pointer_cast<ui::NavigationController>(w->rootViewController()))
                screen = std::dynamic_pointer_cast<VXLoginVC>(nav->viewControllers()[0]);
        driver::advance(0.5);
        auto s = screen.lock();
        runMainUntil([&] { return !s->randomView()->nameF.lock()->text().empty(); });
        settle();
        return s;
    }
    static cg::ImageRef screenImage() {
        ui::GraphicsBeginImageContextWithOptions(ui::Screen::mainScreen().bounds().size, true, 2);
        for (const auto& w : ui::Application::shared().windows())
            if (!w->isHidden())
                if (auto picture = ui::renderView(w, 2)) picture->drawInRect(w->frame());
        auto image = ui::GraphicsGetImageFromCurrentImageContext();
        ui::GraphicsEndImageContext();
        return image->CGImage();
    }
    void matches(const std::string& name) {
        drainMain();
        std::string shot = sandboxPath() + "/" + name;
        ASSERT_TRUE(ui::ImagePNGRepresentation(ui::Image::imageWithCGImage(screenImage(), 2))->writeToFile(shot, true));
        EXPECT_TRUE(vx::test::matchesGoldenFile(shot, VX_GOLDEN_DIR "/" + name));
    }
    ns::Weak<VXLoginVC> screen;
};

TEST_F(LoginScreensGolden, PanelsOfTheCard) {
    auto s = open();
    ASSERT_NO_FATAL_FAILURE(matches("login-phone.png"));
    driver::tap(s->btnsView.lock()->viewWithTag(12));
    driver::tap(s->randomView()->protocolBtn.lock());
    ASSERT_NO_FATAL_FAILURE(matches("login-register.png"));
}

TEST_F(LoginScreensGolden, StepsAfterTheLogin) {
    auto s = open();
    driver::tap(s->btnsView.lock()->viewWithTag(11));
    driver::typeText(s->pwdView()->nameF.lock(), "player01");
    driver::typeText(s->pwdView()->pwdF.lock(), "secret1");
    driver::tap(driver::findButton(s->pwdView(), "登录"));
    ASSERT_TRUE(runMainUntil([&] { return s->step() == VXLoginVC::Step::Waiting; }));
    driver::advance(1);
    driver::advance(0.3); // the HUD on the card fades under the panel
    ASSERT_NO_FATAL_FAILURE(matches("login-realname-mandatory.png"));
    s->rzView()->nameF.lock()->setText("张三");
    s->rzView()->codeF.lock()->setText("110101199001011234");
    driver::tap(driver::findButton(s->rzView(), "提交认证"));
    ASSERT_TRUE(runMainUntil([&] { return !s->childViewControllers().empty(); }));
    driver::advance(0.3);
    ASSERT_NO_FATAL_FAILURE(matches("login-notice.png"));
    ns::Array rows{ns::Dictionary{{"nickname", "小号1"}, {"username", "a1"}, {"lasttime", "0"}},
                   ns::Dictionary{{"nickname", "小号2"}, {"username", "a2"}, {"lasttime", "1"}}};
    server.script("login/xiaohao", reply(ns::Dictionary{{"data", rows}, {"msg", "ok"}}));
    auto notice = std::dynamic_pointer_cast<VXNoticeVC>(s->childViewControllers()[0]);
    driver::tap(driver::findButton(notice->view(), "我知道了"));
    ASSERT_TRUE(runMainUntil([&] { return s->subNameView()->dataSource.size() == 2; }));
    driver::advance(0.3);
    ASSERT_NO_FATAL_FAILURE(matches("login-picker.png"));
}

} // namespace
