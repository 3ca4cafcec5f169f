// The stand-in's comment, coupon and bill areas over HTTP: coherent state per player across calls.
#include "server/CommentArea.h"
#include "server/CouponArea.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

std::string str(const Value& v) { return v.stringValue().value_or("<none>"); }

class Areas : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        ASSERT_TRUE(signIn("ann"));
    }
    using ServerTest::form;
    Value form(const std::string& path, const std::vector<std::pair<std::string, std::string>>& params) {
        std::string body;
        for (const auto& [k, v] : params) body += (body.empty() ? "" : "&") + k + "=" + httplib::detail::encode_query_param(v);
        return form(path, body);
    }
    Value comments(const std::string& user, int px, int page) {
        return form("Sdkcomments/get", {{"username", user}, {"appid", "app7"}, {"gid", "1001"}, {"cpsId", "c"},
                                        {"px", std::to_string(px)}, {"pagecode", std::to_string(page)}});
    }
};

TEST_F(Areas, CommentsSortPageLikeAndReply) {
    server.withState([](PlatformServer::State& s) { vx::server::CommentArea::of(s).pageSize = 5; });
    Value byLikes = comments("ann", 1, 1);
    ASSERT_EQ(byLikes["a"].integerValue(), 1);
    EXPECT_EQ(byLikes["c"]["now_page"].integerValue(), 1);
    EXPECT_EQ(byLikes["c"]["total_page"].integerValue(), 3); // 12 comments by 5
    EXPECT_EQ(byLikes["c"]["lists"].count(), 5u);
    EXPECT_EQ(byLikes["c"]["lists"][0]["good"].integerValue(), 25);
    Value byTime = comments("ann", 0, 1);
    EXPECT_EQ(str(byTime["c"]["lists"][0]["createtime"]), "2024-05-31 09:02");
    EXPECT_EQ(comments("ann", 0, 3)["c"]["lists"].count(), 2u);
    EXPECT_EQ(comments("ann", 0, 4)["c"]["lists"].count(), 0u);

    // The first comment: badges as the client reads them, a like for one player only.
    Value head = comments("ann", 0, 1)["c"]["lists"][1];
    EXPECT_EQ(str(head["full_name"]), "风中追风");
    EXPECT_TRUE(head["id"].isInteger());
    EXPECT_NE(str(head["paypic"]["pic"]), "<none>");
    EXPECT_TRUE(comments("ann", 0, 3)["c"]["lists"][0]["paypic"].isDictionary()); // {} for none
    std::string id = std::to_string(head["id"].integerValue());
    auto like = [&](const std::string& user) {
        return form("Sdkcomments/good", {{"username", user}, {"appid", "app7"}, {"comments_id", id}});
    };
    EXPECT_EQ(like("ann")["a"].integerValue(), 1);
    EXPECT_EQ(like("ann")["a"].integerValue(), 0);
    Value after = comments("ann", 0, 1)["c"]["lists"][1];
    EXPECT_EQ(after["good"].integerValue(), 8);
    EXPECT_EQ(after["isgood"].integerValue(), 1);
    EXPECT_EQ(comments("bob", 0, 1)["c"]["lists"][1]["isgood"].integerValue(), 0);
    // Whom a player liked is the player's session's to see; anyone else reads the list without it.
    signOut();
    EXPECT_EQ(comments("ann", 0, 1)["c"]["lists"][1]["isgood"].integerValue(), 0);
    EXPECT_EQ(like("ann")["b"], Value("请先登录"));
    ASSERT_TRUE(signIn("ann"));

    // Replies: listed oldest first, a new one raises number_reply; an empty text is refused.
    auto thread = [&] {
        return form("Sdkcomments/listscomments",
                    {{"username", "ann"}, {"appid", "a"}, {"gid", "1"}, {"cpsId", "c"}, {"comments_id", id}, {"pagecode", "1"}});
    };
    EXPECT_EQ(thread()["c"]["lists"].count(), 3u);
    Value empty = form("Sdkcomments/commit", {{"gid", "1"}, {"username", "ann"}, {"appid", "a"}, {"content", ""}, {"cpsId", "c"}});
    EXPECT_EQ(empty["a"].integerValue(), 0);
    EXPECT_EQ(str(empty["b"]), "评论内容不能为空");
    Value posted = form("Sdkcomments/commit",
                        {{"gid", "1"}, {"username", "ann"}, {"appid", "a"}, {"content", "加油"}, {"pid", id}, {"cpsId", "c"}});
    EXPECT_EQ(posted["a"].integerValue(), 1);
    EXPECT_EQ(thread()["c"]["lists"].count(), 4u);
    EXPECT_EQ(str(thread()["c"]["lists"][3]["content"]), "加油");
    EXPECT_EQ(comments("ann", 0, 1)["c"]["lists"][1]["number_reply"].integerValue(), 4);
    // A new comment shows first by time on the next load.
    form("Sdkcomments/commit", {{"gid", "1"}, {"username", "ann"}, {"appid", "a"}, {"content", "新评论"}, {"cpsId", "c"}});
    EXPECT_EQ(str(comments("ann", 0, 1)["c"]["lists"][0]["content"]), "新评论");
    EXPECT_EQ(form("Sdkcomments/good", {{"username", "ann"}, {"comments_id", "99999"}})["a"].integerValue(), 0);
}

