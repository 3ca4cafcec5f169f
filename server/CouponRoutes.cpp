// The stand-in's answers for coupons and bills.
#include "server/CouponArea.h"
#include "server/PayArea.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace vx::server {

namespace {

const char* const kBillPaths[] = {"Userexpand/getptblog",   "Userexpand/payptblog",    "Sdkhome/getdjqlog",
                                  "Sdkhome/paydjqlog",      "Sdkhome/getstarcoinlog", "Sdkhome/paystarcoinlog"};

// Statements filtered by source; the others ignore "screen".
bool hasSources(const std::string& path) {
    return path == "Sdkhome/getdjqlog" || path == "Sdkhome/paydjqlog" || path == "Sdkhome/getstarcoinlog";
}

// The remarks of a statement's sources, in menu order.
std::vector<std::string> sources(const std::string& path) {
    if (path == "Sdkhome/getdjqlog") return {"后台代充", "金币兑换", "渠道代充"};
    if (path == "Sdkhome/paydjqlog") return {"游戏充值", "代理撤回"};
    if (path == "Sdkhome/getstarcoinlog") return {"后台发放", "金币兑换"};
    if (path == "Sdkhome/paystarcoinlog") return {"兑换道具"};
    if (path == "Userexpand/getptblog") return {"平台币充值"};
    return {"游戏消费"};
}

// A page of rows: the page echoes the one asked (1 at least); total = ceil(rows / size), 0 when empty.
template <class Row, class Make>
ns::Dictionary page(const std::vector<Row>& rows, long long asked, size_t size, Make make) {
    asked = std::max(1LL, asked);
    size = std::max<size_t>(1, size);
    ns::Array list;
    size_t from = static_cast<size_t>(asked - 1) * size;
    for (size_t i = from; i < rows.size() && i < from + size; ++i) list.push_back(make(rows[i]));
    return {{"lists", list}, {"now_page", asked}, {"total_page", static_cast<long long>((rows.size() + size - 1) / size)}};
}

std::string day(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "2024-05-%02d", std::clamp(n, 1, 31));
    return buf;
}

// The payment area's ledger rows a statement shows: the balance, which side, and the remark of
// each (its source in the statement's menu order, 1 for the first).
struct LedgerSide {
    const char* balance;
    bool gained;
};
std::optional<LedgerSide> ledgerSide(const std::string& path) {
    if (path == "Userexpand/getptblog") return LedgerSide{"ttb", true};
    if (path == "Userexpand/payptblog") return LedgerSide{"ttb", false};
    if (path == "Sdkhome/getdjqlog") return LedgerSide{"djq", true};
    if (path == "Sdkhome/paydjqlog") return LedgerSide{"djq", false};
    if (path == "Sdkhome/getstarcoinlog") return LedgerSide{"xingbi", true};
    if (path == "Sdkhome/paystarcoinlog") return LedgerSide{"xingbi", false};
    return std::nullopt;
}

} // namespace

bool isBillPath(const std::string& path) {
    return std::find(std::begin(kBillPaths), std::end(kBillPaths), path) != std::end(kBillPaths);
}

CouponArea& CouponArea::of(PlatformServer::State& s) {
    if (s.coupons) return *s.coupons;
    s.coupons = std::make_shared<CouponArea>();
    CouponArea& a = *s.coupons;
    const struct {
        long long cid;
        const char *money, *pay;
    } seeds[] = {{7, "10", "100"}, {8, "5", "30"}, {9, "30", "300"}, {10, "50", "500"}, {11, "2", "6"}};
    for (const auto& c : seeds)
        a.centre.push_back({c.cid, "星辰物语", "2024-06-01至2024-06-30", c.money, c.pay, "2024-06-30"});
    // Two that are over: every player holds them as no longer usable.
    a.centre.push_back({901, "星辰物语", "2024-04-01至2024-04-30", "8", "68", "2024-04-30"});
    a.centre.push_back({902, "星辰物语", "2024-03-01至2024-03-31", "20", "198", "2024-03-31"});
    return a;
}

namespace {

// A new player's state: the two expired coupons and statements over several pages.
CouponArea::Player newPlayer() {
    CouponArea::Player p;
    for (long long cid : {901LL, 902LL}) {
        p.claimed.insert(cid);
        p.owned.push_back({cid, false});
    }
    // Statements over several pages: each source in turn, newest first.
    const std::pair<const char*, int> counts[] = {{"Userexpand/getptblog", 12}, {"Userexpand/payptblog", 6},
                                                  {"Sdkhome/getdjqlog", 23},    {"Sdkhome/paydjqlog", 11},
                                                  {"Sdkhome/getstarcoinlog", 14}, {"Sdkhome/paystarcoinlog", 4}};
    for (const auto& [path, count] : counts) {
        auto names = sources(path);
        auto& lines = p.bills[path];
        for (int i = 0; i < count; ++i) {
            int source = i % static_cast<int>(names.size()) + 1;
            char clock[8];
            std::snprintf(clock, sizeof clock, " %02d:%02d", 9 + i % 12, i * 7 % 60);
            lines.push_back({day(31 - i) + clock, names[source - 1], std::to_string(5 * (i % 4 + 1)), source});
        }
    }
    return p;
}

} // namespace

