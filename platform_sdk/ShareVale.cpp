#include "platform_sdk/ShareVale.h"

#include "os/foundation/Bundle.h"
#include "os/foundation/Clock.h"
#include "os/foundation/Crypto.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/Format.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Strings.h"
#include "os/foundation/UserDefaults.h"
#include "os/uikit/Device.h"

#include <sys/utsname.h>

#include <cmath>

namespace {

std::mutex& classLock() {
    static std::mutex m;
    return m;
}
ns::Ref<ShareVale>& sharedSlot() {
    static ns::Ref<ShareVale> shared;
    return shared;
}

ns::Ref<ns::UserDefaults> defaults() { return ns::UserDefaults::standard(); }

ShareVale::Text readText(const char* key) { return defaults()->object(key).stringValue(); }

void writeValue(const char* key, const ns::Value& value) {
    auto d = defaults();
    d->set(key, value);
    d->synchronize();
}

const bool registered = [] {
    ns::ResetRegistry::add("ShareVale", [] { ShareVale::distroyInstance(); });
    return true;
}();

} // namespace

ns::Ref<ShareVale> ShareVale::sharedInstance() {
    (void)registered;
    std::lock_guard lock(classLock());
    if (!sharedSlot()) sharedSlot() = std::make_shared<ShareVale>();
    return sharedSlot();
}

void ShareVale::distroyInstance() {
    std::lock_guard lock(classLock());
    sharedSlot() = nullptr;
}

ns::Value ShareVale::getVXPlist() const {
    auto path = ns::Bundle::main()->pathForResource("VX.plist", std::nullopt);
    if (!path) return {};
    auto data = ns::Data::fromFile(*path);
    if (!data) return {};
    ns::Value plist = ns::PropertyList::read(*data);
    return plist.isDictionary() ? plist : ns::Value();
}

unsigned long ShareVale::loginStyle() const {
    return static_cast<unsigned long>(static_cast<unsigned>(defaults()->object("VX_LoginStyle").intValue()));
}
void ShareVale::setLoginStyle(unsigned long style) { writeValue("VX_LoginStyle", static_cast<unsigned long long>(style)); }

ShareVale::Text ShareVale::userName() const { return readText("VX_username"); }
void ShareVale::setUserName(const Text& v) { writeValue("VX_username", v); }
ShareVale::Text ShareVale::passWord() const { return readText("VX_pwd"); }
void ShareVale::setPassWord(const Text& v) { writeValue("VX_pwd", v); }
ShareVale::Text ShareVale::sid() const { return readText("VX_sid"); }
void ShareVale::setSid(const Text& v) { writeValue("VX_sid", v); }
ns::Value ShareVale::isRz() const { return defaults()->object("VX_isRz"); }
void ShareVale::setIsRz(const ns::Value& v) { writeValue("VX_isRz", v); }
ShareVale::Text ShareVale::subUserName() const { return readText("VX_subUserName"); }
void ShareVale::setSubUserName(const Text& v) { writeValue("VX_subUserName", v); }
ShareVale::Text ShareVale::loginToken() const { return readText("VX_loginToken"); }
void ShareVale::setLoginToken(const Text& v) { writeValue("VX_loginToken", v); }
bool ShareVale::isNotAutoLogin() const { return defaults()->object("VX_isNotAutoLogin").boolValue(); }
void ShareVale::setIsNotAutoLogin(bool v) { writeValue("VX_isNotAutoLogin", v); }
ShareVale::Text ShareVale::noticeId() const { return readText("VX_noticeId"); }
void ShareVale::setNoticeId(const Text& v) { writeValue("VX_noticeId", v); }
ShareVale::Text ShareVale::ptbValue() const { return readText("VX_ptbValue"); }
void ShareVale::setPtbValue(const Text& v) { writeValue("VX_ptbValue", v); }

long long ShareVale::suHomeCount() const { return defaults()->integer("VX_suHomeCount"); }
void ShareVale::setSuHomeCount(long long v) { defaults()->setInteger(v, "VX_suHomeCount"), defaults()->synchronize(); }
long long ShareVale::suGiftCount() const { return defaults()->integer("VX_suGiftCount"); }
void ShareVale::setSuGiftCount(long long v) { defaults()->setInteger(v, "VX_suGiftCount"), defaults()->synchronize(); }
long long ShareVale::suCouponCount() const { return defaults()->integer("VX_suCouponCount"); }
void ShareVale::setSuCouponCount(long long v) { defaults()->setInteger(v, "VX_suCouponCount"), defaults()->synchronize(); }

ShareVale::Text ShareVale::configValue(Text& slot, const char* key) const {
    if (!slot) slot = getVXPlist()[key].string();
    return slot;
}

ShareVale::Text ShareVale::appID() { return configValue(appID_, "VORLIX_APPID"); }
ShareVale::Text ShareVale::gameID() { return configValue(gameID_, "VORLIX_GAMEID"); }
ShareVale::Text ShareVale::appKey() { return configValue(appKey_, "VORLIX_APPKEY"); }

ShareVale::Text ShareVale::chanelid() {
    if (chanelidRead_) return chanelid_;
    std::string folder = ns::str::stringByAppendingPathComponent(ns::Bundle::main()->bundlePath(), "VXAppInfo/Channel");
    std::string entry;
    auto& files = ns::FileManager::defaultManager();
    if (files.fileExists(folder)) {
        auto subpaths = files.subpaths(folder);
        if (subpaths && !subpaths->empty()) entry = subpaths->front();
    }
    Text agent = getVXPlist()["VORLIX_AGENT"].string();
    if (!entry.empty()) {
        std::erase_if(entry, [](char c) { return c == ' ' || c == '\n'; });
        chanelid_ = entry;
    } else {
        chanelid_ = agent;
    }
    chanelidRead_ = true;
    return chanelid_;
}

ShareVale::Text ShareVale::phoneType() {
    if (!phoneType_) phoneType_ = "3";
    return phoneType_;
}

ShareVale::Text ShareVale::version() {
    if (!version_) version_ = ui::Device::currentDevice().systemVersion();
    return version_;
}

std::string URLEncode::getWebViewURLArgument() {
    auto share = ShareVale::sharedInstance();
    double now = std::floor(ns::Clock::wallNow());
    std::string sign = ns::md5Hex(ns::format("username=%@&appkey=qorb@!vmk&logintime=%.0f", share->userName(), now));
    return ns::format("?gid=%@&gameid=%@&sid=%@&username=%@&logintime=%.0f&sign=%@&device=ios", share->gameID(),
                      share->gameID(), share->sid(), share->userName(), now, sign);
}

std::string DeveicePlatform::platformForMachine(const std::string& m) {
    auto starts = [&](const char* p) { return m.rfind(p, 0) == 0; };
    if (starts("iPhone3")) return "iPhone 4";
    if (m == "iPhone4,1") return "iPhone 4S";
    if (m == "iPhone5,1" || m == "iPhone5,2") return "iPhone 5";
    if (m == "iPhone5,3" || m == "iPhone5,4") return "iPhone 5C";
    if (starts("iPhone6")) return "iPhone 5S";
    if (m == "iPhone7,1") return "iPhone 6 Plus";
    if (m == "iPhone7,2") return "iPhone 6";
    if (m == "i386" || m == "x86_64") return "Simulator";
    return m;
}

std::string DeveicePlatform::platform() {
    struct utsname info {};
    ::uname(&info);
    return platformForMachine(info.machine);
}
