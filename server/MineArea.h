#pragma once
// The model behind the mine page and its account screens: per-player profiles, messages,
// sub-account details and bookings. Phones, real-name state and the sub-account list itself live
// in the accounts and the login area the login road keeps; this area only adds what those do not hold.

#include "server/PayArea.h"
#include "server/ServerState.h"

#include <map>
#include <string>
#include <vector>

namespace vx::server {

struct MineArea {
    // The balances shown with it are the payment area's wallet.
    struct Profile {
        std::string nickname;
        std::string avatar, vippic, paypic;
    };
    struct Message {
        long id = 0;
        bool read = false;
        std::string title, content, addtime, url;
    };
    // The last role a sub-account played (the sub-accounts themselves are the login road's).
    struct Role {
        std::string rolename, zonename, rolelevel;
    };
    struct Game {
        long id = 0;
        std::string pic1, welfare, booking, discount, gamesize, gamename;
        long downloadnum = 0;
        std::vector<std::string> fuli;
    };

    long pageSize = 10;
    std::map<std::string, Profile> profiles;                 // by account name
    std::map<std::string, std::vector<Message>> messages;    // by account name, in the order sent
    std::map<std::string, Role> roles;                       // by sub-account name
    std::vector<Game> games;                                 // the bookable games
    std::map<std::string, std::vector<long>> bookings;       // account name -> game ids
    long nextId = 100;

    // The player's messages, made on first use: four, three of them unread.
    std::vector<Message>& messagesOf(PlatformServer::State& s, const std::string& name);
    long unread(PlatformServer::State& s, const std::string& name);
};

// The area, made (with its seed data and web pages) on first use.
MineArea& mineArea(PlatformServer::State& s);
// "138****1234": the first three UTF-16 units, four asterisks, the units from index 7 on.
std::string maskedPhone(const std::string& phone);

// The user centre's task page: it shows whether the query's sign matches its user name and login time.
std::optional<Page> answerMinePage(PlatformServer::State& s, const std::string& path,
                                   const std::map<std::string, std::string>& query);

} // namespace vx::server
