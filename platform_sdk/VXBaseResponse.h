#pragma once
// Reply models of the platform server. Fields hold the reply's value as it came (text or number;
// nil when the key is missing), except BOOL fields (the value's bool value) and fields marked
// "text" (the value's "%@" text, so a missing value reads "(null)").

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

class VXBaseResponse : public ns::Object {
public:
    // A new, empty model; the dictionary is ignored.
    static ns::Ref<VXBaseResponse> responseWithDic(const ns::Value& dic);

    ns::Value code;
    ns::Value mesage;
};

class LoginResult : public VXBaseResponse {
public:
    static ns::Ref<LoginResult> responseWithDic(const ns::Value& dic);
    ns::Value userName, urserPwd, sign, sinceTime, sid, rz, isCancel, isck, rzStatus, lmitTime;
    bool isMustRZ = false;
};

class RegisterResult : public VXBaseResponse {
public:
    static ns::Ref<RegisterResult> responseWithDic(const ns::Value& dic);
    ns::Value userName, userPwd, sign, sinceTime;
};

class rzResult : public VXBaseResponse {
public:
    static ns::Ref<rzResult> responseWithDic(const ns::Value& dic);
    bool isMustRZ = false;
    ns::Value rzStatus, lmitTime;
};

class GetNotice : public VXBaseResponse {
public:
    static ns::Ref<GetNotice> responseWithDic(const ns::Value& dic);
    ns::Value content, noticeId;
    std::string status; // text
};

class GetMyPtbResult : public VXBaseResponse {
public:
    static ns::Ref<GetMyPtbResult> responseWithDic(const ns::Value& dic);
    ns::Value ptb;
};

class PtbPay : public VXBaseResponse {
public:
    static ns::Ref<PtbPay> responseWithDic(const ns::Value& dic);
    ns::Value orderID;
};

class DiscountPayWay : public VXBaseResponse {
public:
    static ns::Ref<DiscountPayWay> responseWithDic(const ns::Value& dic);
    ns::Value orderID;
};

class GetMyDiscountResult : public VXBaseResponse {
public:
    static ns::Ref<GetMyDiscountResult> responseWithDic(const ns::Value& dic);
    ns::Value discountNum;
};

class HelpQQAndTel : public VXBaseResponse {
public:
    static ns::Ref<HelpQQAndTel> responseWithDic(const ns::Value& dic);
    ns::Value TEL, QQ, ttbRate, libaoShow;
};

class NotifyServer : public VXBaseResponse {
public:
    static ns::Ref<NotifyServer> responseWithDic(const ns::Value& dic);
    ns::Value messge, url;
};

class WalletInfo : public VXBaseResponse {
public:
    static ns::Ref<WalletInfo> responseWithDic(const ns::Value& dic);
    ns::Value signStr;
};

class OrderRecords : public VXBaseResponse {
public:
    // Always OrderRecords objects, container and items; no dataArray unless "data" is an array.
    static ns::Ref<OrderRecords> responseWithDic(const ns::Value& dic);
    std::optional<std::vector<ns::Ref<OrderRecords>>> dataArray;
    ns::Value orderID, amount, Paytype, creatSinceTime, creatTime;
};

class LoginOut : public VXBaseResponse {
public:
    static ns::Ref<LoginOut> responseWithDic(const ns::Value& dic);
};

class QuickPay : public VXBaseResponse {
public:
    static ns::Ref<QuickPay> responseWithDic(const ns::Value& dic);
    ns::Value url, orderID;
};

class GameDetail : public VXBaseResponse {
public:
    static ns::Ref<GameDetail> responseWithDic(const ns::Value& dic);
    ns::Value iconURL, desc, downLoadURL, gameName;
};

class WeiXinInfo : public VXBaseResponse {
public:
    static ns::Ref<WeiXinInfo> responseWithDic(const ns::Value& dic);
    ns::Value appid, noncestr, package, partnerid, prepayid, sign;
    std::string timestamp; // text
};

class PayWay : public VXBaseResponse {
public:
    static ns::Ref<PayWay> responseWithDic(const ns::Value& dic);
    std::optional<std::vector<ns::Ref<PayWay>>> data;
};
