#pragma once
// A stand-in for the platform API server: the same protocol (scrambled and form endpoints under
// "/sdkapicoupon2/"), an in-memory model that keeps flows coherent, and hooks for tests to script
// any path's reply and to read back every request decoded. Listens on 127.0.0.1 only.

#include "os/foundation/Value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::server {

class PlatformServer {
public:
    // A reply a test scripts for a path, in place of the model's answer.
    struct Scripted {
        int status = 200;
        std::string contentType = "text/html";
        std::optional<ns::Value> json;            // encoded as the path's transport encodes replies
        std::optional<std::string> jsonText;      // the same, from raw JSON text (wrong types, broken JSON)
        std::optional<std::string> rawBody;       // sent as it is (HTML error pages, undecodable bytes)
        bool drop = false;                        // close the connection without an answer
    };
    struct Received {
        std::string path;      // below the base path, e.g. "login/dologin"
        bool scrambled = false;
        ns::Value params;      // the decoded parameters (nil when the body did not decode)
        std::string rawBody;
        std::string contentType; // the request's Content-Type header
        std::string account;     // the account of the live session the request's cookie named, "" for none
    };
    struct Account {
        std::string password;
        std::string phone;
        int realName = 0;      // 0 none, 1 adult, 2 minor
        std::string token;
        std::string sid;
        std::vector<std::string> subAccounts;
        long onlineSeconds = 0;
    };

    // Bounds that keep the server's memory and threads in proportion to what its clients send.
    struct Limits {
        size_t maxBodyBytes = 1 << 20;        // a request body as sent; a larger one gets 413
        // A request body after its Content-Encoding (a whole form, or a scrambled body's text) and
        // a scrambled body's JSON: no request of the protocol comes near it; a larger one gets 413.
        size_t maxDecodedBytes = 64 << 10;
        size_t requestLogCount = 1000;        // requests kept for requests(), the newest
        size_t requestLogBytes = 16 << 20;    // and their raw bodies together at most this
        size_t maxThreads = 4;                // worker threads; each serves many connections by events
        int readTimeoutSeconds = 5;           // a client silent this long is dropped
        double requestSeconds = 10;           // a whole request with its reply, however it trickles
        size_t maxConnections = 4096;         // open at once; beyond it new connections are closed
        size_t maxHeaders = 64;               // header lines of a request; more get 431
        size_t maxHeaderBytes = 32 << 10;     // the request line and headers together; more get 431
        size_t maxBufferedBytes = 64 << 20;   // bodies of all requests in flight together; beyond it 503
        size_t maxBufferedPerAddress = 8 << 20; // the same for the requests of one client address
        // Phones with a code pending or wrong tries in their window; when full, no new phone is sent
        // a code until entries lapse (nothing is dropped to make room).
        size_t codePhones = 10000;
        size_t codesPerAddress = 20;          // codes one client address may have sent within 30 minutes
        size_t codeAddresses = 10000;         // client addresses counted for that (and for registrations), the oldest dropped first
        size_t registrationsPerAddress = 30;  // accounts one client address may make within an hour
        size_t accounts = 100000;             // accounts in all; when full, no new one is made
        size_t proposedNames = 10000;         // names one-tap registration handed out and nobody took yet, the oldest dropped first
    };

    static constexpr const char* BasePath = "/sdkapicoupon2/";
    // What inflating one compressed body holds besides its output (zlib's state and window),
    // charged to the budgets like the body: idle compressed bodies cost memory before they inflate.
    static constexpr size_t InflaterBytes = 48 << 10;

    PlatformServer();
    ~PlatformServer();
    PlatformServer(const PlatformServer&) = delete;
    PlatformServer& operator=(const PlatformServer&) = delete;

    // Binds 127.0.0.1 (port 0: an ephemeral one) and serves on a thread of its own.
    bool start(int port = 0);
    void stop();
    int port() const;
    // "http://127.0.0.1:<port>": the API host the SDK is pointed at.
    std::string host() const;

    // Replaces the model's answer for the path until clearScripts().
    void script(const std::string& path, Scripted reply);
    // Queues a reply for the next request to the path only; queued replies go before script().
    void scriptNext(const std::string& path, Scripted reply);
    void clearScripts();
    // Holds the reply to the next request to the path, whatever it is, until releaseHeld().
    void holdNext(const std::string& path);
    // Lets every held reply go out; stop() releases them too.
    void releaseHeld();
    // Requests whose reply is being held.
    size_t heldCount() const;
    // The requests received (to the path, when given), in order: the newest within the log's limits.
    std::vector<Received> requests(std::string_view path = {}) const;
    void clearRequests();
    // Threads, connections, headers and time-outs take effect at the next start(); the rest at once.
    void setLimits(const Limits& limits);
    Limits limits() const;
    // Body bytes the requests in flight hold together (inflated where they came compressed).
    size_t inFlightBytes() const;

    // --- model ---
    void addAccount(const std::string& name, const std::string& password, const std::string& phone = {});
    std::optional<Account> account(const std::string& name) const;
    // The last SMS code sent to the phone, while it is pending (unused, within its window).
    std::optional<std::string> smsCode(const std::string& phone) const;
    void setNotice(const std::string& id, const std::string& content, int status);
    // Daily online-time limit for minors, in seconds (default 5400).
    void setMinorDailyLimit(long seconds);
    // Serves the bytes by GET at the path (game icons, pictures of notices); other paths answer 404.
    void serveFile(const std::string& path, std::string bytes, const std::string& contentType);
    // Roles reported with "User/setRole", as their parameters.
    std::vector<ns::Value> roles() const;

    struct State;
    // Runs f with the model locked, so tests and the demo can seed or read an area's state
    // (server/ServerState.h).
    void withState(const std::function<void(State&)>& f);

private:
    std::unique_ptr<State> s_;
};

// The paths served with the plain (form) transport; every other path is scrambled.
bool isPlainPath(std::string_view path);
// An "application/x-www-form-urlencoded" body as a dictionary of texts ("+" a space, "%XX" a byte;
// a later repeat of a name replaces the earlier value; pairs that are not UTF-8 are left out).
ns::Value decodeForm(std::string_view body);

} // namespace vx::server
