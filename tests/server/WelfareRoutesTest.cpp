// The welfare tab's endpoints of the stand-in server: paging arithmetic, the per-user claims and
// the pictures and article pages served beside them.
#include "server/WelfareArea.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

using WelfareRoutes = ServerTest;

TEST_F(WelfareRoutes, ListsPageByTheAreasSize) {
    Value first = form("Sdkdetail/gonglue", "username=u1&gid=1001&pagecode=1");
    EXPECT_EQ(first["lists"].count(), 10u);
    EXPECT_EQ(first["now_page"].integerValue(), 1);
    EXPECT_EQ(first["total_page"].integerValue(), 3);
    EXPECT_EQ(form("Sdkdetail/gonglue", "pagecode=3")["lists"].count(), 3u);
    EXPECT_EQ(form("Sdkdetail/gonglue", "pagecode=4")["lists"].count(), 0u);
    EXPECT_EQ(form("Sdkdetail/gonglue", "pagecode=4")["now_page"].integerValue(), 4);

    server.withState([](PlatformServer::State& s) {
        auto& w = vx::server::welfareArea(s);
        w.pageSize = 2;
        w.gamesWithoutActivities.insert("7");
    });
    Value servers = form("Server/lists2", "gid=1001&pagecode=2");
    EXPECT_EQ(servers["lists"].count(), 2u);
    EXPECT_EQ(servers["total_page"].integerValue(), 13);
    EXPECT_EQ(servers["auto"].integerValue(), 1);
    EXPECT_EQ(servers["lists"][0]["servername"].description(), "双线3服");
    Value none = form("Sdkdetail/gameActivity", "gid=7&pagecode=1");
    EXPECT_EQ(none["lists"].count(), 0u);
    EXPECT_EQ(none["total_page"].integerValue(), 0);

    // The article pictures are real PNGs.
    httplib::Client client("127.0.0.1", server.port());
    auto picture = client.Get("/welfare/pic/s1.png");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->status, 200);
    EXPECT_EQ(picture->body.substr(1, 3), "PNG");
}

TEST_F(WelfareRoutes, ClaimsBelongToTheirUser) {
    ASSERT_TRUE(signIn("u1"));
    EXPECT_EQ(call("Card/receive", ns::Dictionary{{"cardid", "32"}, {"username", "u1"}})["a"].integerValue(), 1);
    Value again = call("Card/receive", ns::Dictionary{{"cardid", 32}, {"username", "u1"}});
    EXPECT_EQ(again["a"].integerValue(), 0);
    EXPECT_EQ(again["b"].description(), "已领取");
    EXPECT_EQ(call("Card/receive", ns::Dictionary{{"cardid", 99}, {"username", "u1"}})["b"].description(), "礼包不存在");

    Value mine = form("Sdkdetail/card", "username=u1&lx=0");
    ASSERT_TRUE(mine.isArray());
    EXPECT_EQ(mine.count(), 3u);
    EXPECT_EQ(mine[1]["id"].integerValue(), 32);
    EXPECT_EQ(mine[1]["status"].integerValue(), 1);
    EXPECT_FALSE(mine[1]["code"].description().empty());
    EXPECT_EQ(mine[0]["status"].integerValue(), 0);
    Value theirs = form("Sdkdetail/card", "username=u2&lx=0");
    EXPECT_EQ(theirs[1]["status"].integerValue(), 0);
    // A claim's code is for its player's session: without it the packs show as for nobody.
    signOut();
    Value seen = form("Sdkdetail/card", "username=u1&lx=0");
    EXPECT_EQ(seen[1]["status"].integerValue(), 0);
    EXPECT_EQ(seen[1]["code"].description(), "");
    EXPECT_EQ(call("Card/receive", ns::Dictionary{{"cardid", "33"}, {"username", "u1"}})["b"].description(), "请先登录");
    EXPECT_EQ(form("Sdkdetail/fuli", "gid=1001")["a"].integerValue(), 0);
    EXPECT_EQ(form("Sdkdetail/fuli", "username=u1")["c"]["vipList"].count(), 6u);
}

} // namespace