TEST_F(Areas, CouponsClaimOnceAndShowInMyCoupons) {
    auto centre = [&] { return form("Sdkdetail/couponlists", {{"username", "ann"}, {"type", "ios"}, {"cpsId", "c"}, {"gid", "1001"}}); };
    auto mine = [&](const char* status) {
        return form("Sdkhome/mycoupon", {{"username", "ann"}, {"gid", "1001"}, {"cpsId", "c"}, {"appid", "a"},
                                         {"status", status}, {"pagecode", "1"}});
    };
    Value list = centre();
    ASSERT_EQ(list["a"].integerValue(), 1);
    ASSERT_EQ(list["c"]["data"].count(), 5u);
    EXPECT_TRUE(list["c"]["data"][0]["cid"].isInteger());
    EXPECT_EQ(str(list["c"]["data"][0]["is_get"]), "0");
    EXPECT_EQ(mine("1")["lists"].count(), 0u);
    EXPECT_EQ(mine("0")["lists"].count(), 2u);

    // The id as a number (as the list held it) or as text.
    EXPECT_EQ(call("Sdkdetail/getcoupon", ns::Dictionary{{"cid", 7}, {"username", "ann"}})["a"].integerValue(), 1);
    Value again = call("Sdkdetail/getcoupon", ns::Dictionary{{"cid", "7"}, {"username", "ann"}});
    EXPECT_EQ(again["a"].integerValue(), 0);
    EXPECT_EQ(str(again["b"]), "您已领取过该抵扣券");
    EXPECT_EQ(str(centre()["c"]["data"][0]["is_get"]), "1");
    EXPECT_EQ(mine("1")["lists"].count(), 1u);
    EXPECT_EQ(str(mine("1")["lists"][0]["coupon_money"]), "10");
    // Another player's centre is untouched.
    EXPECT_EQ(str(form("Sdkdetail/couponlists", {{"username", "bob"}})["c"]["data"][0]["is_get"]), "0");

    EXPECT_EQ(call("Sdkdetail/getcouponall", ns::Dictionary{{"gid", "1001"}, {"username", "ann"}})["a"].integerValue(), 1);
    EXPECT_EQ(mine("1")["lists"].count(), 5u);
    EXPECT_EQ(call("Sdkdetail/getcouponall", ns::Dictionary{{"gid", "1001"}, {"username", "ann"}})["a"].integerValue(), 0);
}

TEST_F(Areas, BillsPageAndFilterBySource) {
    server.withState([](PlatformServer::State& s) { vx::server::CouponArea::of(s).pageSize = 10; });
    auto bills = [&](const char* path, int screen, int page) {
        return form(path, {{"username", "ann"}, {"appid", "a"}, {"type", "ios"}, {"screen", std::to_string(screen)},
                           {"pagecode", std::to_string(page)}});
    };
    Value all = bills("Sdkhome/getdjqlog", 0, 1);
    ASSERT_EQ(all["a"].integerValue(), 1);
    EXPECT_EQ(all["c"]["total_page"].integerValue(), 3); // 23 lines
    EXPECT_EQ(all["c"]["lists"].count(), 10u);
    EXPECT_EQ(bills("Sdkhome/getdjqlog", 0, 3)["c"]["lists"].count(), 3u);
    EXPECT_EQ(bills("Sdkhome/getdjqlog", 0, 3)["c"]["now_page"].integerValue(), 3);
    Value exchanged = bills("Sdkhome/getdjqlog", 2, 1);
    for (const auto& line : *exchanged["c"]["lists"].arrayPtr()) EXPECT_EQ(str(line["remark"]), "金币兑换");
    EXPECT_EQ(exchanged["c"]["lists"].count(), 8u);
    // Money is a magnitude; statements without sources ignore "screen".
    Value coins = bills("Userexpand/payptblog", 1, 1);
    EXPECT_EQ(coins["c"]["lists"].count(), 6u);
    for (const auto& line : *coins["c"]["lists"].arrayPtr()) EXPECT_GT(line["money"].integerValue(), 0);
    EXPECT_EQ(bills("Sdkhome/paystarcoinlog", 1, 1)["c"]["lists"].count(), 4u);
    EXPECT_EQ(bills("Sdkhome/paystarcoinlog", 1, 2)["c"]["lists"].count(), 0u);
}

} // namespace
