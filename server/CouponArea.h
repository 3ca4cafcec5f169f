#pragma once
// The coupon and bill area of the stand-in's model: the coupons a player may claim, each player's
// own coupons, and each player's statements of platform coins, vouchers and star coins.
// Private to server/ and its tests (seeded through PlatformServer::withState).
//
// Bills live here, seeded per player, rather than in the payment area's ledgers: the two do not
// share state yet, so a top-up does not show in these statements.

#include "server/ServerState.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vx::server {

struct CouponArea {
    struct Coupon {
        long long cid = 0;
        std::string gamename, time, couponMoney, payMoney, endTime;
    };
    struct Owned {
        long long cid = 0;
        bool usable = true;
    };
    // One line of a statement. "money" goes out as a positive magnitude; the client adds the sign.
    struct Bill {
        std::string time, remark, money;
        int source = 1; // 1-based index of the statement's menu entry
    };
    struct Player {
        std::set<long long> claimed;
        std::vector<Owned> owned; // newest first
        // Path of the statement ("Sdkhome/getdjqlog", ...) -> its lines, newest first.
        std::map<std::string, std::vector<Bill>> bills;
    };

    std::vector<Coupon> centre;       // every coupon: the centre offers those not yet claimed
    // Made when a player first claims; lists answer with a new player's state without making one.
    std::map<std::string, Player> players;
    size_t pageSize = 10;

    // Made on first use with a seeded catalogue.
    static CouponArea& of(PlatformServer::State& s);
    // The player's state, seeded with expired coupons and statements on first use: for changing it.
    Player& player(const std::string& name);
    // The player's state as it stands, or the seeded one a new player gets, made nowhere: for reading it.
    const Player& playerOrDefault(const std::string& name) const;
    const Coupon* coupon(long long cid) const;
    // Claims the coupon for the player; false when unknown or claimed already.
    bool claim(const std::string& name, long long cid);
};

// The six statement paths.
bool isBillPath(const std::string& path);

} // namespace vx::server
