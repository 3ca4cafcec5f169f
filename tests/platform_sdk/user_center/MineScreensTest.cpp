// The mine page and its panels as a player sees them, on a phone with and without a home
// indicator, compared with their goldens.
#include "platform_sdk/user_center/VXSuBangView.h"
#include "server/MineArea.h"
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

INSTANTIATE_TEST_SUITE_P(Profiles, MineScreens, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Notch" : "Plain"; });

} // namespace
