#pragma once
// The welfare tab's model: the rebate text, VIP levels and welfare text, the strategy and activity
// articles, server openings and gift packs with the codes each user has claimed. Made on first
// use with a small coherent world; tests and the demo change it through withState().

#include "server/ServerState.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vx::server {

struct WelfareArea {
    struct Article {
        std::string title, date, pic, url, flag, flagColor;
    };
    struct ServerOpening {
        std::string name, day, hour;
        bool open = false;
    };
    struct Gift {
        long id = 0;
        int kind = 0; // "lx"
        std::string name, excerpt, endTime, context;
    };

    int pageSize = 10;
    // Sdkdetail/fuli
    std::string fanli;
    ns::Array vipList; // {"item1": level, "item2": top-up}
    std::string boxContent;
    // Sdkdetail/gonglue and Sdkdetail/gameActivity
    std::vector<Article> strategies;
    std::vector<Article> activities;
    std::set<std::string> gamesWithoutActivities; // by "gid": an empty activity list
    // Server/lists2
    std::vector<ServerOpening> servers;
    bool dynamicOpening = true; // "auto"
    // Sdkdetail/card and Card/receive
    std::vector<Gift> gifts;
    std::map<std::string, std::map<long, std::string>> claimed; // user -> gift id -> code
    long nextCode = 1000;

    // The default world, with pictures and article pages served by GET under the host.
    static std::shared_ptr<WelfareArea> make(PlatformServer::State& s);
};

// The area, made on first use.
WelfareArea& welfareArea(PlatformServer::State& s);

} // namespace vx::server
