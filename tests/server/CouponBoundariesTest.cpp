// The coupon area's rules at their edges, over HTTP: unknown and over coupons, claiming twice,
// claiming all with some or none left, and pages at and past the end.
#include "server/CouponArea.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

std::string str(const Value& v) { return v.stringValue().value_or("<none>"); }

class CouponBoundaries : public ServerTest {
protected:
    Value claim(const Value& cid, const std::string& user = "ann") {
        EXPECT_TRUE(as(user));
        return call("Sdkdetail/getcoupon", ns::Dictionary{{"cid", cid}, {"username", user}});
    }
    Value claimAll(const std::string& user = "ann") {
        EXPECT_TRUE(as(user));
        return call("Sdkdetail/getcouponall", ns::Dictionary{{"gid", "1001"}, {"username", user}});
    }
    Value mine(const std::string& user, bool usable, int page) {
        EXPECT_TRUE(as(user));
        return formFields("Sdkhome/mycoupon", {{"username", user}, {"status", usable ? "1" : "0"},
                                               {"pagecode", std::to_string(page)}});
    }
    std::vector<long long> cids(const Value& list) {
        std::vector<long long> out;
        for (const auto& c : *list.arrayPtr()) out.push_back(c["cid"].integerValue());
        return out;
    }
};

TEST_F(CouponBoundaries, ClaimsRefuseUnknownOverAndTwiceWithTheirMessages) {
    const std::pair<Value, const char*> refused[] = {
        {Value(12345), "抵扣券不存在"}, {Value("abc"), "抵扣券不存在"}, {Value(0), "抵扣券不存在"}, {Value(-7), "抵扣券不存在"},
        {Value(901), "您已领取过该抵扣券"}, // over, and held as unusable by everyone
    };
    for (const auto& [cid, message] : refused) {
        Value r = claim(cid);
        EXPECT_EQ(r["a"].integerValue(), 0) << cid.description();
        EXPECT_EQ(str(r["b"]), message) << cid.description();
    }
    EXPECT_EQ(mine("ann", true, 1)["lists"].count(), 0u);

    EXPECT_EQ(str(claim(Value(11))["b"]), "领取成功");
    EXPECT_EQ(str(claim(Value("11"))["b"]), "您已领取过该抵扣券");
    EXPECT_EQ(cids(mine("ann", true, 1)["lists"]), (std::vector<long long>{11}));
    // Bob may still claim what Ann holds.
    EXPECT_EQ(claim(Value(11), "bob")["a"].integerValue(), 1);
}

TEST_F(CouponBoundaries, ClaimAllTakesWhatIsLeftThenRefusesWithNoneLeft) {
    claim(Value(8));
    claim(Value(10));
    Value all = claimAll();
    EXPECT_EQ(all["a"].integerValue(), 1);
    EXPECT_EQ(str(all["b"]), "领取成功");
    // Newest first; the earlier claims keep their places behind the batch.
    EXPECT_EQ(cids(mine("ann", true, 1)["lists"]), (std::vector<long long>{11, 9, 7, 10, 8}));
    EXPECT_EQ(cids(mine("ann", false, 1)["lists"]), (std::vector<long long>{901, 902}));

    Value none = claimAll();
    EXPECT_EQ(none["a"].integerValue(), 0);
    EXPECT_EQ(str(none["b"]), "暂无可领取的抵扣券");
    EXPECT_EQ(mine("ann", true, 1)["lists"].count(), 5u);

    // Claiming every one by hand leaves none for claim-all either.
    for (long long cid : {7, 8, 9, 10, 11}) claim(Value(cid), "bob");
    EXPECT_EQ(claimAll("bob")["a"].integerValue(), 0);
}

TEST_F(CouponBoundaries, MyCouponPagesEndWhereTheRowsEnd) {
    server.withState([](PlatformServer::State& s) { vx::server::CouponArea::of(s).pageSize = 2; });
    claimAll();
    struct Case {
        int asked;
        std::vector<long long> rows;
        long long nowPage;
    };
    const Case cases[] = {{1, {11, 10}, 1}, {2, {9, 8}, 2}, {3, {7}, 3}, {4, {}, 4}, {0, {11, 10}, 1}, {-3, {11, 10}, 1}};
    for (const auto& c : cases) {
        Value page = mine("ann", true, c.asked);
        EXPECT_EQ(cids(page["lists"]), c.rows) << c.asked;
        EXPECT_EQ(page["now_page"].integerValue(), c.nowPage) << c.asked;
        EXPECT_EQ(page["total_page"].integerValue(), 3) << c.asked;
    }
    Value empty = mine("carl", true, 1);
    EXPECT_EQ(empty["lists"].count(), 0u);
    EXPECT_EQ(empty["total_page"].integerValue(), 0);
    EXPECT_EQ(mine("carl", false, 1)["total_page"].integerValue(), 1);
}

