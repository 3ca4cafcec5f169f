// The voucher picker over a presenting screen: request, reply mapping, picking, failures, margins.
#include "foundation/URLEncode.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXCouponsCell.h"
#include "platform_sdk/VXCouponsVC.h"
#include "tests/platform_sdk/PlatformFixture.h"

namespace driver = ui::driver;
using ns::Value;

namespace {

class CouponsPicker : public vx::test::PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ui::Application::shared().reset();
        vx::test::copySdkPictures(bundlePath());
        ASSERT_NO_FATAL_FAILURE(signIn("player01"));
        registerVXCouponsVCScene();
    }
    void TearDown() override {
        picker = nullptr, presenter = nullptr, window = nullptr;
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }
    void open(bool withBlock, bool expectRows = true) {
        presenter = ui::ViewController::create();
        window = vx::test::showKeyWindow(presenter);
        picker = std::dynamic_pointer_cast<VXCouponsVC>(ui::Storyboard::storyboardWithName("VXNewPayVC", URLEncode::getSdkBundle())
                                                            ->instantiateViewControllerWithIdentifier("VXCouponsVC"));
        ASSERT_TRUE(picker);
        picker->money = "6.66";
        if (withBlock) picker->couponsBlock = [this](const ns::Ref<VXCouponsModel>& m) { picked.push_back(m); };
        picker->setModalPresentationStyle(ui::ModalPresentationStyle::Custom);
        presenter->presentViewController(picker, false);
        drainMain();
        ASSERT_TRUE(awaitRequests("pay/getcoupons", ++opened));
        ASSERT_NO_FATAL_FAILURE(awaitReplies());
        EXPECT_EQ(picker->dataSource().empty(), !expectRows);
    }
    ui::WindowRef window;
    ui::ViewControllerRef presenter;
    ns::Ref<VXCouponsVC> picker;
    std::vector<ns::Ref<VXCouponsModel>> picked;
    size_t opened = 0;
};

} // namespace

TEST_F(CouponsPicker, ListsTheRepliedVouchersInOrder) {
    ns::Array data{ns::Dictionary{{"cid", 12}, {"coupon_name", "满减"}, {"pay_money", 5.5}, {"coupon_money", 2}, {"av", "1"}, {"gid", "0"}},
                   ns::Dictionary{{"coupon_name", "无编号"}, {"pay_money", "20"}, {"av", "0"}},
                   "not a voucher",
                   ns::Dictionary{{"cid", "9"}, {"av", 1}, {"gid", 7}, {"av_time", "2030-01-01"}}};
    server.script("pay/getcoupons", reply(ns::Dictionary{{"code", 1}, {"data", data}}));
    ASSERT_NO_FATAL_FAILURE(open(true));
    auto sent = server.requests("pay/getcoupons").back();
    EXPECT_TRUE(sent.scrambled);
    EXPECT_EQ(sent.params, Value(ns::Dictionary{{"z", "player01"}, {"b", "app7"}, {"e", "1001"}, {"f", "agent9"}, {"mm", "6.66"}}));

    ASSERT_EQ(driver::rowCount(picker->tableView, 0), 3);
    auto first = driver::cell<VXCouponsCell>(picker->tableView, ui::IndexPath::forRow(0, 0));
    EXPECT_EQ(first->model()->cid, "12");
    EXPECT_EQ(first->moneyL.lock()->text(), std::optional<std::string>("满5.5元可用"));
    EXPECT_EQ(first->couponsL.lock()->text(), std::optional<std::string>("2元"));
    EXPECT_EQ(first->showL.lock()->text(), std::optional<std::string>("通用券"));
    EXPECT_TRUE(first->btn.lock()->isEnabled());
    auto second = driver::cell<VXCouponsCell>(picker->tableView, ui::IndexPath::forRow(1, 0));
    EXPECT_EQ(second->model()->cid, "(null)");
    EXPECT_FALSE(second->btn.lock()->isEnabled());
    EXPECT_EQ(second->showL.lock()->text(), std::optional<std::string>("通用券"));
    auto third = driver::cell<VXCouponsCell>(picker->tableView, ui::IndexPath::forRow(2, 0));
    EXPECT_TRUE(third->btn.lock()->isEnabled()); // the number 1 counts as "1"
    EXPECT_EQ(third->showL.lock()->text(), std::optional<std::string>("专用券"));
    EXPECT_EQ(third->timeL.lock()->text(), std::optional<std::string>("有效期:2030-01-01"));

    driver::tap(first->btn.lock());
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], first->model());
    advance(0.5);
    EXPECT_FALSE(presenter->presentedViewController());
}

TEST_F(CouponsPicker, WithoutABlockATapNeitherCallsNorDismisses) {
    ASSERT_NO_FATAL_FAILURE(open(false));
    ASSERT_EQ(driver::rowCount(picker->tableView, 0), 3); // the stand-in's vouchers
    driver::tap(driver::cell<VXCouponsCell>(picker->tableView, ui::IndexPath::forRow(0, 0))->btn.lock());
    advance(0.5);
    EXPECT_EQ(presenter->presentedViewController(), picker);
    EXPECT_EQ(picker->left.lock()->constant(), 10);

    // Landscape on a notched phone widens the margin.
    picker->dismissViewControllerAnimated(false);
    driver::useProfile(ui::DeviceProfile::notchLandscape());
    ASSERT_NO_FATAL_FAILURE(open(true));
    EXPECT_EQ(picker->left.lock()->constant(), 40);
    EXPECT_EQ(picker->couponsView.lock()->frame().origin.x, 40);
}

TEST_F(CouponsPicker, FailuresLeaveAnEmptyListAndNoToast) {
    for (int round = 0; round < 3; ++round) {
        if (round == 0) server.script("pay/getcoupons", reply(ns::Dictionary{{"code", 0}, {"data", ns::Array{}}}));
        if (round == 1) server.script("pay/getcoupons", reply(ns::Dictionary{{"code", 1}}));
        if (round == 2) server.stop();
        if (round == 2) --opened; // the stopped server records nothing
        ASSERT_NO_FATAL_FAILURE(open(true, false));
        EXPECT_EQ(driver::rowCount(picker->tableView, 0), 0) << round;
        EXPECT_EQ(driver::findAll<ui::Label>(window, [](const ui::Label& l) { return l.text() == std::optional<std::string>("(null)"); }).size(), 0u);
        picker->dismissViewControllerAnimated(false);
        drainMain();
    }
}
