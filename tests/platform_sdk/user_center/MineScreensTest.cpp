// The mine page and its panels as a player sees them, on a phone with and without a home
// indicator, compared with their goldens.
#include "platform_sdk/user_center/VXSuBangView.h"
#include "platform_sdk/user_center/VXSuSuNameCell.h"
#include "platform_sdk/user_center/VXSuSubNameVC.h"
#include "server/MineArea.h"
#include "server/ServerState.h"
#include "tests/platform_sdk/user_center/GoldenImage.h"
#include "tests/platform_sdk/user_center/MineFixture.h"

namespace {

using vx::test::MineTest;
namespace driver = ui::driver;

class MineScreens : public MineTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        MineTest::SetUp();
        if (GetParam()) {
            ui::DeviceProfile::use(ui::DeviceProfile::notchPortrait());
            window->setFrame(ui::Screen::mainScreen().bounds());
        }
    }
    std::string name(const std::string& screen) const { return screen + (GetParam() ? "-notch" : ""); }
};

TEST_P(MineScreens, FreshAccountAndTheBindPanel) {
    openMine();
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine"), sandboxPath()));
    tapArea("mobile");
    auto panel = page->bangView();
    ASSERT_TRUE(panel->window());
    driver::typeText(panel->numF.lock(), "13800001234");
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-bind"), sandboxPath()));
}

TEST_P(MineScreens, SubAccountsWithARowExpandedAndTheAddAlert) {
    server.withState([](server::PlatformServer::State& s) {
        s.loginArea.subs["player01"] = {{"战士一号", "player01_xh1", ""}, {"法师二号", "player01_xh2", ""}};
        s.loginArea.lastSub["player01"] = "player01_xh2";
        server::mineArea(s).roles["player01_xh1"] = {"剑圣", "华东一区", "58"};
    });
    openMine();
    tapArea("subname");
    driver::advance(0.35);
    auto screen = std::dynamic_pointer_cast<VXSuSubNameVC>(nav->topViewController());
    ASSERT_TRUE(screen);
    ASSERT_TRUE(runMainUntil([&] { return screen->dataSource().size() == 2; }));
    auto table = screen->tableView.lock();
    driver::tap(driver::cell<VXSuSuNameCell>(table, ui::IndexPath::forRow(0, 0))->btn.lock());
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-subaccounts"), sandboxPath()));
    screen->addSubName();
    driver::advance(0.3);
    driver::typeIntoAlertField(driver::presentedAlert(window), 0, "新小号");
    EXPECT_TRUE(vx::test::matchesGolden(window, name("uc-mine-subaccounts-add"), sandboxPath()));
}

INSTANTIATE_TEST_SUITE_P(Profiles, MineScreens, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Notch" : "Plain"; });

} // namespace
