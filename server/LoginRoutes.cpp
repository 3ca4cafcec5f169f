// The stand-in's answers for accounts: registration (with proposed names), the logins, SMS codes,
// password reset, real name, the notice, sub-accounts, role reports and online time.
#include "os/foundation/Clock.h"
#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Log.h"
#include "os/foundation/Strings.h"
#include "server/ServerState.h"
#include "server/WebPages.h"

#include <zlib.h>

#include <cmath>
#include <ctime>

namespace vx::server {

namespace {

// Wrong code tries a phone gets within a window; past them every code of the phone is refused
// until the window ends.
constexpr int kMaxCodeTries = 5;
constexpr double kCodeWindowSeconds = 30 * 60;
// Role reports kept, the newest, and the largest one taken (as JSON text).
constexpr size_t kMaxRoles = 256;
constexpr size_t kMaxRoleBytes = 4096;
// Sub-accounts an account may have.
constexpr size_t kMaxSubAccounts = 20;
// Longest user name and password kept (UTF-16 units), and code type.
constexpr size_t kMaxNameUnits = 32;
constexpr size_t kMaxPasswordUnits = 32;
constexpr size_t kMaxCodeTypeBytes = 8;
constexpr const char* kHeadImagePath = "/static/head/vx_head.png";

std::string pngChunk(const char* kind, const std::string& data) {
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    std::string body = std::string(kind, 4) + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return be32(static_cast<uint32_t>(data.size())) + body + be32(static_cast<uint32_t>(crc));
}

// A 96 x 96 head picture: a white figure on a blue disc.
std::string headImagePNG() {
    const int size = 96;
    std::string raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);
        for (int x = 0; x < size; ++x) {
            double cx = x + 0.5 - 48, cy = y + 0.5 - 48;
            bool disc = std::hypot(cx, cy) <= 47;
            bool head = std::hypot(cx, cy + 10) <= 16;
            bool body = std::hypot(cx / 28, (cy - 36) / 22) <= 1;
            unsigned char r = 73, g = 136, b = 253, a = disc ? 255 : 0;
            if (disc && (head || body)) r = g = b = 255;
            raw += std::string{char(r), char(g), char(b), char(a)};
        }
    }
    uLongf length = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(length, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(length);
    std::string header{0, 0, 0, char(size), 0, 0, 0, char(size), 8, 6, 0, 0, 0};
    return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", packed) +
           pngChunk("IEND", "");
}

std::string freeName(PlatformServer::State& s) {
    for (;;) {
        std::string name = "vx" + std::to_string(100000 + s.draw(900000));
        if (!s.accounts.count(name) && !s.loginArea.proposedNames.find(name)) return name;
    }
}

// A name that phone-code login gives out: the phone number, or the number + "_" + digits.
bool isReservedName(std::string_view name) {
    if (name.size() < 11 || !isPhoneNumber(name.substr(0, 11))) return false;
    if (name.size() == 11) return true;
    if (name[11] != '_' || name.size() == 12) return false;
    for (char c : name.substr(12))
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

bool isPhoneNumber(std::string_view text) {
    if (text.size() != 11) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

namespace {

// Why no code was sent.
constexpr const char* kCodesTooOften = "验证码发送过于频繁，请稍后再试";
constexpr const char* kCodesBusy = "验证码发送繁忙，请稍后再试";

// Entries whose time is over: a phone's lasts until its code and its window have both lapsed
// (it is renewed when a code is sent and when a window starts), an address's for its window.
void forgetLapsed(PlatformServer::State& s, double now) {
    s.codePhones.expire(now, kCodeWindowSeconds);
    s.codeAddresses.expire(now, kCodeWindowSeconds);
}

// What one client address was counted within its window, in a table of such counts.
size_t countOf(const AgedTable<size_t>& table, const std::string& address) {
    const size_t* n = table.find(address);
    return n ? *n : 0;
}

// Counts one more for the address; a new one starts its window now, the table kept within its cap.
void countOne(AgedTable<size_t>& table, const std::string& address, double now, size_t cap) {
    if (size_t* n = table.find(address)) {
        ++*n;
        return;
    }
    table.put(address, 1, now);
    table.trim(cap);
}

constexpr double kRegisterWindowSeconds = 60 * 60;
constexpr const char* kRegisteredTooOften = "注册过于频繁，请稍后再试";
constexpr const char* kRegistrationBusy = "注册繁忙，请稍后再试";

// Why no new account may be made for this caller now, or nullptr. Accounts stay for good, so both
// one address's and everybody's are bounded: a flood of registrations cannot grow memory without end.
const char* refuseNewAccount(PlatformServer::State& s) {
    s.registerAddresses.expire(ns::Clock::now(), kRegisterWindowSeconds);
    if (countOf(s.registerAddresses, s.caller.address) >= s.limits.registrationsPerAddress) return kRegisteredTooOften;
    if (s.accounts.size() >= s.limits.accounts) return kRegistrationBusy;
    return nullptr;
}

void countNewAccount(PlatformServer::State& s) {
    countOne(s.registerAddresses, s.caller.address, ns::Clock::now(), s.limits.codeAddresses);
}

} // namespace

// The client address pays for every code it asks; a phone new to the table needs room in it, and
// none is made by dropping another phone's code or count.
const char* sendCode(PlatformServer::State& s, const std::string& phone, const std::string& type) {
    double now = ns::Clock::now();
    forgetLapsed(s, now);
    if (countOf(s.codeAddresses, s.caller.address) >= s.limits.codesPerAddress) return kCodesTooOften;
    bool known = s.codePhones.find(phone) != nullptr;
    if (!known && s.codePhones.size() >= s.limits.codePhones) return kCodesBusy;
    countOne(s.codeAddresses, s.caller.address, now, s.limits.codeAddresses);
    PhoneCodes& entry = known ? s.codePhones.renew(phone, now) : s.codePhones.put(phone, {}, now);
    entry.code = SentCode{std::to_string(100000 + s.draw(900000)), type};
    entry.sentAt = now;
    ns::log("[server] SMS code for %@: %@", phone, entry.code->code);
    return nullptr;
}

const SentCode* pendingCode(PlatformServer::State& s, const std::string& phone) {
    double now = ns::Clock::now();
    forgetLapsed(s, now);
    PhoneCodes* entry = s.codePhones.find(phone);
    if (!entry || !entry->code) return nullptr;
    if (now - entry->sentAt >= kCodeWindowSeconds) { // a newer window's entry outlives an old code
        entry->code.reset();
        return nullptr;
    }
    return &*entry->code;
}

// A code of another use never matches. Wrong tries of all the phone's codes count together within
// the window, and past the limit the pending code is void and new ones are refused until the window
// ends. A matching code is used up and ends the count.
bool useCode(PlatformServer::State& s, const std::string& phone, const std::string& code, const std::string& type) {
    double now = ns::Clock::now();
    const SentCode* sent = pendingCode(s, phone);
    if (!sent) return false;
    PhoneCodes* entry = s.codePhones.find(phone);
    if (entry->wrong && now - entry->windowFrom >= kCodeWindowSeconds) entry->wrong = 0;
    if (entry->wrong >= kMaxCodeTries) {
        entry->code.reset();
        return false;
    }
    if (sent->type != type) return false;
    if (code.empty() || sent->code != code) {
        if (entry->wrong == 0) {
            // A window starts: the entry lasts at least as long.
            entry = &s.codePhones.renew(phone, now);
            entry->windowFrom = now;
        }
        if (++entry->wrong >= kMaxCodeTries) entry->code.reset();
        return false;
    }
    s.codePhones.erase(phone);
    return true;
}

namespace {

ns::Array subList(PlatformServer::State& s, const std::string& account) {
    ns::Array rows;
    const std::string& last = s.loginArea.lastSubOf(account);
    for (const auto& sub : s.loginArea.subsOf(account))
        rows.push_back(ns::Dictionary{{"nickname", sub.nickname},
                                      {"username", sub.username},
                                      {"sign", "xs" + std::to_string(++s.counter)},
                                      {"login_time", sub.loginTime},
                                      {"lasttime", sub.username == last ? "1" : "0"}});
    return rows;
}

} // namespace

std::map<std::string, std::pair<std::string, std::string>> loginFiles() {
    std::string html = "text/html; charset=utf-8";
    auto files = pages::pictures();
    files[std::string(PlatformServer::BasePath) + "Agreement/xieyi"] = {pages::agreement(), html};
    files[std::string(PlatformServer::BasePath) + "Agreement/Information2"] = {pages::antiAddiction(), html};
    files[kHeadImagePath] = {headImagePNG(), "image/png"};
    return files;
}

ns::Value PlatformServer::State::login(const std::string& name, Account& a, const std::string& box) {
    a.sid = "sid" + std::to_string(++counter);
    ns::Dictionary r;
    r.set("z", 1), r.set("b", name), r.set("c", a.password), r.set("d", "sign" + std::to_string(counter));
    r.set("e", static_cast<long long>(ns::Clock::wallNow())), r.set("x", "登录成功"), r.set("sid", a.sid);
    r.set("rz", loginArea.askRealName && a.realName == 0 ? 1 : 0), r.set("frz", loginArea.realNameMandatory ? 1 : 0);
    r.set("nrz", a.realName), r.set("isck", a.realName != 0 ? 1 : 0), r.set("ic", a.realName != 0 ? 1 : 0);
    r.set("lmit", a.realName == 2 ? minorLimit : 0), r.set("url", box);
    return r;
}

ns::Value PlatformServer::State::answerLogin(const std::string& path, const ns::Value& p) {
    std::string host = "http://127.0.0.1:" + std::to_string(port);
    std::string box = host + "/cdcloud/welcome/box";
    auto& area = loginArea;
    if (path == "login/dologin") {
        auto it = accounts.find(text(p["z"]));
        if (it == accounts.end() || it->second.password != text(p["b"]))
            return ns::Dictionary{{"z", 0}, {"x", "用户名或密码错误"}};
        openSession(*this, it->first);
        return login(it->first, it->second, box);
    }
    if (path == "login/oneRegister") {
        if (area.refuseOneRegister) return ns::Dictionary{{"z", 0}, {"b", *area.refuseOneRegister}};
        std::string name = freeName(*this);
        area.proposedNames.put(name, true, ns::Clock::now());
        area.proposedNames.trim(limits.proposedNames);
        return ns::Dictionary{{"z", 1}, {"b", name}};
    }
    if (path == "login/register") {
        std::string name = text(p["z"]), pwd = text(p["b"]);
        if (name.size() < 6 || pwd.size() < 6) return ns::Dictionary{{"z", 0}, {"d", "账号和密码至少6位"}};
        if (!lengthWithin(name, 0, kMaxNameUnits) || !lengthWithin(pwd, 0, kMaxPasswordUnits))
            return ns::Dictionary{{"z", 0}, {"d", "账号和密码不能超过32位"}};
        // Phone-code login names its accounts so: nobody may take them first.
        if (accounts.count(name) || isReservedName(name)) return ns::Dictionary{{"z", 0}, {"d", "该用户名已被注册"}};
        if (const char* refusal = refuseNewAccount(*this)) return ns::Dictionary{{"z", 0}, {"d", refusal}};
        countNewAccount(*this);
        accounts[name].password = pwd;
        area.proposedNames.erase(name);
        return ns::Dictionary{{"z", 1}, {"b", name}, {"c", pwd}, {"d", "注册成功"}};
    }
    if (path == "Sdkhome/yzm") {
        std::string phone = text(p["sj"]), type = text(p["type"]);
        if (!isPhoneNumber(phone)) return ns::Dictionary{{"a", 0}, {"b", "手机号格式错误"}};
        if (type.size() > kMaxCodeTypeBytes) return ns::Dictionary{{"a", 0}, {"b", "验证码类型错误"}};
        // A bind code is for a phone a logged-in player adds (the request names no account).
        if (type == "4" && caller.account.empty()) return ns::Dictionary{{"a", 0}, {"b", LoginFirst}};
        if (const char* refusal = sendCode(*this, phone, type)) return ns::Dictionary{{"a", 0}, {"b", refusal}};
        return ns::Dictionary{{"a", 1}, {"b", "发送成功"}};
    }
    if (path == "Login/telregister") {
        std::string phone = text(p["z"]);
        // Codes for a phone login are sent with type "8"; one asked without a type is accepted too.
        const SentCode* sent = pendingCode(*this, phone);
        std::string type = sent ? sent->type : "";
        if (type == "5" || !useCode(*this, phone, text(p["i"]), type))
            return ns::Dictionary{{"z", 0}, {"x", "验证码错误"}};
        // Only the account bound to the phone: a user name that happens to be the number is another account.
        std::string name;
        for (const auto& [n, a] : accounts)
            if (a.phone == phone) name = n;
        if (name.empty()) {
            // The code is spent either way: a refused phone asks a new one later.
            if (const char* refusal = refuseNewAccount(*this)) return ns::Dictionary{{"z", 0}, {"x", refusal}};
            countNewAccount(*this);
            name = phone;
            while (accounts.count(name)) name = phone + "_" + std::to_string(++counter);
            accounts[name].phone = phone;
        }
        Account& a = accounts[name];
        if (a.password.empty()) a.password = std::to_string(100000 + draw(900000));
        tokens.erase(a.token); // one live token per account
        a.token = "tk" + std::to_string(++counter);
        tokens[a.token] = name;
        openSession(*this, name);
        ns::Value r = login(name, a, box);
        r.set("tk", a.token);
        return r;
    }
    if (path == "Sdkhome/forgetpassword") {
        std::string phone = text(p["phone"]), pwd = text(p["password"]);
        std::string name;
        for (const auto& [n, a] : accounts)
            if (a.phone == phone) name = n;
        if (!useCode(*this, phone, text(p["yzm"]), "5")) return ns::Dictionary{{"a", 0}, {"b", "验证码错误"}};
        if (name.empty()) return ns::Dictionary{{"a", 0}, {"b", "该手机号未绑定账号"}};
        if (ns::str::utf16Length(pwd) < 6) return ns::Dictionary{{"a", 0}, {"b", "密码不少于6位"}};
        if (!lengthWithin(pwd, 0, kMaxPasswordUnits)) return ns::Dictionary{{"a", 0}, {"b", "密码不能超过32位"}};
        accounts[name].password = pwd;
        return ns::Dictionary{{"a", 1}, {"b", "密码修改成功"}};
    }
    if (path == "Login/auto_login") {
        auto t = tokens.find(text(p["tk"]));
        if (t == tokens.end() || t->second != text(p["z"])) return ns::Dictionary{{"z", 0}, {"x", "登录已失效"}};
        Account& a = accounts[t->second];
        openSession(*this, t->second);
        ns::Value r = login(t->second, a, box);
        r.set("tk", a.token);
        return r;
    }
    if (path == "login/idcheck") {
        auto it = accounts.find(text(p["i"]));
        std::string id = text(p["id"]);
        if (!isCaller(*this, text(p["i"]))) return ns::Dictionary{{"z", 0}, {"b", LoginFirst}};
        if (it == accounts.end()) return ns::Dictionary{{"z", 0}, {"b", "用户不存在"}};
        if (area.refuseRealName) return ns::Dictionary{{"z", 0}, {"b", *area.refuseRealName}};
        if (id.size() != 18 || text(p["r"]).empty()) return ns::Dictionary{{"z", 0}, {"b", "身份信息有误"}};
        if (area.realNameResult) {
            it->second.realName = area.realNameResult;
        } else {
            int birthYear = static_cast<int>(ns::numtext::integerValue(id.substr(6, 4)));
            time_t now = static_cast<time_t>(ns::Clock::wallNow());
            struct tm tm {};
            gmtime_r(&now, &tm);
            it->second.realName = (tm.tm_year + 1900 - birthYear) < 18 ? 2 : 1;
        }
        return ns::Dictionary{{"z", 1}, {"b", "认证成功"}, {"frz", 0}, {"nrz", it->second.realName},
                              {"lmit", it->second.realName == 2 ? minorLimit : 0}};
    }
    if (path == "Sdkmsg/getmsg") return ns::Dictionary{{"code", 1}, {"msg", "ok"}, {"data", notice}};
    if (path == "login/xiaohao") {
        std::string account = text(p["z"]);
        if (!isCaller(*this, account)) return ns::Dictionary{{"code", 0}, {"msg", LoginFirst}, {"data", ns::Array{}}};
        if (!accounts.count(account)) return ns::Dictionary{{"code", 0}, {"msg", "用户不存在"}, {"data", ns::Array{}}};
        ns::Array rows = subList(*this, account);
        std::string msg = rows.empty() ? "您还没有小号，请先添加" : "ok";
        return ns::Dictionary{{"code", 1}, {"msg", msg}, {"data", rows}, {"headimage", host + kHeadImagePath}};
    }
    if (path == "login/addxiaohao") {
        std::string account = text(p["z"]), nickname = text(p["x"]);
        if (!isCaller(*this, account)) return ns::Dictionary{{"code", 0}, {"msg", LoginFirst}};
        if (!accounts.count(account)) return ns::Dictionary{{"code", 0}, {"msg", "用户不存在"}};
        if (area.refuseAddSub) return ns::Dictionary{{"code", 0}, {"msg", *area.refuseAddSub}};
        if (!lengthWithin(nickname, 1, 8)) return ns::Dictionary{{"code", 0}, {"msg", "名称不能超过8个字符"}};
        auto& subs = area.subs[account];
        for (const auto& sub : subs)
            if (sub.nickname == nickname) return ns::Dictionary{{"code", 0}, {"msg", "小号名称已存在"}};
        if (subs.size() >= kMaxSubAccounts) return ns::Dictionary{{"code", 0}, {"msg", "小号数量已达上限"}};
        subs.push_back({nickname, account + "_xh" + std::to_string(++counter),
                        std::to_string(static_cast<long long>(ns::Clock::wallNow()))});
        return ns::Dictionary{{"code", 1}, {"msg", "添加成功"}, {"data", subList(*this, account)}};
    }
    if (path == "Index/adddllog") {
        std::string account = text(p["username"]), sub = text(p["xh"]);
        if (!isCaller(*this, account)) return ns::Dictionary{{"a", 0}, {"b", LoginFirst}};
        if (area.refuseSubCheck) return ns::Dictionary{{"a", 0}, {"b", *area.refuseSubCheck}};
        // Looked up, not made: a name that has no sub-accounts leaves nothing behind.
        if (auto subs = area.subs.find(account); subs != area.subs.end())
            for (auto& s : subs->second) {
                if (s.username != sub) continue;
                s.loginTime = std::to_string(static_cast<long long>(ns::Clock::wallNow()));
                area.lastSub[account] = sub;
                return ns::Dictionary{{"a", 1}, {"b", "ok"}};
            }
        return ns::Dictionary{{"a", 0}, {"b", "该小号不属于当前账号"}};
    }
    if (path == "login/logout") {
        endSession(*this);
        return ns::Dictionary{{"z", 1}, {"b", "退出成功"}};
    }
    if (path == "User/setRole") {
        if (!isCaller(*this, text(p["z"]))) return ns::Dictionary{{"code", 0}, {"msg", LoginFirst}};
        // Reports are kept within bounds, however many and large a client sends.
        auto written = ns::JSONSerialization::write(p);
        if (!written || written->length() > kMaxRoleBytes) return ns::Dictionary{{"code", 0}, {"msg", "角色信息过长"}};
        roles.push_back(p);
        if (roles.size() > kMaxRoles) roles.erase(roles.begin(), roles.begin() + (roles.size() - kMaxRoles));
        return ns::Dictionary{{"code", 1}, {"msg", "ok"}};
    }
    if (path == "login/setTime") {
        if (!isCaller(*this, text(p["n"]))) return ns::Dictionary{{"z", -1}, {"b", LoginFirst}};
        auto it = accounts.find(text(p["n"]));
        if (it == accounts.end()) return ns::Dictionary{{"z", -1}, {"b", "用户不存在"}};
        it->second.onlineSeconds += 120;
        if (it->second.realName == 2 && it->second.onlineSeconds >= minorLimit)
            return ns::Dictionary{{"z", -2}, {"b", "您今日的游戏时间已用完，请注意休息"}};
        return ns::Dictionary{{"z", 1}, {"b", "ok"}};
    }
    return {};
}

} // namespace vx::server
