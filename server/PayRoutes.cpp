// The stand-in's answers for payment: pay ways, vouchers, the order roads, the result poll,
// balances, and the H5 pages the orders point at. Every status goes out as the text "1" (or "0",
// "-2", "11"): integer readers and text readers both accept it.
#include "os/foundation/Clock.h"
#include "os/foundation/Decimal.h"
#include "os/foundation/Format.h"
#include "os/foundation/Log.h"
#include "server/PayArea.h"
#include "server/WebPages.h"

namespace vx::server {

namespace {

using ns::Decimal;
using ns::Dictionary;

std::string base(const PlatformServer::State& s) {
    return "http://127.0.0.1:" + std::to_string(s.port) + PlatformServer::BasePath;
}

// How long an unpaid order keeps its voucher from other orders and payments.
constexpr double kVoucherHoldSeconds = 30 * 60;
// Orders kept per account (the newest, paid or not; then no new ones), and unpaid ones open at
// once (a newer one cancels the oldest: players open pay pages and leave).
constexpr size_t kMaxOrdersPerAccount = 1000;
constexpr size_t kMaxOpenOrders = 20;
// Longest product name kept (UTF-16 units), amount text and pay type.
constexpr size_t kMaxProductUnits = 64;
constexpr size_t kMaxAmountBytes = 20;
constexpr size_t kMaxTypeBytes = 16;

Decimal dec(const std::string& text) { return Decimal::fromString(text); }
bool positive(const Decimal& d) { return !d.isNaN() && d.compare(Decimal()) == ns::ComparisonResult::Descending; }
std::string plus(const std::string& a, const std::string& b) { return dec(a).adding(dec(b)).description(); }

bool isTopUp(const std::string& road) { return road == "Wallet/wallet" || road == "Wxh5ptb/wxpay"; }

std::vector<PayArea::Voucher> defaultVouchers() {
    std::vector<PayArea::Voucher> v(3);
    v[0].cid = 101, v[0].name = "通用满减券", v[0].payMoney = "6", v[0].couponMoney = "2";
    v[1].cid = 102, v[1].name = "新人券", v[1].payMoney = "5.5", v[1].couponMoney = "1.5";
    v[2].cid = 103, v[2].name = "专服大额券", v[2].payMoney = "20", v[2].couponMoney = "5", v[2].gid = 7;
    return v;
}

// A number when the text is one ("12", "5.5"), so the client's "%@" formatting is exercised.
ns::Value number(const std::string& text) {
    if (text.find('.') == std::string::npos) return static_cast<long long>(ns::numtext::integerValue(text));
    return ns::numtext::doubleValue(text);
}

// Why an order's texts cannot be kept, or nullptr: each is bounded by what it is for.
const char* oversized(const ns::Value& p, const char* product) {
    if (!lengthWithin(text(p[product]), 0, kMaxProductUnits)) return "商品名称过长";
    if (text(p["p"]).size() > kMaxAmountBytes || text(p["b"]).size() > kMaxAmountBytes) return "金额错误";
    if (text(p["z"]).size() > kMaxTypeBytes) return "支付方式错误";
    return nullptr;
}

// Why no order may be made with these texts for the user, or nullptr.
const char* orderRefusal(const PayArea& pay, const std::string& user, const ns::Value& p, const char* product) {
    if (const char* why = oversized(p, product)) return why;
    return pay.fullFor(user) ? "订单数量已达上限" : nullptr;
}

PayArea::Order& newOrder(PayArea& pay, const std::string& user, const std::string& road, const ns::Value& p) {
    PayArea::Order o;
    o.id = ++pay.nextOrderId;
    o.user = user, o.road = road, o.type = text(p["z"]);
    o.money = text(p["p"]).empty() ? text(p["b"]) : text(p["p"]);
    o.realMoney = text(p["b"]);
    if (!isTopUp(road)) o.cid = text(p["cid"]); // a top-up takes no voucher
    o.made = ns::Clock::now();
    o.pageKey = unguessableId();
    // Whatever still holds the voucher has lapsed (voucherRefusal let this one through): it gives
    // the voucher up for good, so the voucher is spent once whichever is paid.
    if (PayArea::Order* old = o.cid.empty() ? nullptr : pay.holder(user, o.cid)) old->cancelled = true;
    return pay.addOrder(std::move(o));
}

// Why an unused voucher does not fit an order of this many yuan in this game, or nullptr when it
// does. The voucher list's "av" and the payments share it, so a voucher offered is one accepted.
const char* unfit(const PayArea::Voucher& v, const Decimal& yuan, const std::string& game) {
    if (v.gid != 0 && std::to_string(v.gid) != game) return "该代金券不能用于本游戏";
    if (yuan.isNaN() || dec(v.payMoney).compare(yuan) == ns::ComparisonResult::Descending) return "未达到代金券使用金额";
    return nullptr;
}

// Whether an unpaid order made within the hold keeps the voucher from any other order or payment.
bool held(PayArea& pay, const std::string& user, const std::string& cid) {
    const PayArea::Order* o = pay.holder(user, cid);
    return o && ns::Clock::now() - o->made < kVoucherHoldSeconds;
}

// Why the voucher a payment names cannot be used, or nullptr when it can or none is named. Only
// the payer's own vouchers count; one an unpaid order holds is as good as used.
const char* voucherRefusal(PayArea& pay, const std::string& user, const std::string& cid, const Decimal& yuan,
                           const std::string& game) {
    if (cid.empty()) return nullptr;
    for (const auto& v : pay.walletOrDefault(user).vouchers)
        if (std::to_string(v.cid) == cid) return v.used || held(pay, user, cid) ? "代金券已使用" : unfit(v, yuan, game);
    return "代金券不存在";
}

// H5, wallet app and official WeChat orders: the free and refusal switches, then the order.
ns::Value answerOrder(PlatformServer::State& s, PayArea& pay, const std::string& path, const ns::Value& p) {
    bool wx = path == "wxh5/h5pay" || path == "Wxh5other/h5pay";
    bool walletApp = path == "Walletapp/apppayios" || path == "Walletappother/apppayios";
    const char* status = wx ? "code" : "z";
    const char* message = wx ? "msg" : "b";
    std::string user = text(p["c"]);
    if (!isCaller(s, user)) return Dictionary{{status, "0"}, {message, LoginFirst}};
    if (pay.freeRoads.count(path)) return Dictionary{{status, "11"}, {message, "该订单无需支付"}};
    if (auto r = pay.refusedRoads.find(path); r != pay.refusedRoads.end())
        return Dictionary{{status, "0"}, {message, r->second}};
    if (!positive(dec(text(p["p"])))) return Dictionary{{status, "0"}, {message, "金额错误"}};
    if (const char* why = orderRefusal(pay, user, p, "l")) return Dictionary{{status, "0"}, {message, why}};
    if (const char* refusal = voucherRefusal(pay, user, text(p["cid"]), dec(text(p["p"])), text(p["f"])))
        return Dictionary{{status, "0"}, {message, refusal}};
    auto& o = newOrder(pay, user, path, p);
    o.productName = text(p["l"]);
    std::string id = std::to_string(o.id);
    if (walletApp) {
        o.signStr = "order=" + id + "&amount=" + o.realMoney + "&sign=vx" + id;
        return Dictionary{{"z", "1"}, {"b", "下单成功"}, {"c", o.signStr}};
    }
    if (wx) {
        // Raw, unescaped text in the query: the client escapes it before loading.
        std::string url = base(s) + "paypage/wx?order=" + id + "&key=" + o.pageKey + "&name=" + o.productName + "&note=pay now";
        return Dictionary{{"code", "1"}, {"msg", "下单成功"}, {"data", url}};
    }
    return Dictionary{{"z", "1"}, {"b", "下单成功"}, {"c", base(s) + "paypage/h5?order=" + id + "&key=" + o.pageKey + "&type=" + o.type}};
}

// Coins, vouchers and star coins: settled at once from the balance.
ns::Value answerBalancePay(PayArea& pay, const std::string& path, const ns::Value& p) {
    std::string user = text(p["f"]);
    // Checked on the wallet as it stands; made only for a payment that goes through.
    std::string PayArea::Wallet::*balance = &PayArea::Wallet::ttb;
    const char* key = "ttb";
    const char* shortage = "平台币余额不足";
    if (path == "Ttbpaynew/djqpay") balance = &PayArea::Wallet::djq, key = "djq", shortage = "代金券余额不足";
    if (path == "Ttbpaynew/starcoinpay") balance = &PayArea::Wallet::xingbi, key = "xingbi", shortage = "星币余额不足";
    Decimal cost = dec(text(p["b"]));
    if (cost.isNaN() || cost.isNegative()) return Dictionary{{"z", "-3"}, {"c", "金额错误"}};
    if (const char* why = orderRefusal(pay, user, p, "k")) return Dictionary{{"z", "-3"}, {"c", why}};
    // The voucher's minimum is in yuan; the coin road counts its amount in coins, ten a yuan.
    Decimal yuan = dec(text(p["p"]).empty() ? text(p["b"]) : text(p["p"]));
    if (path == "Ttbpaynew/ttbnew") yuan = yuan.dividing(Decimal(10));
    if (const char* refusal = voucherRefusal(pay, user, text(p["cid"]), yuan, text(p["j"])))
        return Dictionary{{"z", "-3"}, {"c", refusal}};
    if (dec(pay.walletOrDefault(user).*balance).compare(cost) == ns::ComparisonResult::Ascending)
        return Dictionary{{"z", "-2"}, {"c", shortage}};
    std::string& left = pay.wallet(user).*balance;
    left = dec(left).subtracting(cost).description();
    auto& o = newOrder(pay, user, path, p);
    o.productName = text(p["k"]);
    pay.record(user, key, false, cost.description(), o.productName, o.id);
    pay.settle(o.id);
    return Dictionary{{"z", "1"}, {"b", std::to_string(o.id)}, {"c", "支付成功"}};
}

ns::Value answerTopUp(PlatformServer::State& s, PayArea& pay, const std::string& path, const ns::Value& p) {
    std::string user = text(p["c"]);
    if (!isCaller(s, user)) return Dictionary{{"z", "0"}, {"b", LoginFirst}};
    if (!positive(dec(text(p["b"])))) return Dictionary{{"z", "0"}, {"b", "充值金额必须大于0"}};
    if (const char* why = orderRefusal(pay, user, p, "l")) return Dictionary{{"z", "0"}, {"b", why}};
    auto& o = newOrder(pay, user, path, p);
    o.productName = "平台币充值";
    std::string id = std::to_string(o.id);
    if (path == "Wallet/wallet") {
        o.signStr = "order=" + id + "&amount=" + o.money + "&sign=vx" + id;
        return Dictionary{{"z", "1"}, {"b", "下单成功"}, {"c", o.signStr}};
    }
    return Dictionary{{"z", "1"}, {"b", "下单成功"}, {"c", base(s) + "paypage/wx?order=" + id + "&key=" + o.pageKey + "&name=平台币充值"}};
}

// What a new player's wallet holds: the default balances and vouchers.
const PayArea::Wallet& newWallet() {
    static const PayArea::Wallet fresh = [] {
        PayArea::Wallet w;
        w.vouchers = defaultVouchers();
        return w;
    }();
    return fresh;
}

} // namespace

PayArea::Wallet& PayArea::wallet(const std::string& user) {
    return wallets.try_emplace(user, newWallet()).first->second;
}

const PayArea::Wallet& PayArea::walletOrDefault(const std::string& user) const {
    return foundOr(wallets, user, newWallet());
}

PayArea::Order& PayArea::addOrder(Order o) {
    auto& mine = ordersBy[o.user];
    size_t open = 0;
    for (size_t at : mine) open += !orders[at].paid && !orders[at].cancelled;
    for (size_t k = 0; open >= kMaxOpenOrders && k < mine.size(); ++k) {
        Order& old = orders[mine[k]];
        if (old.paid || old.cancelled) continue;
        old.cancelled = true;
        --open;
    }
    orderAt[o.id] = orders.size();
    mine.push_back(orders.size());
    orders.push_back(std::move(o));
    return orders.back();
}

bool PayArea::fullFor(const std::string& user) const {
    auto mine = ordersBy.find(user);
    return mine != ordersBy.end() && mine->second.size() >= kMaxOrdersPerAccount;
}

void PayArea::record(const std::string& user, const std::string& balance, bool gained, const std::string& amount,
                     const std::string& note, long orderId) {
    ledgerBy[user].push_back(ledger.size());
    ledger.push_back({user, balance, gained, amount, note, orderId, static_cast<long long>(ns::Clock::wallNow())});
}

std::vector<const PayArea::LedgerEntry*> PayArea::rows(const std::string& user, const std::string& balance,
                                                       bool gained) const {
    std::vector<const LedgerEntry*> out;
    auto mine = ledgerBy.find(user);
    if (mine == ledgerBy.end()) return out;
    for (auto at = mine->second.rbegin(); at != mine->second.rend(); ++at)
        if (ledger[*at].balance == balance && ledger[*at].gained == gained) out.push_back(&ledger[*at]);
    return out;
}

PayArea::Order* PayArea::order(long id) {
    auto it = orderAt.find(id);
    return it == orderAt.end() ? nullptr : &orders[it->second];
}

PayArea::Order* PayArea::orderBySign(const std::string& signStr) {
    for (auto& o : orders)
        if (!o.signStr.empty() && o.signStr == signStr) return &o;
    return nullptr;
}

bool PayArea::settle(long id) {
    Order* o = order(id);
    if (!o || o->paid || o->cancelled) return false;
    o->paid = true;
    auto& w = wallet(o->user);
    if (isTopUp(o->road)) {
        // One yuan buys ten platform coins.
        std::string coins = dec(o->money).multiplying(Decimal(10)).description();
        w.ttb = plus(w.ttb, coins);
        record(o->user, "ttb", true, coins, o->productName, o->id);
    }
    if (!o->cid.empty())
        for (auto& v : w.vouchers)
            if (std::to_string(v.cid) == o->cid) v.used = true;
    return true;
}

PayArea::Order* PayArea::holder(const std::string& user, const std::string& cid) {
    auto mine = ordersBy.find(user);
    if (mine == ordersBy.end()) return nullptr;
    for (size_t at : mine->second)
        if (Order& o = orders[at]; !o.paid && !o.cancelled && o.cid == cid) return &o;
    return nullptr;
}

PayArea& payArea(PlatformServer::State& s) {
    if (!s.pay) s.pay = std::make_shared<PayArea>();
    return *s.pay;
}

ns::Value answerPay(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    auto& pay = payArea(s);
    if (path == "pay/getPayWayios") {
        if (pay.payWayCode != 1) return Dictionary{{"code", std::to_string(pay.payWayCode)}, {"msg", pay.payWayMessage}};
        // The centre names the user as "zz"; the API's own query names none and gets the session's.
        std::string user = text(p["zz"]).empty() ? s.caller.account : text(p["zz"]);
        if (!isCaller(s, user)) return Dictionary{{"code", "0"}, {"msg", LoginFirst}};
        const auto& w = pay.walletOrDefault(user);
        static const std::map<long, const char*> names = {
            {1, "平台币"}, {2, "钱包H5"}, {3, "微信H5"}, {4, "代金券"}, {5, "钱包APP"}, {6, "官方微信H5"},
            {10, "星币"}, {31, "钱包APP"}, {32, "官方微信H5"}};
        ns::Array data;
        for (long id : w.payWays) {
            auto name = names.find(id);
            data.push_back(Dictionary{{"z", std::to_string(id)}, {"b", name == names.end() ? "其他" : name->second},
                                      {"d", ns::format("way%ld", id)}});
        }
        return Dictionary{{"code", "1"}, {"msg", "ok"}, {"data", data}, {"ttb", w.ttb}, {"djq", w.djq},
                          {"xingbi", w.xingbi}, {"discount", w.discount}};
    }
    if (path == "pay/getcoupons") {
        if (!isCaller(s, text(p["z"]))) return Dictionary{{"code", "0"}, {"msg", LoginFirst}, {"data", ns::Array{}}};
        const auto& w = pay.walletOrDefault(text(p["z"]));
        Decimal mm = dec(text(p["mm"]));
        ns::Array data;
        for (const auto& v : w.vouchers) {
            if (v.used) continue;
            bool usable = !unfit(v, mm, text(p["e"])) && !held(pay, text(p["z"]), std::to_string(v.cid));
            data.push_back(Dictionary{{"gamename", v.gamename}, {"cid", static_cast<long long>(v.cid)},
                                      {"coupon_name", v.name}, {"pay_money", number(v.payMoney)},
                                      {"coupon_money", number(v.couponMoney)}, {"av_time", v.avTime},
                                      {"av", usable ? "1" : "0"}, {"gid", std::to_string(v.gid)}});
        }
        return Dictionary{{"code", "1"}, {"msg", "ok"}, {"data", data}};
    }
    if (path == "H5pay/pay" || path == "wxh5/h5pay" || path == "Wxh5other/h5pay" || path == "Walletapp/apppayios" ||
        path == "Walletappother/apppayios")
        return answerOrder(s, pay, path, p);
    if (path == "Ttbpaynew/ttbnew" || path == "Ttbpaynew/djqpay" || path == "Ttbpaynew/starcoinpay") {
        if (!isCaller(s, text(p["f"]))) return Dictionary{{"z", "-1"}, {"c", LoginFirst}};
        if (pay.freeRoads.count(path)) return Dictionary{{"z", "11"}, {"c", "该订单无需支付"}};
        if (auto r = pay.refusedRoads.find(path); r != pay.refusedRoads.end())
            return Dictionary{{"z", "-4"}, {"c", r->second}};
        return answerBalancePay(pay, path, p);
    }
    if (path == "Pay/getUserSuccess") {
        // The user's latest web order decides: an earlier paid order must not answer for a new one.
        std::string user = text(p["z"]);
        if (!isCaller(s, user)) return Dictionary{{"z", "0"}, {"b", LoginFirst}};
        const PayArea::Order* latest = nullptr;
        if (auto mine = pay.ordersBy.find(user); mine != pay.ordersBy.end())
            for (size_t at : mine->second)
                if (const auto& o = pay.orders[at];
                    o.road == "H5pay/pay" || o.road == "wxh5/h5pay" || o.road == "Wxh5other/h5pay")
                    latest = &o;
        if (latest && latest->paid) return Dictionary{{"z", "1"}, {"b", "支付成功"}};
        return Dictionary{{"z", "0"}, {"b", latest ? "未支付" : "没有订单"}};
    }
    if (path == "Wallet/wallet" || path == "Wxh5ptb/wxpay") return answerTopUp(s, pay, path, p);
    if ((path == "Ttbpay/getTTB" || path == "Ttbpay/getDJQ") && !isCaller(s, text(p["b"])))
        return Dictionary{{"z", "0"}, {"c", LoginFirst}};
    if (path == "Ttbpay/getTTB") return Dictionary{{"z", "1"}, {"b", pay.walletOrDefault(text(p["b"])).ttb}, {"c", "ok"}};
    if (path == "Ttbpay/getDJQ") {
        long count = 0;
        for (const auto& v : pay.walletOrDefault(text(p["b"])).vouchers) count += v.used ? 0 : 1;
        return Dictionary{{"z", "1"}, {"b", std::to_string(count)}, {"c", "ok"}};
    }
    if (path == "Service/getkefu")
        return Dictionary{{"code", "1"}, {"msg", "ok"},
                          {"data", Dictionary{{"z", "400-800-1234"}, {"b", "80001234"}, {"c", "10"}, {"d", "客服在线"},
                                              {"e", "1"}}}};
    if (path == "pay/payRecords") {
        std::string user = text(p["z"]);
        if (!isCaller(s, user)) return Dictionary{{"code", "0"}, {"msg", LoginFirst}};
        ns::Array data;
        static const std::vector<size_t> none;
        for (size_t at : foundOr(pay.ordersBy, user, none))
            if (const auto& o = pay.orders[at]; o.paid)
                data.push_back(Dictionary{{"z", std::to_string(o.id)}, {"b", o.money}, {"paytype", o.type},
                                          {"create_time", "2026-01-01 00:00"}, {"d", "2026-01-01"}});
        return Dictionary{{"code", "1"}, {"msg", "ok"}, {"data", data}};
    }
    return {};
}

std::optional<Page> answerPayPage(PlatformServer::State& s, const std::string& path,
                                  const std::map<std::string, std::string>& query, const std::string& referer) {
    std::string prefix = std::string(PlatformServer::BasePath) + "paypage/";
    if (path.rfind(prefix, 0) != 0) return std::nullopt;
    std::string kind = path.substr(prefix.size());
    auto get = [&](const char* key) {
        auto it = query.find(key);
        return it == query.end() ? std::string() : it->second;
    };
    auto& pay = payArea(s);
    long id = static_cast<long>(ns::numtext::integerValue(get("order")));
    PayArea::Order* o = pay.order(id);
    auto html = [](std::string body) { return Page{std::move(body), "text/html; charset=utf-8"}; };
    // Without the order's key the page is as for no order: nobody opens another's by its number.
    if (!o || o->cancelled || get("key") != o->pageKey) return html(pages::noOrder());
    if (kind == "confirm") {
        pay.settle(o->id);
        return html(pages::paid(o->id));
    }
    if (kind != "h5" && kind != "wx") return std::nullopt;
    // The official WeChat cashier opens only from the app that registered its Referer.
    if (kind == "wx" && referer != "127.0.0.1://") return html(pages::wrongReferer());
    return html(pages::cashier(o->id, kind == "wx" ? get("name") : o->productName, o->realMoney,
                               base(s) + "paypage/confirm?order=" + std::to_string(o->id) + "&key=" + o->pageKey, kind == "wx" || o->type == "wx"));
}

} // namespace vx::server
