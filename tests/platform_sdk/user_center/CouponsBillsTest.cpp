// The coupon centre, my coupons and the three statements, driven as a player does against the
// stand-in server: claims (one, all, late replies), filters, tabs, source menus and paging.
#include "os/uikit/Application.h"
#include "platform_sdk/user_center/VXSuBillCell.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXSuCouponCell.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXSuMyCouponCell.h"
#include "platform_sdk/user_center/VXSuMyCouponVC.h"
#include "server/CouponArea.h"
#include "tests/platform_sdk/user_center/ListScreenFixture.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXRefreshAutoStateFooter.h"

namespace {

namespace driver = ui::driver;
using vx::server::PlatformServer;
using VXSuMyCouponCellRef = ns::Ref<VXSuMyCouponCell>;

class CouponsTest : public vx::test::ListScreenTest {
protected:
    VXSuCouponVCRef openCentre() {
        auto centre = VXSuCouponVC::instantiate();
        present(centre);
        answered("Sdkdetail/couponlists");
        return centre;
    }
    VXSuMyCouponVCRef openMine(const VXSuCouponVCRef& centre) {
        driver::tap(centre->navBtn());
        advance(0.35);
        EXPECT_EQ(navigation->viewControllers().size(), 2u);
        answered("Sdkhome/mycoupon");
        return std::dynamic_pointer_cast<VXSuMyCouponVC>(navigation->topViewController());
    }
    void claimOnServer(std::initializer_list<long long> cids) {
        server.withState([&](PlatformServer::State& s) {
            for (long long cid : cids) vx::server::CouponArea::of(s).claim("player01", cid);
        });
    }
    std::string footerText(const ui::TableViewRef& table) {
        auto footer = std::dynamic_pointer_cast<VXRefreshAutoStateFooter>(VXRefresh::VX_footer(table));
        return footer && footer->stateLabel()->text() ? *footer->stateLabel()->text() : "";
    }
    ui::ButtonRef filter(const VXSuMyCouponVCRef& mine, long tag) {
        return std::dynamic_pointer_cast<ui::Button>(mine->topView()->viewWithTag(tag));
    }
    static bool usableLook(const VXSuMyCouponCellRef& cell) {
        // The usable ticket's stub is blue (#4958A7), the other grey.
        auto stub = imagebytes::pixelAt(cell->bgPic.lock()->image()->CGImage(), 40, 90);
        return stub.b > 150 && stub.r < 100;
    }
};

TEST_F(CouponsTest, TheCentreListsOnePageAndLaysOutByDevice) {
    VXSuCouponVCRef centre;
    ASSERT_NO_FATAL_FAILURE(centre = openCentre());
    auto params = lastParams("Sdkdetail/couponlists");
    EXPECT_EQ(params["username"].stringValue(), "player01");
    EXPECT_EQ(params["type"].stringValue(), "ios");
    EXPECT_EQ(params["cpsId"].stringValue(), "cps3");
    EXPECT_EQ(params["gid"].stringValue(), "1001");
    EXPECT_FALSE(params.dictionaryPtr()->contains("pagecode"));
    ASSERT_EQ(centre->dataSource().size(), 5u);
    EXPECT_EQ(footerText(centre->tableView()), "已全部加载完毕");
    cg::Rect b = centre->view()->bounds();
    EXPECT_EQ(centre->tableView()->frame(), cg::RectMake(0, 131, b.size.width, b.size.height - 131 - 72));
    auto cell = driver::cell<VXSuCouponCell>(centre->tableView(), {0, 0});
    EXPECT_EQ(cell->moneyL.lock()->text(), "10");
    EXPECT_EQ(cell->manL.lock()->text(), "满100元可用");
    EXPECT_EQ(cell->showL.lock()->text(), "适用于《星辰物语》");
    EXPECT_EQ(cell->timeL.lock()->text(), "2024-06-01至2024-06-30");
    shoot("uc-mine-coupon-centre");
    {
        // The ticket's notches stay round on a wide row: 10 pt left of the divider (7 pt into the
        // fixed right part), 1 pt below the top edge is stub, not notch.
        auto pic = cell->bgPic.lock();
        auto image = decode(sandboxPath() + "/uc-mine-coupon-centre.png");
        ASSERT_TRUE(pic && image);
        cg::Rect ticket = pic->superview()->convertRectToView(pic->frame(), nullptr);
        double scale = image->width() / window->bounds().size.width;
        double x = cg::RectGetMaxX(ticket) - 172 - 10, y = ticket.origin.y + 1;
        auto p = imagebytes::pixelAt(image, static_cast<uint32_t>(x * scale), static_cast<uint32_t>(y * scale));
        EXPECT_TRUE(imagebytes::near(p, {97, 55, 231, 255}, 12)) << int(p.r) << "," << int(p.g) << "," << int(p.b);
    }

    useProfile(notch());
    VXSuCouponVCRef tall;
    ASSERT_NO_FATAL_FAILURE(tall = openCentre());
    b = tall->view()->bounds();
    EXPECT_EQ(tall->tableView()->frame(), cg::RectMake(0, 155, b.size.width, b.size.height - 155 - 106));
    // My coupons' filter bar sits under the taller bar too.
    VXSuMyCouponVCRef mine;
    ASSERT_NO_FATAL_FAILURE(mine = openMine(tall));
    EXPECT_EQ(mine->topView()->frame().origin.y, 88);
    EXPECT_EQ(mine->tableView()->frame().origin.y, 133);
}

TEST_F(CouponsTest, ClaimingCollapsesOnlyThatRowAndClaimAllEmptiesTheList) {
    VXSuCouponVCRef centre;
    ASSERT_NO_FATAL_FAILURE(centre = openCentre());
    server.holdNext("Sdkdetail/getcoupon");
    driver::selectRow(centre->tableView(), {0, 1});
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    driver::selectRow(centre->tableView(), {0, 1}); // a second tap while the claim is out sends nothing
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkdetail/getcoupon"));
    ASSERT_EQ(server.requests("Sdkdetail/getcoupon").size(), 1u);
    auto claim = server.requests("Sdkdetail/getcoupon").front();
    EXPECT_TRUE(claim.scrambled);
    EXPECT_TRUE(claim.params["cid"].isInteger()) << "sent as the number the list held";
    EXPECT_EQ(claim.params["cid"].integerValue(), 8);
    EXPECT_TRUE(toastShows(centre, "领取成功"));
    EXPECT_EQ(driver::rowHeight(centre->tableView(), {0, 1}), 0);
    EXPECT_EQ(driver::rowHeight(centre->tableView(), {0, 0}), 110);
    EXPECT_EQ(driver::rowHeight(centre->tableView(), {0, 2}), 110);
    EXPECT_EQ(centre->dataSource().size(), 5u);
    EXPECT_EQ(centre->dataSource()[1].objectAs<VXSuCouponModel>()->is_get, "1");
    advance(3); // the toasts go
    shoot("uc-mine-coupon-centre-claimed");

    driver::tap(driver::findByAccessibilityId(centre->view(), "coupon_claim_all"));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkdetail/getcouponall"));
    EXPECT_EQ(lastParams("Sdkdetail/getcouponall")["gid"].stringValue(), "1001");
    EXPECT_TRUE(centre->dataSource().empty());
    EXPECT_EQ(driver::rowCount(centre->tableView(), 0), 0);
    EXPECT_EQ(server.requests("Sdkdetail/couponlists").size(), 1u) << "not fetched again";
    advance(3);
    shoot("uc-mine-coupon-centre-all");
}

TEST_F(CouponsTest, AClaimReplyAfterClaimAllChangesNoRow) {
    VXSuCouponVCRef centre;
    ASSERT_NO_FATAL_FAILURE(centre = openCentre());
    server.holdNext("Sdkdetail/getcoupon");
    driver::selectRow(centre->tableView(), {0, 4});
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    auto model = centre->dataSource()[4].objectAs<VXSuCouponModel>();
    centre->getAllCoupons();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkdetail/getcouponall"));
    ASSERT_TRUE(centre->dataSource().empty());
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkdetail/getcoupon"));
    EXPECT_EQ(driver::rowCount(centre->tableView(), 0), 0);
    // The late reply updates its own coupon; no row shows it any more.
    EXPECT_TRUE(toastShows(centre, "领取成功"));
    EXPECT_EQ(model->is_get, "1");
}

TEST_F(CouponsTest, FailuresAndRefusalsShowTheirMessages) {
    server.scriptNext("Sdkdetail/couponlists", reply(ns::Dictionary{{"a", 0}, {"b", "活动未开始"}}));
    VXSuCouponVCRef refused;
    ASSERT_NO_FATAL_FAILURE(refused = openCentre());
    EXPECT_TRUE(toastShows(refused, "活动未开始"));
    EXPECT_TRUE(refused->dataSource().empty());
    EXPECT_FALSE(refused->showRefreshFooter());
    navigation->dismissViewControllerAnimated(false);
    advance(0.3);

    claimOnServer({7, 8, 9, 10, 11});
    VXSuCouponVCRef centre;
    ASSERT_NO_FATAL_FAILURE(centre = openCentre());
    for (long row = 0; row < 5; ++row) EXPECT_EQ(driver::rowHeight(centre->tableView(), {0, row}), 0);
    EXPECT_EQ(footerText(centre->tableView()), "已全部加载完毕");
    server.scriptNext("Sdkdetail/getcouponall", dropped());
    centre->getAllCoupons();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkdetail/getcouponall"));
    EXPECT_TRUE(toastShows(centre, "服务器错误"));
    server.scriptNext("Sdkdetail/getcouponall", raw(200, "not a coded reply"));
    centre->getAllCoupons();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkdetail/getcouponall", 2));
    EXPECT_EQ(centre->dataSource().size(), 5u);

    ShareVale::sharedInstance()->setIosWapBoxUrl(std::string("https://box.example/app"));
    driver::tap(driver::findByAccessibilityId(centre->view(), "coupon_box_banner"));
    ASSERT_FALSE(ui::Application::shared().openedURLs().empty());
    EXPECT_EQ(ui::Application::shared().openedURLs().back()->absoluteString(), "https://box.example/app");
}

TEST_F(CouponsTest, MyCouponsFilterBySwitchingTheDisabledButton) {
    claimOnServer({7});
    VXSuMyCouponVCRef mine;
    ASSERT_NO_FATAL_FAILURE(mine = openMine(openCentre()));
    ASSERT_TRUE(mine);
    EXPECT_EQ(lastParams("Sdkhome/mycoupon")["status"].stringValue(), "1");
    EXPECT_EQ(lastParams("Sdkhome/mycoupon")["pagecode"].integerValue(), 1);
    EXPECT_EQ(mine->topView()->frame(), cg::RectMake(0, 64, mine->view()->bounds().size.width, 45));
    EXPECT_EQ(mine->tableView()->frame().origin.y, 109);
    auto usable = filter(mine, 10), expired = filter(mine, 11);
    EXPECT_FALSE(usable->isEnabled());
    EXPECT_EQ(mine->indicator.lock()->center().x, usable->center().x);
    ASSERT_EQ(mine->dataSource().size(), 1u);
    auto cell = driver::cell<VXSuMyCouponCell>(mine->tableView(), {0, 0});
    EXPECT_EQ(cell->moneyL.lock()->text(), "¥10");
    auto money = *cell->moneyL.lock()->attributedText();
    auto sign = money.attributes(0)[ns::FontAttributeName].objectAs<ui::Font>();
    ASSERT_TRUE(sign);
    EXPECT_EQ(sign->pointSize(), 20);
    EXPECT_FALSE(money.attributes(1)[ns::FontAttributeName].objectAs<ui::Font>()) << "the rest keeps the label's font";
    EXPECT_EQ(cell->manL.lock()->text(), "满100可用");
    EXPECT_EQ(cell->showL.lock()->text(), "满100减10");
    EXPECT_EQ(cell->nameL.lock()->text(), "星辰物语可用");
    EXPECT_EQ(cell->timeL.lock()->text(), "2024-06-30到期");
    EXPECT_TRUE(usableLook(cell));
    shoot("uc-mine-my-coupons-usable");

    driver::tap(expired);
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/mycoupon", 2));
    EXPECT_EQ(lastParams("Sdkhome/mycoupon")["status"].stringValue(), "0");
    EXPECT_EQ(lastParams("Sdkhome/mycoupon")["pagecode"].integerValue(), 1);
    EXPECT_FALSE(expired->isEnabled());
    EXPECT_TRUE(usable->isEnabled());
    advance(0.25);
    EXPECT_EQ(mine->indicator.lock()->center().x, expired->center().x);
    ASSERT_EQ(mine->dataSource().size(), 2u);
    EXPECT_FALSE(usableLook(driver::cell<VXSuMyCouponCell>(mine->tableView(), {0, 0})));
    EXPECT_THROW(driver::tap(expired), driver::Failure) << "the chosen filter takes no taps";
    expired->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    drainMain();
    EXPECT_EQ(server.requests("Sdkhome/mycoupon").size(), 2u);
    shoot("uc-mine-my-coupons-unusable");
}

TEST_F(CouponsTest, FilterRepliesInReverseOrderShowTheLastFilter) {
    claimOnServer({7, 8});
    VXSuMyCouponVCRef mine;
    ASSERT_NO_FATAL_FAILURE(mine = openMine(openCentre()));
    server.holdNext("Sdkhome/mycoupon");
    driver::tap(filter(mine, 11));
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    driver::tap(filter(mine, 10));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/mycoupon", 3));
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/mycoupon", 3));
    ASSERT_EQ(mine->dataSource().size(), 2u);
    EXPECT_EQ(mine->dataSource()[0].objectAs<VXSuCouponModel>()->end_time, "2024-06-30");
    EXPECT_EQ(mine->loadedStatus(), "1");

    // A switch whose load fails keeps the rows with the look they were loaded with.
    server.scriptNext("Sdkhome/mycoupon", dropped());
    driver::tap(filter(mine, 11));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/mycoupon", 4));
    EXPECT_EQ(mine->status(), "0");
    EXPECT_EQ(mine->dataSource().size(), 2u);
    mine->tableView()->reloadData();
    EXPECT_TRUE(usableLook(driver::cell<VXSuMyCouponCell>(mine->tableView(), {0, 0})));
}

class BillsTest : public CouponsTest {
protected:
    VXSuBillVCRef openBills(bool ptb, bool stars) {
        auto bills = VXSuBillVC::instantiate();
        bills->setIsPtb(ptb);
        bills->setIsStars(stars);
        present(bills);
        answered(ptb ? "Userexpand/getptblog" : stars ? "Sdkhome/getstarcoinlog" : "Sdkhome/getdjqlog");
        return bills;
    }
    ui::ButtonRef spending(const VXSuBillVCRef& bills) {
        return std::dynamic_pointer_cast<ui::Button>(bills->bgView.lock()->viewWithTag(11));
    }
    std::string sign(const VXSuBillVCRef& bills, long row) {
        return driver::cell<VXSuBillCell>(bills->tableView(), {0, row})->numL.lock()->text().value_or("");
    }
};

TEST_F(BillsTest, VoucherStatementSendsTheScreenOfTabAndMenu) {
    server.withState([](PlatformServer::State& s) { vx::server::CouponArea::of(s).pageSize = 15; });
    VXSuBillVCRef bills;
    ASSERT_NO_FATAL_FAILURE(bills = openBills(false, false));
    EXPECT_EQ(bills->showL.lock()->text(), "代金券");
    auto first = lastParams("Sdkhome/getdjqlog");
    EXPECT_EQ(first["screen"].integerValue(), 0);
    EXPECT_EQ(first["type"].stringValue(), "ios");
    EXPECT_EQ(first["appid"].stringValue(), "app7");
    EXPECT_EQ(bills->menu()->title(), "后台代充");
    EXPECT_EQ(bills->menu()->superview(), bills->bgView.lock());
    ASSERT_EQ(bills->dataSource().size(), 15u);
    EXPECT_EQ(sign(bills, 0), "+5");
    cg::Rect b = bills->view()->bounds();
    double top = cg::RectGetMaxY(bills->bgView.lock()->frame()) + 5;
    EXPECT_EQ(bills->tableView()->frame(), cg::RectMake(16, top, b.size.width - 32, b.size.height - top));

    // Paging through the footer: 23 lines make two pages of 15.
    driver::scrollToEnd(bills->tableView());
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/getdjqlog", 2));
    EXPECT_EQ(lastParams("Sdkhome/getdjqlog")["pagecode"].integerValue(), 2);
    EXPECT_EQ(bills->dataSource().size(), 23u);
    bills->tableView()->setContentOffset({0, 0});

    driver::tap(bills->menu()->titleButton());
    shoot("uc-mine-bills-voucher-menu");
    driver::tap(bills->menu()->optionButtons().at(1));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/getdjqlog", 3));
    EXPECT_EQ(lastParams("Sdkhome/getdjqlog")["screen"].integerValue(), 2);
    EXPECT_EQ(lastParams("Sdkhome/getdjqlog")["pagecode"].integerValue(), 1);
    EXPECT_EQ(bills->menu()->title(), "金币兑换");
    for (const auto& row : bills->dataSource()) EXPECT_EQ(row["remark"].stringValue(), "金币兑换");

    driver::tap(spending(bills));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/paydjqlog"));
    EXPECT_EQ(lastParams("Sdkhome/paydjqlog")["screen"].integerValue(), 1);
    EXPECT_EQ(bills->menu()->title(), "游戏充值");
    EXPECT_FALSE(bills->menu()->isHidden());
    EXPECT_EQ(sign(bills, 0), "-5");
    // The underline stays under the chosen tab through layout passes.
    bills->view()->setNeedsLayout();
    bills->view()->layoutIfNeeded();
    EXPECT_EQ(bills->indicator.lock()->center().x, spending(bills)->center().x);
    shoot("uc-mine-bills-voucher-spending");

    size_t sent = server.requests().size();
    spending(bills)->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    drainMain();
    EXPECT_EQ(server.requests().size(), sent) << "the chosen tab sends nothing";
}

TEST_F(BillsTest, StarCoinAndPlatformCoinStatements) {
    VXSuBillVCRef stars;
    ASSERT_NO_FATAL_FAILURE(stars = openBills(false, true));
    EXPECT_EQ(stars->menu()->title(), "后台发放");
    driver::tap(spending(stars));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/paystarcoinlog"));
    EXPECT_TRUE(stars->menu()->isHidden());
    EXPECT_EQ(lastParams("Sdkhome/paystarcoinlog")["screen"].integerValue(), 1);
    EXPECT_EQ(stars->menuArr(), (std::vector<std::string>{"后台发放", "金币兑换"})) << "left as it was";
    EXPECT_EQ(stars->dataSource().size(), 4u);
    shoot("uc-mine-bills-stars-spending");

    navigation = nullptr;
    useProfile(plain());
    VXSuBillVCRef coins;
    ASSERT_NO_FATAL_FAILURE(coins = openBills(true, true));
    EXPECT_EQ(coins->showL.lock()->text(), "平台币");
    EXPECT_TRUE(coins->menuArr().empty());
    EXPECT_FALSE(coins->menu()->superview()) << "no menu";
    EXPECT_EQ(lastParams("Userexpand/getptblog")["screen"].integerValue(), 0);
    shoot("uc-mine-bills-coins");
    driver::tap(spending(coins));
    ASSERT_NO_FATAL_FAILURE(answered("Userexpand/payptblog"));
    EXPECT_EQ(lastParams("Userexpand/payptblog")["screen"].integerValue(), 1);
    driver::tap(coins->oneBtn.lock());
    ASSERT_NO_FATAL_FAILURE(answered("Userexpand/getptblog", 2));
    EXPECT_EQ(lastParams("Userexpand/getptblog")["screen"].integerValue(), 1);
}

TEST_F(BillsTest, AMenuReplyWithoutAStatusOrAFailedSwitchKeepsTheRowsAndTheirSign) {
    VXSuBillVCRef bills;
    ASSERT_NO_FATAL_FAILURE(bills = openBills(false, false));
    server.scriptNext("Sdkhome/getdjqlog", reply(ns::Dictionary{{"b", "稍后再试"}}));
    driver::tap(bills->menu()->titleButton());
    driver::tap(bills->menu()->optionButtons().at(1));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/getdjqlog", 2));
    EXPECT_TRUE(toastShows(bills, "稍后再试"));
    EXPECT_EQ(bills->dataSource().size(), 10u);
    EXPECT_EQ(bills->totalPage(), 3);

    server.scriptNext("Sdkhome/paydjqlog", reply(ns::Dictionary{{"a", 0}, {"b", "查询失败"}}));
    driver::tap(spending(bills));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkhome/paydjqlog"));
    EXPECT_TRUE(toastShows(bills, "查询失败"));
    EXPECT_EQ(bills->dataSource().size(), 10u);
    bills->tableView()->reloadData();
    EXPECT_EQ(sign(bills, 0), "+5");
    EXPECT_TRUE(bills->loadedIncome());
}

} // namespace
