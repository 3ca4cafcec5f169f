#pragma once
// The server's model, shared by the files that answer each area's endpoints. Private to server/
// and its tests: each area keeps its own state in a struct of its own, made on first use.

#include "server/AgedTable.h"
#include "server/PlatformServer.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <thread>
#include <chrono>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace vx::server {

class AcceptGate;

// Text of a request or model value ("" when missing or not convertible).
std::string text(const ns::Value& v);
// "2024-05-30 21:15": a time of the wall clock (seconds) as the lists show it, in UTC.
std::string minuteText(long long seconds);

// The entry for `key`, or `fallback` when there is none: reads answer for names they have not seen
// without making an entry.
template <class Map>
const typename Map::mapped_type& foundOr(const Map& map, const typename Map::key_type& key,
                                         const typename Map::mapped_type& fallback) {
    auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
}

struct PayArea;

// A sub-account of a platform account ("小号").
struct SubAccount {
    std::string nickname;
    std::string username; // unique across the server
    std::string loginTime;
};

// The login area's knobs and per-account extras (accounts themselves are in State::accounts).
struct LoginArea {
    // Login replies: "rz" 1 asks for the real-name step of an account without one; "frz" makes it mandatory.
    bool askRealName = true;
    bool realNameMandatory = true;
    // The real-name check answers this "nrz" (1 adult, 2 minor); 0 reads the age from the number.
    int realNameResult = 0;
    std::optional<std::string> refuseRealName;          // "b" of a refused check
    std::optional<std::string> refuseOneRegister;       // "z" 0 with this "b"
    std::optional<std::string> refuseAddSub;            // "code" 0 with this "msg"
    std::optional<std::string> refuseSubCheck;          // "a" 0 with this "b"
    AgedTable<bool> proposedNames;                      // names handed out by one-tap registration
    std::map<std::string, std::vector<SubAccount>> subs; // account -> sub-accounts, in order of creation
    std::map<std::string, std::string> lastSub;          // account -> username of the sub-account used last

    // Looked up, not made: listing an account's sub-accounts leaves nothing behind.
    const std::vector<SubAccount>& subsOf(const std::string& account) const {
        static const std::vector<SubAccount> none;
        return foundOr(subs, account, none);
    }
    const std::string& lastSubOf(const std::string& account) const {
        static const std::string none;
        return foundOr(lastSub, account, none);
    }
};

// A code sent to a phone, pending until used or its window ends.
struct SentCode {
    std::string code;
    std::string type; // "8" login, "5" reset, "4" bind, "7" unbind, or whatever the request named
};

// What the server keeps for a phone it sent codes to, in one entry so that a phone with a code
// always has its own count: the pending code, and the wrong tries of every code type together
// within a window on the server's clock (ns::Clock) from the first one. Asking for a new code does
// not start the count again; a right code does. The entry lasts until both have lapsed.
struct PhoneCodes {
    std::optional<SentCode> code;
    double sentAt = 0;
    int wrong = 0;
    double windowFrom = 0;
};

// Sends a new code of this type to the phone, replacing a pending one; nullptr, or why no code
// was sent (a refusal text: the client address asked too many, or the table is full). Mutex held.
const char* sendCode(PlatformServer::State& s, const std::string& phone, const std::string& type);
// The phone's pending code, nullptr when there is none or its window is over (mutex held).
const SentCode* pendingCode(PlatformServer::State& s, const std::string& phone);
// Checks a code sent to the phone for this use ("8" login, "5" reset, "4" bind, "7" unbind) and
// uses it up when it matches; wrong tries are limited per phone and window. Mutex held.
bool useCode(PlatformServer::State& s, const std::string& phone, const std::string& code, const std::string& type);
// Eleven ASCII digits.
bool isPhoneNumber(std::string_view text);

// Who sent the request being answered (mutex held): its client address, the account of the live
// session its cookie named, and the cookie a login or logout sets with the reply.
struct Caller {
    std::string address;
    std::string account;               // "" without a live session
    std::set<std::string> sessionIds;  // the session cookies it sent
    std::optional<std::string> setCookie;
};

// A login's session, named by a random id the client keeps in a cookie.
struct Session {
    std::string account;
    uint64_t order = 0; // opening order: an account's oldest session goes first beyond its cap
};

// 128 bits from the system's random source, as 32 hex digits: what must not be guessed (session
// ids, the keys of pay pages).
std::string unguessableId();

