#include "platform_sdk/VXLoginAPI.h"

#include "os/uikit/AdvertisingIdentifier.h"
#include "os/foundation/Log.h"
#include "os/foundation/UserDefaults.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"

namespace VXLoginAPI {

namespace {

const char* kServerError = "服务器错误";

ns::Ref<ShareVale> share() { return ShareVale::sharedInstance(); }
std::string adId() { return ui::AdvertisingIdentifierManager::sharedManager().advertisingIdentifier(); }
bool succeeded(const ns::Value& reply, const char* statusKey) { return reply[statusKey].integerValue() == 1; }

void scrambled(const char* path, const ns::Dictionary& params, NetWorkManager::Success success,
               NetWorkManager::Failure failure) {
    NetWorkManager::sharedInstance()->PostCouponURL(path, params, std::move(success), std::move(failure));
}

// Password, phone-code and token login share the reply handling.
void handleLoginReply(const ns::Value& reply, bool storeToken, const Success<LoginResult>& success,
                      const CodedFailure& failed) {
    if (!succeeded(reply, "z")) {
        if (failed) failed(reply["x"], reply["z"]);
        return;
    }
    if (storeToken) share()->setLoginToken(reply["tk"].stringValue());
    share()->setIosWapBoxUrl(reply["url"]);
    if (success) success(LoginResult::responseWithDic(reply));
}

} // namespace

void LonginWithUsername(const Text& userName, const Text& password, Success<LoginResult> success, CodedFailure failed) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", userName), p.set("b", password), p.set("c", s->phoneType()), p.set("d", s->gameID());
    p.set("e", adId()), p.set("f", s->chanelid()), p.set("x", s->appID());
    scrambled(
        VXEndpoints::DoLogin, p,
        [success, failed](const ns::Value& reply) { handleLoginReply(reply, false, success, failed); },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError, "501");
        });
}

void doPhoneYzmLoginWithNumber(const Text& phone, const Text& code, Success<LoginResult> success, CodedFailure failed) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", phone), p.set("c", s->phoneType()), p.set("d", s->gameID()), p.set("e", adId());
    p.set("f", s->chanelid()), p.set("x", s->appID()), p.set("h", s->version()), p.set("i", code);
    scrambled(
        VXEndpoints::TelRegister, p,
        [success, failed](const ns::Value& reply) { handleLoginReply(reply, true, success, failed); },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError, "501");
        });
}

void registerNewWithUsername(const Text& userName, const Text& password, Success<RegisterResult> success,
                             MessageFailure failed) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", userName), p.set("b", password), p.set("c", s->phoneType()), p.set("d", s->gameID());
    p.set("e", adId()), p.set("f", s->chanelid()), p.set("x", s->appID()), p.set("h", s->version());
    scrambled(
        VXEndpoints::Register, p,
        [success, failed](const ns::Value& reply) {
            if (succeeded(reply, "z")) {
                if (success) success(RegisterResult::responseWithDic(reply));
            } else if (failed) {
                failed(reply["d"]);
            }
        },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError);
        });
}

void getSdkCodeWithNumber(const Text& phone, const Text& userName, const Text& type, Success<VXBaseResponse> success,
                          MessageFailure failed) {
    ns::Dictionary p;
    p.set("sj", phone), p.set("username", userName), p.set("type", type);
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        VXEndpoints::Yzm, p,
        [success, failed](const ns::Value& reply) {
            if (succeeded(reply, "a")) {
                auto model = VXBaseResponse::responseWithDic(reply);
                model->mesage = "验证码已发送";
                if (success) success(model);
            } else if (failed) {
                failed(reply["b"]);
            }
        },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError);
        });
}

void postRealNameToServerWithRealName(const Text& realName, const Text& idNumber, Success<rzResult> success,
                                      MessageFailure failed) {
    auto s = share();
    ns::Dictionary p;
    p.set("id", idNumber), p.set("r", realName), p.set("i", s->userName()), p.set("g", s->gameID());
    scrambled(
        VXEndpoints::IdCheck, p,
        [success, failed](const ns::Value& reply) {
            if (succeeded(reply, "z")) {
                if (success) success(rzResult::responseWithDic(reply));
            } else if (failed) {
                failed(reply["b"]);
            }
        },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError);
        });
}

