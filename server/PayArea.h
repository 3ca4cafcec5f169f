#pragma once
// The stand-in's payment model: per account the balances (platform coins, voucher money, star
// coins), the discount, the offered pay ways and the vouchers; the orders of every road; and the
// ledgers of what each balance gained and spent (the bill lists read them). Private to server/,
// its tests and the demo, which seed it through PlatformServer::withState.

#include "server/ServerState.h"

#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace vx::server {

struct PayArea {
    struct Voucher {
        long cid = 0;
        std::string gamename = "风云online";
        std::string name;        // coupon_name
        std::string payMoney;    // spend at least this (yuan)
        std::string couponMoney; // worth (yuan)
        std::string avTime = "2030-12-31";
        long gid = 0;            // 0: any game
        bool used = false;
    };
    struct Wallet {
        std::string ttb = "500";      // platform coins
        std::string djq = "30.00";    // voucher money, yuan
        std::string xingbi = "12.50"; // star coins, yuan
        std::string discount = "0.95";
        std::vector<long> payWays = {2, 3, 1, 4, 5, 6, 10};
        std::vector<Voucher> vouchers;
    };
    struct Order {
        long id = 0;
        std::string user;
        std::string road;  // the request path
        std::string type;  // "z" of the request: "qb", "wx", "ptb", "djq", "xb"
        std::string money;
        std::string realMoney;
        std::string cid;
        std::string productName;
        std::string signStr; // wallet orders: what the wallet app signs
        std::string pageKey; // its pay pages' addresses carry it: order numbers are easy to guess
        double made = 0;     // the server's clock (ns::Clock)
        bool paid = false;
        // Its voucher's hold lapsed and another payment took the voucher: it can no longer be paid.
        bool cancelled = false;
    };
    struct LedgerEntry {
        std::string user;
        std::string balance;   // "ttb", "djq" or "xingbi"
        bool gained = false;   // true: credited, false: spent
        std::string amount;    // in the balance's unit
        std::string note;      // product or top-up
        long orderId = 0;
        long long time = 0;    // wall clock seconds
    };

    // By user name, made when the user first pays or orders; reads answer with a new player's
    // wallet without making one, so asking about made-up names leaves nothing behind.
    std::map<std::string, Wallet> wallets;
    std::vector<Order> orders;              // in order of creation; add them with addOrder
    std::unordered_map<long, size_t> orderAt; // order id -> its place in orders
    std::map<std::string, std::vector<size_t>> ordersBy; // user -> places of the user's orders, in order
    std::vector<LedgerEntry> ledger;        // add to it with record
    std::map<std::string, std::vector<size_t>> ledgerBy; // user -> places of the user's rows, in order
    long nextOrderId = 1000;

    // Switches for tests and the demo.
    int payWayCode = 1;                        // "code" of the pay-way reply
    std::string payWayMessage = "获取失败";      // "msg" when payWayCode is not 1
    std::set<std::string> freeRoads;           // order paths answered with 11 (nothing to pay)
    std::map<std::string, std::string> refusedRoads; // order path -> refusal message

    // The user's wallet, made with the default vouchers on first use: for changing it.
    Wallet& wallet(const std::string& user);
    // The user's wallet as it stands, or the one a new player gets, made nowhere: for reading it.
    const Wallet& walletOrDefault(const std::string& user) const;
    // Adds the order; past the open orders one user may have, the user's oldest is cancelled.
    Order& addOrder(Order o);
    // Whether the user may make no more orders (the orders kept per account are capped).
    bool fullFor(const std::string& user) const;
    Order* order(long id);
    Order* orderBySign(const std::string& signStr);
    // Marks the order paid once: credits a top-up, spends a voucher. False when unknown, paid or
    // cancelled.
    bool settle(long id);
    // The user's unpaid order that holds the voucher, if any (cancelled ones hold nothing).
    Order* holder(const std::string& user, const std::string& cid);
    // A ledger row of the user's, stamped with the wall clock.
    void record(const std::string& user, const std::string& balance, bool gained, const std::string& amount,
                const std::string& note, long orderId);
    // The user's ledger rows of one balance ("ttb", "djq", "xingbi"), gained or spent, newest first.
    std::vector<const LedgerEntry*> rows(const std::string& user, const std::string& balance, bool gained) const;
};

// The state's pay area, made on first use with the default vouchers.
PayArea& payArea(PlatformServer::State& s);

// The H5 pages the pay orders point at (GET below the base path); nullopt for other paths.
struct Page {
    std::string body;
    std::string contentType;
};
std::optional<Page> answerPayPage(PlatformServer::State& s, const std::string& path,
                                  const std::map<std::string, std::string>& query, const std::string& referer);

} // namespace vx::server
