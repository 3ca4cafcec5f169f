// The comment row, the thread's head and the reply row filled from comments: badges, reward colours,
// likes against the server, and a like reply that finds its cell showing another comment.
#include "foundation/URLEncode.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXPingCell.h"
#include "platform_sdk/user_center/VXPingTwoCell.h"
#include "platform_sdk/user_center/VXPingTwoHead.h"
#include "server/CommentArea.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

#include <cmath>
#include "tests/platform_sdk/user_center/ListScreenFixture.h"

namespace {

namespace driver = ui::driver;

class CommentCellsTest : public vx::test::ListScreenTest {
protected:
    VXPingCellRef makeCell() {
        VXPingCell::registerInterfaceFile();
        auto cell = ui::loadFromNib<VXPingCell>(URLEncode::getSdkBundle());
        window->addSubview(cell);
        return cell;
    }
    static VXPingModelRef comment(ns::Dictionary d) {
        return VXKeyValue::vx_objectWithKeyValues<VXPingModel>(ns::Value(std::move(d)));
    }
    // A comment of the seeded server world.
    long long firstId() {
        long long id = 0;
        server.withState([&](vx::server::PlatformServer::State& s) { id = vx::server::CommentArea::of(s).comments.back().id; });
        return id;
    }
};

TEST_F(CommentCellsTest, MapsTheReplyKeysWithTheIdRenamed) {
    auto m = comment({{"id", "101"}, {"good", "7"}});
    EXPECT_EQ(m->Id.integerValue(), 101);
    EXPECT_TRUE(m->Id.isNumber());
    EXPECT_EQ(m->good.integerValue(), 7);
    // A wrong type converts like nil: no crash, no badge.
    auto odd = comment({{"paypic", "text"}, {"level", ns::Array{}}});
    EXPECT_TRUE(odd->paypic.empty());
    EXPECT_EQ(odd->level.integerValue(), 0);
}

TEST_F(CommentCellsTest, BadgesAndRewardFollowTheComment) {
    auto cell = makeCell();
    cell->setModel(comment({{"level", 0}, {"vippic", ""}, {"paypic", ns::Dictionary{}}, {"good", 3}, {"isgood", 0}}));
    EXPECT_TRUE(cell->goldView.lock()->isHidden());
    EXPECT_TRUE(cell->vipPic.lock()->isHidden());
    EXPECT_TRUE(cell->payPic.lock()->isHidden());
    EXPECT_EQ(cell->numberL.lock()->text(), "3");
    EXPECT_TRUE(cell->goodBtn.lock()->isEnabled());

    std::string pic = server.host() + "/pic/";
    cell->setModel(comment({{"level", 1}, {"goldcoin", "20"}, {"vippic", ""}, {"paypic", ns::Dictionary{{"pic", pic + "paid.png"}}}}));
    EXPECT_FALSE(cell->payPic.lock()->isHidden());
    EXPECT_EQ(cell->payPicLeft.lock()->constant(), 5);
    EXPECT_FALSE(cell->goldView.lock()->isHidden());
    EXPECT_EQ(cell->goldL.lock()->text(), "奖励20金币");
    EXPECT_TRUE(cell->goldL.lock()->textColor()->isEqual(*XTExtention::colorWithHexString("#6137E7")));
    EXPECT_TRUE(cell->goldPicView.lock()->image());

    cell->setModel(comment({{"level", 2}, {"goldcoin", "50"}, {"vippic", pic + "vip.png"},
                            {"paypic", ns::Dictionary{{"pic", pic + "paid.png"}}}, {"isgood", 1}}));
    EXPECT_EQ(cell->payPicLeft.lock()->constant(), 60);
    EXPECT_EQ(cell->payPic.lock()->frame().origin.x, 115);
    EXPECT_TRUE(cell->goldL.lock()->textColor()->isEqual(*XTExtention::colorWithHexString("#e6a04d")));
    EXPECT_FALSE(cell->goodBtn.lock()->isEnabled());
    // The reward label and its picture lean at −45°.
    EXPECT_NEAR(cell->goldL.lock()->transform().b, -std::sqrt(0.5), 1e-9);
    // A level without a picture shows none and does not fail.
    cell->setModel(comment({{"level", 9}}));
    EXPECT_FALSE(cell->goldPicView.lock()->image());
}

TEST_F(CommentCellsTest, ALikeReplyUpdatesTheCommentItWasSentFor) {
    auto cell = makeCell();
    auto liked = comment({{"id", firstId()}, {"good", 7}, {"isgood", 0}});
    auto other = comment({{"id", 5}, {"good", 1}, {"isgood", 0}});
    cell->setModel(liked);
    server.holdNext("Sdkcomments/good");
    cell->doGoodBtnClick();
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    EXPECT_EQ(lastParams("Sdkcomments/good")["comments_id"].integerValue(), firstId());
    EXPECT_EQ(lastParams("Sdkcomments/good")["username"].stringValue(), "player01");
    cell->setModel(other); // reused for another row before the reply
    server.releaseHeld();
    ASSERT_TRUE(runMainUntil([&] { return liked->good.integerValue() == 8; }));
    EXPECT_EQ(liked->isgood.integerValue(), 1);
    EXPECT_EQ(other->good.integerValue(), 1);
    EXPECT_EQ(cell->numberL.lock()->text(), "1");
    EXPECT_TRUE(cell->goodBtn.lock()->isEnabled());

    // Liked while shown: 7 → 8 on the row, button off, the filled icon.
    auto again = comment({{"id", firstId() - 1}, {"good", 7}, {"isgood", 0}});
    cell->setModel(again);
    cell->doGoodBtnClick();
    ASSERT_TRUE(runMainUntil([&] { return cell->numberL.lock()->text() == std::optional<std::string>("8"); }));
    EXPECT_FALSE(cell->goodBtn.lock()->isEnabled());
    // The filled heart.
    EXPECT_TRUE(imagebytes::near(imagebytes::pixelAt(cell->goodIcon.lock()->image()->CGImage(), 16, 17), {240, 80, 90, 255}, 2));
    // A refusal (second like by the same player) changes nothing.
    again->isgood = 0;
    cell->setModel(again);
    cell->doGoodBtnClick();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/good", 3));
    EXPECT_EQ(again->good.integerValue(), 8);
    EXPECT_TRUE(cell->goodBtn.lock()->isEnabled());
}

TEST_F(CommentCellsTest, HeadAndReplyRowsShareTheCommentDisplay) {
    auto model = comment({{"id", firstId()}, {"full_name", "风中追风"}, {"content", "短"}, {"level", 2},
                          {"goldcoin", "50"}, {"vippic", server.host() + "/pic/vip.png"},
                          {"paypic", ns::Dictionary{{"pic", server.host() + "/pic/paid.png"}}}, {"good", 7}, {"isgood", 0}});
    auto head = VXPingTwoHead::viewFromXib();
    ASSERT_TRUE(head);
    head->setModel(model);
    EXPECT_EQ(head->goodL.lock()->text(), "7");
    EXPECT_EQ(head->payPicLeft.lock()->constant(), 60);
    EXPECT_NEAR(head->goldPic.lock()->transform().b, -std::sqrt(0.5), 1e-9);

    VXPingTwoCell::registerInterfaceFile();
    auto reply = ui::loadFromNib<VXPingTwoCell>(URLEncode::getSdkBundle());
    reply->setModel(comment({{"vippic", ""}, {"paypic", ns::Dictionary{{"pic", "x"}}}, {"content", "回复"}}));
    EXPECT_EQ(reply->payPicLeft.lock()->constant(), 5);
    EXPECT_TRUE(reply->vipPic.lock()->isHidden());
    EXPECT_EQ(reply->showL.lock()->text(), "回复");

    // Head height: the text's height at the screen width − 32 in 13 pt, + 147.5; kept once measured.
    double w = ui::Screen::mainScreen().bounds().size.width - 32;
    EXPECT_EQ(model->headH(), URLEncode::getHeightWithText("短", w, 13) + 147.5);
    auto tall = comment({{"content", std::string(400, 'x')}});
    EXPECT_GT(tall->headH(), model->headH());
    tall->content = "短";
    EXPECT_GT(tall->headH(), model->headH()) << "cached";
}

} // namespace
