// The stand-in's answers for accounts: registration, the logins, SMS codes, real name, the notice,
// role reports and online time.
#include "os/foundation/Clock.h"
#include "os/foundation/Log.h"
#include "os/foundation/Random.h"
#include "server/ServerState.h"

#include <ctime>

namespace server {

ns::Value PlatformServer::State::login(const std::string& name, Account& a, const std::string& box) {
    a.sid = "sid" + std::to_string(++counter);
    ns::Dictionary r;
    r.set("z", 1), r.set("b", name), r.set("c", a.password), r.set("d", "sign" + std::to_string(counter));
    r.set("e", static_cast<long long>(ns::Clock::wallNow())), r.set("x", "登录成功"), r.set("sid", a.sid);
    r.set("rz", a.realName ? 1 : 0), r.set("frz", 0), r.set("nrz", a.realName), r.set("url", box);
    return r;
}

ns::Value PlatformServer::State::answerLogin(const std::string& path, const ns::Value& p) {
    std::string box = "http://127.0.0.1:" + std::to_string(port) + "/cdcloud/welcome/box";
    if (path == "login/dologin") {
        auto it = accounts.find(text(p["z"]));
        if (it == accounts.end() || it->second.password != text(p["b"]))
            return ns::Dictionary{{"z", 0}, {"x", "用户名或密码错误"}};
        return login(it->first, it->second, box);
    }
    if (path == "login/register") {
        std::string name = text(p["z"]), pwd = text(p["b"]);
        if (name.size() < 6 || pwd.size() < 6) return ns::Dictionary{{"z", 0}, {"d", "账号和密码至少6位"}};
        if (accounts.count(name)) return ns::Dictionary{{"z", 0}, {"d", "该用户名已被注册"}};
        accounts[name].password = pwd;
        return ns::Dictionary{{"z", 1}, {"b", name}, {"c", pwd}, {"d", "注册成功"}};
    }
    if (path == "Sdkhome/yzm") {
        std::string phone = text(p["sj"]);
        if (phone.size() != 11) return ns::Dictionary{{"a", 0}, {"b", "手机号格式错误"}};
        std::string code = std::to_string(100000 + ns::Random::uniform(900000));
        smsCodes[phone] = code;
        ns::log("[server] SMS code for %@: %@", phone, code);
        return ns::Dictionary{{"a", 1}, {"b", "发送成功"}};
    }
    if (path == "Login/telregister") {
        std::string phone = text(p["z"]);
        auto sms = smsCodes.find(phone);
        if (sms == smsCodes.end() || sms->second != text(p["i"])) return ns::Dictionary{{"z", 0}, {"x", "验证码错误"}};
        smsCodes.erase(sms);
        std::string name = phone;
        for (auto& [n, a] : accounts)
            if (a.phone == phone) name = n;
        Account& a = accounts[name];
        a.phone = phone;
        if (a.password.empty()) a.password = std::to_string(100000 + ns::Random::uniform(900000));
        a.token = "tk" + std::to_string(++counter);
        tokens[a.token] = name;
        ns::Value r = login(name, a, box);
        r.set("tk", a.token);
        return r;
    }
    if (path == "Login/auto_login") {
        auto t = tokens.find(text(p["tk"]));
        if (t == tokens.end() || t->second != text(p["z"])) return ns::Dictionary{{"z", 0}, {"x", "登录已失效"}};
        Account& a = accounts[t->second];
        ns::Value r = login(t->second, a, box);
        r.set("tk", a.token);
        return r;
    }
    if (path == "login/idcheck") {
        auto it = accounts.find(text(p["i"]));
        std::string id = text(p["id"]);
        if (it == accounts.end()) return ns::Dictionary{{"z", 0}, {"b", "用户不存在"}};
        if (id.size() != 18 || text(p["r"]).empty()) return ns::Dictionary{{"z", 0}, {"b", "身份信息有误"}};
        int birthYear = static_cast<int>(ns::numtext::integerValue(id.substr(6, 4)));
        time_t now = static_cast<time_t>(ns::Clock::wallNow());
        struct tm tm {};
        gmtime_r(&now, &tm);
        it->second.realName = (tm.tm_year + 1900 - birthYear) < 18 ? 2 : 1;
        return ns::Dictionary{{"z", 1}, {"b", "认证成功"}, {"frz", 0}, {"nrz", it->second.realName},
                              {"lmit", it->second.realName == 2 ? minorLimit : 0}};
    }
    if (path == "Sdkmsg/getmsg") return ns::Dictionary{{"code", 1}, {"msg", "ok"}, {"data", notice}};
    if (path == "login/logout") return ns::Dictionary{{"z", 1}, {"b", "退出成功"}};
    if (path == "User/setRole") {
        roles.push_back(p);
        return ns::Dictionary{{"code", 1}, {"msg", "ok"}};
    }
    if (path == "login/setTime") {
        auto it = accounts.find(text(p["n"]));
        if (it == accounts.end()) return ns::Dictionary{{"z", -1}, {"b", "用户不存在"}};
        it->second.onlineSeconds += 120;
        if (it->second.realName == 2 && it->second.onlineSeconds >= minorLimit)
            return ns::Dictionary{{"z", -2}, {"b", "您今日的游戏时间已用完，请注意休息"}};
        return ns::Dictionary{{"z", 1}, {"b", "ok"}};
    }
    return {};
}

} // namespace server