void GetNoticeWithSuccess(Success<GetNotice> success, CodedFailure failed) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", s->userName()), p.set("b", s->chanelid()), p.set("c", s->gameID());
    scrambled(
        VXEndpoints::GetMsg, p,
        [success, failed](const ns::Value& reply) {
            if (succeeded(reply, "code")) {
                if (success) success(GetNotice::responseWithDic(reply));
            } else if (failed) {
                failed("获取失败", reply["code"]);
            }
        },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError, "501");
        });
}

void LonginOutSendToService() {
    auto s = share();
    Text loggedOut = s->userName();
    // Every login stores a new session id: with the name it tells this session from a newer one.
    Text session = s->sid();
    ns::Dictionary p;
    p.set("z", loggedOut), p.set("b", s->phoneType()), p.set("c", s->gameID()), p.set("d", adId());
    p.set("e", s->chanelid()), p.set("f", s->appID()), p.set("h", s->version());
    scrambled(
        VXEndpoints::Logout, p,
        [loggedOut, session](const ns::Value&) {
            // A late reply must not wipe a login that happened after this logout was sent, even
            // one with the same account.
            auto current = share();
            if (current->userName() == loggedOut && current->sid() == session) current->setUserName(std::string());
        },
        nullptr);
}

void SetRoleInfoWithInfoDic(const ns::Value& info, std::function<void()> success, MessageFailure failed) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", s->userName()), p.set("b", s->gameID()), p.set("c", info["roleId"]), p.set("d", info["roleName"]);
    p.set("e", info["roleLevel"]), p.set("f", info["zoneId"]), p.set("x", info["zoneName"]), p.set("h", info["ext"]);
    p.set("i", s->appID()), p.set("xh", s->subUserName());
    scrambled(
        VXEndpoints::SetRole, p,
        [success, failed](const ns::Value& reply) {
            if (succeeded(reply, "code")) {
                if (success) success();
            } else if (failed) {
                failed("信息错误");
            }
        },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError);
        });
}

void doUploadUserOlineTimeBlock(std::function<void(const ns::Value& message)> block) {
    auto s = share();
    ns::Dictionary p;
    p.set("n", s->userName()), p.set("g", s->gameID());
    scrambled(
        VXEndpoints::SetTime, p,
        [block](const ns::Value& reply) {
            ns::log("心跳返回 = %@", reply);
            if (reply["z"].integerValue() == -2 && block) block(reply["b"]);
        },
        nullptr);
}

void doNoPwdLoginWithSuccess(Success<LoginResult> success, CodedFailure failed) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", s->userName()), p.set("b", ""), p.set("c", s->phoneType()), p.set("d", s->gameID());
    p.set("e", adId()), p.set("f", s->chanelid()), p.set("x", s->appID()), p.set("tk", s->loginToken());
    scrambled(
        VXEndpoints::AutoLogin, p,
        [success, failed](const ns::Value& reply) {
            if (!succeeded(reply, "z")) {
                if (failed) failed(reply["x"], reply["z"]);
                return;
            }
            share()->setLoginToken(reply["tk"].stringValue());
            if (success) success(LoginResult::responseWithDic(reply));
        },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed("无法连接服务器", "501");
        });
}

void userLoginInfoWriteToLocal(const ns::Ref<LoginResult>& result) {
    if (!result || result->userName.isNilOrNull()) return;
    auto defaults = ns::UserDefaults::standard();
    ns::Array accounts = defaults->array("VX_accounts").value_or(ns::Array{});
    for (auto it = accounts.begin(); it != accounts.end(); ++it) {
        if ((*it)[0] == result->userName) {
            accounts.erase(it);
            break;
        }
    }
    accounts.push_back(ns::Array{result->userName, result->urserPwd});
    defaults->set("VX_accounts", accounts);
    defaults->synchronize();
}

} // namespace VXLoginAPI
