#pragma once
// The server's model, shared by the files that answer each area's endpoints. Private to server/
// and its tests: each area keeps its own state in a struct of its own, made on first use.

#include "server/PlatformServer.h"

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <thread>

namespace server {

// Text of a request or model value ("" when missing or not convertible).
std::string text(const ns::Value& v);

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
    std::map<std::string, std::string> smsTypes;        // phone -> type of the last code sent
    std::map<std::string, int> smsFailures;             // phone -> wrong tries of the current code
    std::set<std::string> proposedNames;                // names handed out by one-tap registration
    std::map<std::string, std::vector<SubAccount>> subs; // account -> sub-accounts, in order of creation
    std::map<std::string, std::string> lastSub;          // account -> username of the sub-account used last
};

// Pages and pictures the login road serves by GET (agreements, the sub-account head image).
std::map<std::string, std::pair<std::string, std::string>> loginFiles();
struct WelfareArea;
struct CommentArea;
struct CouponArea;
struct MineArea;

struct PlatformServer::State {
    httplib::Server http;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable released;
    uint64_t releaseGeneration = 0;
    size_t held = 0;
    bool stopping = false;
    std::map<std::string, Scripted> scripts;
    std::map<std::string, std::deque<Scripted>> queued;
    std::map<std::string, int> holdNext;
    std::deque<Received> received;
    size_t receivedBytes = 0;
    Limits limits;
    int listenSocket = -1;
    std::map<std::string, Account> accounts;
    std::map<std::string, std::string> smsCodes;
    std::map<std::string, std::string> tokens; // token -> account name
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
    // Decodes one request to the API below the base path, logs it and answers it.
    void serve(const httplib::Request& req, httplib::Response& res, const std::string& path, std::string body);
    // Appends to the request log (mutex held); trimLog drops the oldest entries beyond its limits.
    void logRequest(Received r);
    void trimLog();
};

// Each area answers its own paths and nil for any other.
ns::Value answerPay(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerWelfare(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerComments(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerCoupons(PlatformServer::State& s, const std::string& path, const ns::Value& p);
ns::Value answerMine(PlatformServer::State& s, const std::string& path, const ns::Value& p);

} // namespace server