CouponArea::Player& CouponArea::player(const std::string& name) {
    auto [it, made] = players.try_emplace(name);
    if (made) it->second = newPlayer();
    return it->second;
}

const CouponArea::Player& CouponArea::playerOrDefault(const std::string& name) const {
    static const Player fresh = newPlayer();
    return foundOr(players, name, fresh);
}

const CouponArea::Coupon* CouponArea::coupon(long long cid) const {
    for (const auto& c : centre)
        if (c.cid == cid) return &c;
    return nullptr;
}

bool CouponArea::claim(const std::string& name, long long cid) {
    // A claim refused changes nothing, so it makes nothing either.
    if (!coupon(cid) || playerOrDefault(name).claimed.count(cid)) return false;
    Player& p = player(name);
    p.claimed.insert(cid);
    p.owned.insert(p.owned.begin(), {cid, true});
    return true;
}

ns::Value answerCoupons(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    bool bills = isBillPath(path);
    if (!bills && path != "Sdkdetail/couponlists" && path != "Sdkdetail/getcoupon" && path != "Sdkdetail/getcouponall" &&
        path != "Sdkhome/mycoupon")
        return {};
    CouponArea& a = CouponArea::of(s);
    std::string user = text(p["username"]);
    // The offers are anyone's to see; which of them a player holds is the player's own.
    bool own = isCaller(s, user);
    const CouponArea::Player& me = a.playerOrDefault(own ? user : std::string());
    if (!own && path != "Sdkdetail/couponlists") {
        if (path == "Sdkhome/mycoupon")
            return ns::Dictionary{{"a", 0}, {"b", LoginFirst}, {"lists", ns::Array{}}, {"now_page", 1}, {"total_page", 0}};
        return ns::Dictionary{{"a", 0}, {"b", LoginFirst}};
    }

    if (path == "Sdkdetail/couponlists") {
        ns::Array data;
        for (const auto& c : a.centre) {
            if (c.cid >= 900) continue; // the expired seeds are not on offer
            data.push_back(ns::Dictionary{{"gamename", c.gamename}, {"time", c.time}, {"cid", c.cid},
                                          {"coupon_money", c.couponMoney}, {"pay_money", c.payMoney},
                                          {"is_get", me.claimed.count(c.cid) ? "1" : "0"}, {"end_time", c.endTime}});
        }
        return ns::Dictionary{{"a", 1}, {"b", ""}, {"c", ns::Dictionary{{"data", data}}}};
    }
    if (path == "Sdkdetail/getcoupon") {
        // "cid" comes as the number the list held, or as its text.
        long long cid = p["cid"].integerValue();
        if (!a.coupon(cid)) return ns::Dictionary{{"a", 0}, {"b", "抵扣券不存在"}};
        if (!a.claim(user, cid)) return ns::Dictionary{{"a", 0}, {"b", "您已领取过该抵扣券"}};
        return ns::Dictionary{{"a", 1}, {"b", "领取成功"}};
    }
    if (path == "Sdkdetail/getcouponall") {
        int claimed = 0;
        for (const auto& c : a.centre)
            if (c.cid < 900 && a.claim(user, c.cid)) ++claimed;
        if (!claimed) return ns::Dictionary{{"a", 0}, {"b", "暂无可领取的抵扣券"}};
        return ns::Dictionary{{"a", 1}, {"b", "领取成功"}};
    }
    if (path == "Sdkhome/mycoupon") {
        bool usable = p["status"].boolValue();
        std::vector<const CouponArea::Coupon*> rows;
        for (const auto& o : me.owned)
            if (o.usable == usable)
                if (const auto* c = a.coupon(o.cid)) rows.push_back(c);
        return page(rows, p["pagecode"].integerValue(), a.pageSize, [](const CouponArea::Coupon* c) {
            return ns::Value(ns::Dictionary{{"gamename", c->gamename}, {"time", c->time}, {"cid", c->cid},
                                            {"coupon_money", c->couponMoney}, {"pay_money", c->payMoney},
                                            {"is_get", "1"}, {"end_time", c->endTime}});
        });
    }
    // Statements: the payment centre's own rows, newest first, then the history the player came
    // with. "screen" 0 is everything, 1..n one source, where the statement has sources; the
    // centre's rows are of the first (top-ups, spending in a game).
    long long screen = p["screen"].integerValue();
    std::vector<CouponArea::Bill> rows;
    if (auto side = ledgerSide(path); side && (!hasSources(path) || screen <= 1))
        for (const auto* row : payArea(s).rows(user, side->balance, side->gained))
            rows.push_back({minuteText(row->time), sources(path).front(), row->amount, 1});
    auto lines = me.bills.find(path);
    if (lines != me.bills.end())
        for (const auto& line : lines->second)
            if (!hasSources(path) || screen <= 0 || line.source == screen) rows.push_back(line);
    auto c = page(rows, p["pagecode"].integerValue(), a.pageSize, [](const CouponArea::Bill& b) {
        return ns::Value(ns::Dictionary{{"time", b.time}, {"remark", b.remark}, {"money", b.money}});
    });
    return ns::Dictionary{{"a", 1}, {"b", ""}, {"c", c}};
}

} // namespace vx::server
