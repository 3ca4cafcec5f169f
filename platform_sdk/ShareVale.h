#pragma once
// The platform SDK's process-wide state: app configuration from the bundle, fixed request values,
// and the player's session. Persisted values are read from the user defaults on every access and
// written (and synchronized) at once.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

#include <mutex>
#include <optional>
#include <string>

class ShareVale : public ns::Object {
public:
    using Text = std::optional<std::string>;

    static ns::Ref<ShareVale> sharedInstance();
    // Drops the shared instance; the next sharedInstance() makes a fresh one. Persisted values stay.
    static void distroyInstance();

    // "VX.plist" of the main bundle, read afresh; nil when missing.
    ns::Value getVXPlist() const;

    // --- persisted ---
    unsigned long loginStyle() const;
    void setLoginStyle(unsigned long style);
    Text userName() const;
    void setUserName(const Text& v);
    Text passWord() const;
    void setPassWord(const Text& v);
    Text sid() const;
    void setSid(const Text& v);
    // Stored as it comes: replies may send a number.
    ns::Value isRz() const;
    void setIsRz(const ns::Value& v);
    Text subUserName() const;
    void setSubUserName(const Text& v);
    Text loginToken() const;
    void setLoginToken(const Text& v);
    bool isNotAutoLogin() const;
    void setIsNotAutoLogin(bool v);
    Text noticeId() const;
    void setNoticeId(const Text& v);
    Text ptbValue() const;
    void setPtbValue(const Text& v);
    long long suHomeCount() const;
    void setSuHomeCount(long long v);
    long long suGiftCount() const;
    void setSuGiftCount(long long v);
    long long suCouponCount() const;
    void setSuCouponCount(long long v);

    // --- configuration, read once and kept ---
    Text appID();
    void setAppID(const Text& v) { appID_ = v; }
    Text gameID();
    void setGameID(const Text& v) { gameID_ = v; }
    Text appKey();
    void setAppKey(const Text& v) { appKey_ = v; }
    Text chanelid();
    void setChanelid(const Text& v) { chanelid_ = v, chanelidRead_ = true; }
    Text phoneType();
    void setPhoneType(const Text& v) { phoneType_ = v; }
    Text version();
    void setVersion(const Text& v) { version_ = v; }

    // --- memory only ---
    bool isHideSuspend() const { return isHideSuspend_; }
    void setIsHideSuspend(bool v) { isHideSuspend_ = v; }
    ns::Value iosWapBoxUrl() const { return iosWapBoxUrl_; }
    void setIosWapBoxUrl(const ns::Value& v) { iosWapBoxUrl_ = v; }
    // A login finished in this process and no logout came after it: paying needs one.
    bool isLoggedIn() const { return isLoggedIn_; }
    void setIsLoggedIn(bool v) { isLoggedIn_ = v; }
    Text userID, productName, productDesc;

    ShareVale() = default; // use sharedInstance()

private:
    Text configValue(Text& slot, const char* key) const;

    Text appID_, gameID_, appKey_, chanelid_, phoneType_, version_;
    bool chanelidRead_ = false;
    bool isHideSuspend_ = false;
    bool isLoggedIn_ = false;
    ns::Value iosWapBoxUrl_;
};

// Extras of the URL-encoding string helpers that belong to the platform SDK.
namespace URLEncode {
// "?gid=…&gameid=…&sid=…&username=…&logintime=…&sign=…&device=ios" for the platform's web pages.
std::string getWebViewURLArgument();
}

// Device model names by machine name.
class DeveicePlatform {
public:
    static std::string platform();
    static std::string platformForMachine(const std::string& machine);
};