// The session cookie's name.
inline constexpr const char* SessionCookie = "vx_session";
// Opens a session for the account (its oldest beyond the cap ends) and sets its cookie on the
// reply being made (mutex held).
void openSession(PlatformServer::State& s, const std::string& account);
// Ends the caller's session, if any, and clears its cookie (mutex held).
void endSession(PlatformServer::State& s);
// The account of the live session the id names, "" for none (mutex held).
std::string sessionAccount(const PlatformServer::State& s, const std::string& id);
// Whether the request comes with a live session of the named account (mutex held).
bool isCaller(const PlatformServer::State& s, const std::string& account);
// What every route that changes or reveals an account says without the account's session.
inline constexpr const char* LoginFirst = "请先登录";

// The length the client counts (UTF-16 units) is within [min, max].
bool lengthWithin(const std::string& text, size_t min, size_t max);

// Pages and pictures the login road serves by GET (agreements, the sub-account head image).
std::map<std::string, std::pair<std::string, std::string>> loginFiles();
struct WelfareArea;
struct CommentArea;
struct CouponArea;
struct MineArea;

// One request on its way through the server (defined in PlatformServer.cpp).
struct Exchange;

struct PlatformServer::State {
    MHD_Daemon* daemon = nullptr;
    int port = 0;
    // Open connections and when each began, for the whole-request deadline (connMutex).
    struct Open {
        int fd = -1;
        std::chrono::steady_clock::time_point start;
        bool held = false; // a reply held back by a test waits as long as the test wants
        bool cut = false;
    };
    std::mutex connMutex;
    std::map<MHD_Connection*, Open> open;
    std::map<int, std::chrono::steady_clock::time_point> acceptedAt; // sockets handed on by the gate, not yet started
    std::unique_ptr<AcceptGate> gate;
    std::thread reaper;
    std::condition_variable reaperWake;
    bool reaperStop = false;
    // Body bytes buffered by all requests in flight together, and by those of each client address.
    mutable std::mutex budgetMutex;
    size_t buffered = 0;
    std::map<std::string, size_t> bufferedBy;
    std::vector<std::pair<MHD_Connection*, Exchange*>> heldExchanges; // (mutex)

    mutable std::mutex mutex;
    size_t held = 0;
    bool stopping = false;
    std::map<std::string, Scripted> scripts;
    std::map<std::string, std::deque<Scripted>> queued;
    std::map<std::string, int> holdNext;
    std::deque<Received> received;
    // What each logged request weighs: its raw body or its decoded parameters, the larger.
    std::deque<size_t> receivedWeights;
    size_t receivedBytes = 0;
    Limits limits;
    int listenSocket = -1;
    std::map<std::string, Account> accounts;
    AgedTable<PhoneCodes> codePhones;  // by phone
    AgedTable<size_t> codeAddresses;   // codes sent at each client address's asking, within its window
    AgedTable<size_t> registerAddresses; // accounts made at each client address's asking, within the hour
    std::map<std::string, std::string> tokens; // token -> account name
    std::map<std::string, Session> sessions;   // session id -> its account
    std::map<std::string, std::map<uint64_t, std::string>> sessionsOf; // account -> its session ids, oldest first
    uint64_t sessionOrder = 0;
    Caller caller; // of the request being answered
    ns::Dictionary notice{{"id", "1"}, {"content", "欢迎来到游戏"}, {"status", 1}};
    long minorLimit = 5400;
    std::vector<ns::Value> roles;
    std::map<std::string, std::pair<std::string, std::string>> files = loginFiles(); // path -> (bytes, content type)
    long counter = 0;
    // The server's own generator for names, codes and passwords: seeded, so a run repeats its
    // pictures, and apart from the process-wide one the client side draws from on other threads.
    std::mt19937 generator{20261207};
    // 0 <= n < bound (mutex held).
    uint32_t draw(uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(generator); }

    std::shared_ptr<PayArea> pay;
    std::shared_ptr<WelfareArea> welfare;
    std::shared_ptr<CommentArea> comments;
    std::shared_ptr<CouponArea> coupons;
    std::shared_ptr<MineArea> mine;
    LoginArea loginArea;

    // The model's answer to one request; called with the mutex held. Nil: no such endpoint.
    ns::Value answer(const std::string& path, const ns::Value& p);
    ns::Value answerLogin(const std::string& path, const ns::Value& p);
    ns::Value login(const std::string& name, Account& a, const std::string& box);
    // Decodes one request to the API below the base path, logs it and answers it (or holds it).
    void serve(MHD_Connection* c, Exchange& x, const std::string& path);
    // Appends to the request log (mutex held); trimLog drops the oldest entries beyond its limits.
    void logRequest(Received r, size_t decodedBytes = 0);
    void trimLog();
};

// Each area answers its own paths and nil for any other.
ns::Value answerPay(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerWelfare(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerComments(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerCoupons(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerMine(PlatformServer::State& s, const std::string& path, const ns::Value& p);

} // namespace vx::server
