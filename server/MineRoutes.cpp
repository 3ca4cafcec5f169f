// The stand-in's answers for the mine page, phone binding, sub-account names, messages and bookings.
#include "foundation/URLEncode.h"
#include "os/foundation/Decimal.h"
#include "os/foundation/Strings.h"
#include "server/CouponArea.h"
#include "server/MineArea.h"
#include "server/WebPages.h"

#include <cmath>
#include <cstdio>

namespace vx::server {

namespace {

using Profile = MineArea::Profile;

void seed(PlatformServer::State& s, MineArea& m) {
    const char* names[] = {"星辰大海", "剑与远方", "王者归来", "梦幻西游记", "山海经异兽", "仙侠奇缘", "三国争霸",
                           "热血江湖", "极速飞车",  "像素农场",  "海岛求生",  "机甲风暴"};
    const char* discounts[] = {"0.1折", "", "5折", "", "0.5折", "", "", "3折", "", "", "1折", ""};
    for (int i = 0; i < 12; ++i) {
        MineArea::Game g;
        g.id = 200 + i;
        g.pic1 = "http://127.0.0.1:" + std::to_string(s.port) + "/static/icons/game.png";
        g.welfare = i % 2 ? "送VIP5" : "首充返利";
        g.booking = i % 3 ? "0" : "1";
        g.discount = discounts[i];
        g.gamesize = std::to_string(300 + 45 * i) + "M";
        g.gamename = names[i];
        g.downloadnum = 1200 + 317 * i;
        static const std::vector<std::string> tags = {"满V", "送元宝", "无限抽"};
        g.fuli.assign(tags.begin(), tags.begin() + (i % 4 == 3 ? 0 : i % 4 + 1));
        m.games.push_back(g);
    }
    s.files[std::string(PlatformServer::BasePath) + "Agreement/tx"] = {pages::titleLevels(), "text/html; charset=utf-8"};
    // The service tab's page (its query is not looked at); the task page is answered by answerMinePage.
    std::string base = PlatformServer::BasePath;
    s.files[base + "Agreement/rwlog"] = {pages::taskRecord(), "text/html; charset=utf-8"};
    s.files[base + "sdkservicesdk/sdk_kefu_index"] = {pages::service(), "text/html; charset=utf-8"};
    s.files["/webchatbot/h5chat.html"] = {pages::chatbot(), "text/html; charset=utf-8"};
}

std::string host(PlatformServer::State& s) { return "http://127.0.0.1:" + std::to_string(s.port); }

PlatformServer::Account* accountOf(PlatformServer::State& s, const ns::Value& name) {
    auto it = s.accounts.find(name.stringValue().value_or(""));
    return it == s.accounts.end() ? nullptr : &it->second;
}

ns::Value refusal(const char* message) { return ns::Dictionary{{"a", 0}, {"b", message}}; }

// The account the request names when it comes with that account's session; nullptr otherwise,
// with the refusal to answer in `refused`.
PlatformServer::Account* ownAccount(PlatformServer::State& s, const ns::Value& p, ns::Value& refused) {
    if (!isCaller(s, text(p["username"]))) {
        refused = refusal(LoginFirst);
        return nullptr;
    }
    auto* account = accountOf(s, p["username"]);
    if (!account) refused = refusal("用户不存在");
    return account;
}

// A balance as the page shows money: two decimals ("500" is "500.00").
std::string money(const std::string& amount) {
    static const ns::DecimalHandler cents(ns::RoundingMode::Plain, 2, false, false, false, false);
    ns::Decimal value = ns::Decimal::fromString(amount);
    std::string text = (value.isNaN() ? ns::Decimal() : value).rounding(cents).description();
    size_t dot = text.find('.');
    if (dot == std::string::npos) return text + ".00";
    return text + std::string(2 - (text.size() - dot - 1), '0');
}

// Numbers in requests may come as text or as numbers.
long number(const ns::Value& v) { return static_cast<long>(v.integerValue()); }

// One page of rows: the requested page is echoed, total pages = ceil(rows / size), 0 when empty.
template <class T> std::pair<std::vector<const T*>, long> pageOf(const std::vector<T>& rows, long pageNo, long size) {
    std::vector<const T*> out;
    size = size > 0 ? size : 10;
    long total = static_cast<long>((rows.size() + size - 1) / size);
    if (pageNo < 1) pageNo = 1;
    for (size_t i = (pageNo - 1) * size; i < rows.size() && i < static_cast<size_t>(pageNo * size); ++i)
        out.push_back(&rows[i]);
    return {out, total};
}

// The usable coupons of "my coupons": their sum as money text and their count.
ns::Value couponSummary(PlatformServer::State& s, const std::string& name) {
    CouponArea& coupons = CouponArea::of(s);
    long long cents = 0, count = 0;
    for (const auto& owned : coupons.playerOrDefault(name).owned) {
        const auto* coupon = owned.usable ? coupons.coupon(owned.cid) : nullptr;
        if (!coupon) continue;
        cents += std::llround(ns::numtext::doubleValue(coupon->couponMoney) * 100);
        ++count;
    }
    char money[32];
    std::snprintf(money, sizeof money, "%lld.%02lld", cents / 100, cents % 100);
    return ns::Dictionary{{"money", std::string(money)}, {"count", count}};
}

ns::Value index(PlatformServer::State& s, MineArea& m, const ns::Value& p) {
    ns::Value refused;
    auto* account = ownAccount(s, p, refused);
    if (!account) return refused;
    std::string name = text(p["username"]);
    static const Profile blank;
    auto stored = m.profiles.find(name);
    const Profile& pr = stored == m.profiles.end() ? blank : stored->second;
    ns::Dictionary uinfo;
    uinfo.set("avatar", pr.avatar), uinfo.set("vippic", pr.vippic), uinfo.set("paypic", pr.paypic);
    uinfo.set("nicename", pr.nickname), uinfo.set("user_login", name);
    // The balances are the payment centre's own: one ledger per player.
    const PayArea::Wallet& wallet = payArea(s).walletOrDefault(name);
    uinfo.set("money", money(wallet.ttb)), uinfo.set("djq", money(wallet.djq)), uinfo.set("starcoin", money(wallet.xingbi));
    uinfo.set("ismobile", account->phone.empty() ? "0" : "1");
    uinfo.set("mobile", account->phone.empty() ? std::string() : maskedPhone(account->phone));
    uinfo.set("id_card", account->realName ? "1" : "0");
    uinfo.set("weidu", m.unread(s, name));
    ns::Dictionary c{{"uinfo", uinfo}, {"coupon", couponSummary(s, name)}};
    return ns::Dictionary{{"a", 1}, {"b", "成功"}, {"c", c}};
}

ns::Value bindPhone(PlatformServer::State& s, const ns::Value& p) {
    ns::Value refused;
    auto* account = ownAccount(s, p, refused);
    if (!account) return refused;
    std::string phone = text(p["tel"]);
    // A phone already bound stays where it is, and so does an account's own phone: unbinding asks
    // that phone for a code, whoever holds the session.
    if (!account->phone.empty()) return refusal("该账号已绑定手机号");
    for (auto& [n, a] : s.accounts)
        if (a.phone == phone) return refusal("该手机号已绑定其他账号");
    if (!useCode(s, phone, text(p["newcode"]), "4")) return refusal("验证码错误");
    account->phone = phone;
    return ns::Dictionary{{"a", 1}, {"b", "绑定成功"}};
}

ns::Value unbindPhone(PlatformServer::State& s, const ns::Value& p) {
    ns::Value refused;
    auto* account = ownAccount(s, p, refused);
    if (!account) return refused;
    if (account->phone.empty()) return refusal("未绑定手机号");
    if (!useCode(s, account->phone, text(p["code"]), "7")) return refusal("验证码错误");
    account->phone.clear();
    return ns::Dictionary{{"a", 1}, {"b", "解绑成功"}};
}

// The unbind panel asks for a code by account name: it goes to the bound phone.
ns::Value unbindCode(PlatformServer::State& s, const ns::Value& p) {
    ns::Value refused;
    auto* account = ownAccount(s, p, refused);
    if (!account) return refused;
    if (account->phone.empty()) return refusal("未绑定手机号");
    if (const char* why = sendCode(s, account->phone, "7")) return refusal(why);
    return ns::Dictionary{{"a", 1}, {"b", "发送成功"}};
}

// The sub-accounts are the login road's (names, order, the one used last); the roles are ours.
ns::Value subAccounts(PlatformServer::State& s, MineArea& m, const ns::Value& p) {
    std::string name = text(p["username"]);
    if (ns::Value refused; !ownAccount(s, p, refused)) return refused;
    static const MineArea::Role noRole;
    const std::string& last = s.loginArea.lastSubOf(name);
    ns::Array rows;
    for (const auto& sub : s.loginArea.subsOf(name)) {
        const auto& role = foundOr(m.roles, sub.username, noRole);
        rows.push_back(ns::Dictionary{{"rolename", role.rolename}, {"zonename", role.zonename},
                                      {"rolelevel", role.rolelevel}, {"lasttime", sub.username == last ? "1" : "0"},
                                      {"nickname", sub.nickname}, {"username", sub.username}});
    }
    return ns::Dictionary{{"a", 1}, {"b", "成功"}, {"c", rows}};
}

ns::Value renameSubAccount(PlatformServer::State& s, const ns::Value& p) {
    std::string name = text(p["username"]);
    if (ns::Value refused; !ownAccount(s, p, refused)) return refused;
    std::string nickname = text(p["nickname"]);
    if (!lengthWithin(nickname, 1, 8)) return refusal("名称不能超过8个字符");
    auto subs = s.loginArea.subs.find(name);
    if (subs != s.loginArea.subs.end())
        for (auto& sub : subs->second)
            if (sub.username == text(p["xiaohao"])) {
                sub.nickname = nickname;
                return ns::Dictionary{{"a", 1}, {"b", "修改成功"}};
            }
    return refusal("小号不存在");
}

ns::Value messageList(PlatformServer::State& s, MineArea& m, const ns::Value& p) {
    if (ns::Value refused; !ownAccount(s, p, refused)) return refused;
    long pageNo = number(p["pagecode"]);
    auto [rows, total] = pageOf(m.messagesOf(s, text(p["username"])), pageNo, m.pageSize);
    ns::Array c;
    for (const auto* msg : rows)
        c.push_back(ns::Dictionary{{"id", static_cast<long long>(msg->id)}, {"status", msg->read ? "1" : "0"},
                                   {"title", msg->title}, {"content", msg->content}, {"addtime", msg->addtime},
                                   {"url", msg->url}});
    return ns::Dictionary{{"a", 1}, {"b", ""}, {"c", c}, {"nowpage", pageNo < 1 ? 1 : pageNo}, {"allnum", total}};
}

ns::Value readMessage(PlatformServer::State& s, MineArea& m, const ns::Value& p) {
    if (ns::Value refused; !ownAccount(s, p, refused)) return refused;
    for (auto& msg : m.messagesOf(s, text(p["username"])))
        if (msg.id == number(p["id"])) {
            msg.read = true;
            return ns::Dictionary{{"a", 1}, {"b", "已读"}};
        }
    return refusal("消息不存在");
}

ns::Value bookingList(PlatformServer::State& s, MineArea& m, const ns::Value& p, bool mine) {
    std::vector<MineArea::Game> games;
    if (mine && !isCaller(s, text(p["username"])))
        return ns::Dictionary{{"a", 0}, {"b", LoginFirst}, {"lists", ns::Array{}}, {"now_page", 1}, {"total_page", 0}};
    if (mine) {
        // Nothing books here yet: a player without bookings of their own is shown three.
        static const std::vector<long> firstBookings{200, 202, 205};
        for (long id : foundOr(m.bookings, text(p["username"]), firstBookings))
            for (const auto& g : m.games)
                if (g.id == id) games.push_back(g);
    } else {
        games = m.games;
    }
    long pageNo = number(p["pagecode"]);
    auto [rows, total] = pageOf(games, pageNo, m.pageSize);
    ns::Array lists;
    for (const auto* g : rows) {
        ns::Array fuli;
        for (const auto& f : g->fuli) fuli.push_back(f);
        lists.push_back(ns::Dictionary{{"id", static_cast<long long>(g->id)}, {"pic1", g->pic1},
                                       {"welfare", g->welfare}, {"booking", g->booking},
                                       {"box_discount", g->discount}, {"downloadnum", static_cast<long long>(g->downloadnum)},
                                       {"gamesize", g->gamesize}, {"gamename", g->gamename}, {"fuli", fuli}});
    }
    return ns::Dictionary{{"lists", lists}, {"now_page", pageNo < 1 ? 1 : pageNo}, {"total_page", total}};
}

} // namespace

std::string maskedPhone(const std::string& phone) {
    return ns::str::utf16SubstringTo(phone, 3) + "****" + ns::str::utf16SubstringFrom(phone, 7);
}

MineArea& mineArea(PlatformServer::State& s) {
    if (!s.mine) {
        s.mine = std::make_shared<MineArea>();
        seed(s, *s.mine);
    }
    return *s.mine;
}

std::vector<MineArea::Message>& MineArea::messagesOf(PlatformServer::State& s, const std::string& name) {
    auto it = messages.find(name);
    if (it != messages.end()) return it->second;
    auto& list = messages[name];
    const char* titles[] = {"欢迎加入平台", "五一活动开启", "账号安全提醒", "充值返利到账"};
    const char* contents[] = {"新手礼包已发放到您的账号，快去看看吧", "活动期间登录即送限定头像框",
                              "请绑定手机号，保护您的账号安全", "您的返利已到账，请在平台币明细中查看"};
    const char* times[] = {"2024-05-01 10:00", "2024-04-28 09:30", "2024-04-20 18:12", "2024-04-02 12:00"};
    for (int i = 0; i < 4; ++i) {
        Message msg{++nextId, i == 3, titles[i], contents[i], times[i], {}};
        std::string path = "/news/" + std::to_string(msg.id) + ".html";
        msg.url = host(s) + path;
        s.files[path] = {pages::message(msg.title, msg.addtime, msg.content), "text/html; charset=utf-8"};
        list.push_back(msg);
    }
    return list;
}

long MineArea::unread(PlatformServer::State& s, const std::string& name) {
    long n = 0;
    for (const auto& msg : messagesOf(s, name)) n += msg.read ? 0 : 1;
    return n;
}

ns::Value answerMine(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    if (path == "sdkhome/index") return index(s, mineArea(s), p);
    if (path == "Sdkhome/bdtel") return bindPhone(s, p);
    if (path == "Sdkhome/jiebang") return unbindPhone(s, p);
    if (path == "Sdkhome/yzm" && text(p["type"]) == "7") return unbindCode(s, p);
    if (path == "Sdkhome/myxiaohao") return subAccounts(s, mineArea(s), p);
    if (path == "Sdkhome/editxiaohao") return renameSubAccount(s, p);
    if (path == "Mynews/listnews") return messageList(s, mineArea(s), p);
    if (path == "Mynews/news") return readMessage(s, mineArea(s), p);
    if (path == "Sdkhome/bookinglist") return bookingList(s, mineArea(s), p, false);
    if (path == "Sdkhome/mybookinglist") return bookingList(s, mineArea(s), p, true);
    return {};
}

std::optional<Page> answerMinePage(PlatformServer::State&, const std::string& path,
                                   const std::map<std::string, std::string>& query) {
    std::string base = PlatformServer::BasePath;
    if (path != base + "Agreement/rw") return std::nullopt;
    auto get = [&](const char* key) {
        auto it = query.find(key);
        return it == query.end() ? std::string() : it->second;
    };
    // The sign is the md5 of the raw values (the query arrives decoded) with the platform's app key.
    std::string expected =
        URLEncode::md5String("username=" + get("username") + "&appkey=tondrel@!kit&logintime=" + get("logintime"));
    bool ok = query.count("sign") && get("sign") == expected;
    return Page{pages::tasks(ok, base + "Agreement/rwlog"), "text/html; charset=utf-8"};
}

} // namespace vx::server
