// Logins' sessions: each login road opens one and sets its cookie; the routes that change or
// reveal an account ask whether the request's cookie names a live session of that account.
#include "os/foundation/Strings.h"
#include "server/ServerState.h"

#include <random>

namespace vx::server {

namespace {

// Sessions one account keeps open (devices, reinstalls); a login beyond them ends the oldest.
constexpr size_t kSessionsPerAccount = 8;

} // namespace

// 128 bits from the system's random source, as 32 hex digits.
std::string unguessableId() {
    static std::random_device device;
    static const char* hex = "0123456789abcdef";
    std::string id;
    for (int i = 0; i < 4; ++i) {
        uint32_t word = device();
        for (int k = 0; k < 8; ++k, word >>= 4) id += hex[word & 15];
    }
    return id;
}

void openSession(PlatformServer::State& s, const std::string& account) {
    std::string id = unguessableId();
    while (s.sessions.count(id)) id = unguessableId();
    uint64_t order = ++s.sessionOrder;
    s.sessions[id] = {account, order};
    auto& mine = s.sessionsOf[account];
    mine[order] = id;
    while (mine.size() > kSessionsPerAccount) {
        s.sessions.erase(mine.begin()->second);
        mine.erase(mine.begin());
    }
    s.caller.account = account;
    s.caller.setCookie = std::string(SessionCookie) + "=" + id + "; Path=/; HttpOnly";
}

void endSession(PlatformServer::State& s) {
    s.caller.setCookie = std::string(SessionCookie) + "=; Path=/; Max-Age=0; HttpOnly";
    if (s.caller.account.empty()) return;
    // The caller's account is that of a session its cookie named; end every one of it that it sent.
    for (const auto& id : s.caller.sessionIds) {
        auto it = s.sessions.find(id);
        if (it == s.sessions.end() || it->second.account != s.caller.account) continue;
        auto mine = s.sessionsOf.find(it->second.account);
        mine->second.erase(it->second.order);
        if (mine->second.empty()) s.sessionsOf.erase(mine);
        s.sessions.erase(it);
    }
    s.caller.account.clear();
}

std::string sessionAccount(const PlatformServer::State& s, const std::string& id) {
    auto it = s.sessions.find(id);
    return it == s.sessions.end() ? std::string() : it->second.account;
}

bool isCaller(const PlatformServer::State& s, const std::string& account) {
    return !account.empty() && s.caller.account == account;
}

bool lengthWithin(const std::string& text, size_t min, size_t max) {
    // Bytes bound the units from above: a long text is refused without counting it.
    if (text.size() > 4 * max) return false;
    size_t units = ns::str::utf16Length(text);
    return units >= min && units <= max;
}

} // namespace vx::server