TEST_F(CouponBoundaries, StatementPagesAndSourcesAtTheirEdges) {
    ASSERT_TRUE(signIn("ann"));
    auto bills = [&](const char* path, int screen, int page) {
        return formFields(path, {{"username", "ann"}, {"screen", std::to_string(screen)}, {"pagecode", std::to_string(page)}})["c"];
    };
    struct Case {
        const char* path;
        int screen, page;
        size_t rows;
        long long total;
    };
    // 23 voucher gains over three sources (8, 8, 7), 12 coin gains; pages of 10.
    const Case cases[] = {
        {"Sdkhome/getdjqlog", 0, 3, 3, 3},  {"Sdkhome/getdjqlog", 0, 4, 0, 3},  {"Sdkhome/getdjqlog", 3, 1, 7, 1},
        {"Sdkhome/getdjqlog", 4, 1, 0, 0},  {"Sdkhome/getdjqlog", -1, 1, 10, 3}, {"Userexpand/getptblog", 0, 2, 2, 2},
        {"Userexpand/getptblog", 0, 0, 10, 2}, {"Userexpand/getptblog", 9, 2, 2, 2},
    };
    for (const auto& c : cases) {
        Value page = bills(c.path, c.screen, c.page);
        EXPECT_EQ(page["lists"].count(), c.rows) << c.path << " screen " << c.screen << " page " << c.page;
        EXPECT_EQ(page["total_page"].integerValue(), c.total) << c.path << " screen " << c.screen << " page " << c.page;
    }
    // The newest line first, across page boundaries.
    EXPECT_EQ(str(bills("Sdkhome/getdjqlog", 0, 1)["lists"][0]["time"]).substr(0, 10), "2024-05-31");
    EXPECT_EQ(str(bills("Sdkhome/getdjqlog", 0, 2)["lists"][0]["time"]).substr(0, 10), "2024-05-21");
}

} // namespace

namespace {

// The payment centre's rows come first in a statement and page with the history behind them: six
// lines of history and four payments fill exactly one page; a fifth payment starts a second page
// holding the oldest history line alone.
TEST_F(CouponBoundaries, StatementsPageTheCentresRowsBeforeTheHistory) {
    ASSERT_TRUE(signIn("ann"));
    auto spent = [&](int page) {
        return formFields("Userexpand/payptblog", {{"username", "ann"}, {"pagecode", std::to_string(page)}})["c"];
    };
    const std::string oldest = str(spent(1)["lists"][5]["time"]);
    for (int i = 1; i <= 4; ++i)
        ASSERT_EQ(call("Ttbpaynew/ttbnew", ns::Dictionary{{"f", "ann"}, {"p", std::to_string(i)}, {"b", std::to_string(i)}})["z"],
                  Value("1"));
    Value one = spent(1);
    EXPECT_EQ(one["total_page"].integerValue(), 1);
    ASSERT_EQ(one["lists"].count(), 10u);
    EXPECT_EQ(str(one["lists"][0]["money"]), "4") << "the newest payment first";
    EXPECT_EQ(str(one["lists"][3]["money"]), "1");
    EXPECT_EQ(str(one["lists"][9]["time"]), oldest);
    ASSERT_EQ(call("Ttbpaynew/ttbnew", ns::Dictionary{{"f", "ann"}, {"p", "5"}, {"b", "5"}})["z"], Value("1"));
    Value last = spent(2);
    EXPECT_EQ(last["total_page"].integerValue(), 2);
    ASSERT_EQ(last["lists"].count(), 1u);
    EXPECT_EQ(str(last["lists"][0]["time"]), oldest);
    EXPECT_EQ(str(spent(1)["lists"][0]["money"]), "5");
    // Another player's statement shows none of them.
    ASSERT_TRUE(signIn("bob"));
    EXPECT_EQ(formFields("Userexpand/payptblog", {{"username", "bob"}, {"pagecode", "1"}})["c"]["lists"].count(), 6u);
}

} // namespace
