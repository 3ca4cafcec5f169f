#include "platform_sdk/VXPayAPI.h"

#include "http/HTTP.h"
#include "os/uikit/AdvertisingIdentifier.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"

namespace VXPayAPI {

namespace {

const char* kServerError = "服务器错误";
const char* kNoConnection = "无法连接服务器";

ns::Ref<ShareVale> share() { return ShareVale::sharedInstance(); }
std::string deviceId() { return ui::AdvertisingIdentifierManager::sharedManager().advertisingIdentifier(); }

// The order the centre is paying, as its roads pass it.
struct Order {
    Text money, realMoney, cid, orderNumber, discount, roleId, serverId, productName, productDesc, cpExtend;
};

// Keys of the H5, wallet-app and official-WeChat orders (nil values leave their key out).
ns::Dictionary webOrderKeys(const char* type, const Order& o) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", type), p.set("b", o.realMoney), p.set("c", s->userName()), p.set("h", deviceId());
    p.set("j", s->appID()), p.set("k", s->chanelid()), p.set("p", o.money), p.set("xx", o.discount);
    p.set("cid", o.cid), p.set("d", o.roleId), p.set("e", o.serverId), p.set("f", s->gameID());
    p.set("x", o.orderNumber), p.set("y", o.productDesc), p.set("l", o.productName), p.set("n", o.cpExtend);
    p.set("tr", s->subUserName()), p.set("os", "ios");
    return p;
}

// Keys of the coin, voucher and star-coin orders; only the coin order sends a discount.
ns::Dictionary balanceOrderKeys(const char* type, const Order& o, bool withDiscount) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", type), p.set("b", o.realMoney), p.set("c", deviceId()), p.set("h", o.serverId);
    p.set("j", s->gameID()), p.set("k", o.productName), p.set("p", o.money);
    if (withDiscount) p.set("xx", o.discount);
    p.set("cid", o.cid), p.set("d", s->appID()), p.set("e", s->chanelid()), p.set("f", s->userName());
    p.set("x", o.roleId), p.set("y", o.cpExtend), p.set("l", o.productDesc), p.set("tr", s->subUserName());
    p.set("os", "ios");
    return p;
}

ns::Dictionary topUpKeys(const char* type, const Text& money) {
    auto s = share();
    ns::Dictionary p;
    p.set("z", type), p.set("b", money), p.set("c", s->userName()), p.set("h", deviceId());
    p.set("j", s->gameID()), p.set("k", s->chanelid()), p.set("os", "ios");
    return p;
}

void scrambled(const std::string& path, const ns::Value& params, NetWorkManager::Success success,
               NetWorkManager::Failure failure) {
    NetWorkManager::sharedInstance()->PostCouponURL(path, params, std::move(success), std::move(failure));
}

NetWorkManager::Failure failWith(const MessageFailure& failed, const char* message) {
    return [failed, message](const ns::Ref<ns::Error>&) {
        if (failed) failed(message);
    };
}

// "z" 1 → the NotifyServer of the reply; 11 → "11" when free orders exist on the road; else "b".
void notifyReply(const ns::Value& reply, bool freeOrders, const Success<NotifyServer>& success,
                 const MessageFailure& failed) {
    if (orderSucceeded(reply["z"])) {
        auto model = std::make_shared<NotifyServer>();
        model->url = reply["c"], model->messge = reply["b"];
        if (success) success(model);
    } else if (freeOrders && reply["z"].integerValue() == 11) {
        if (failed) failed("11");
    } else if (failed) {
        failed(reply["b"]);
    }
}

void walletReply(const ns::Value& reply, bool freeOrders, const Success<WalletInfo>& success,
                 const MessageFailure& failed) {
    if (orderSucceeded(reply["z"])) {
        if (success) success(WalletInfo::responseWithDic(reply));
    } else if (freeOrders && reply["z"].integerValue() == 11) {
        if (failed) failed("11");
    } else if (failed) {
        failed(reply["b"]);
    }
}

template <class Model>
void balanceOrder(const char* path, const ns::Dictionary& params, Success<Model> success, CodedFailure failed) {
    scrambled(
        path, params,
        [success, failed](const ns::Value& reply) {
            if (orderSucceeded(reply["z"])) {
                if (success) success(Model::responseWithDic(reply));
            } else if (failed) {
                failed(reply["c"], reply["z"]);
            }
        },
        [failed](const ns::Ref<ns::Error>&) {
            if (failed) failed(kServerError, "501");
        });
}

} // namespace

bool orderSucceeded(const ns::Value& status) { return status.integerValue() == 1; }
bool querySucceeded(const ns::Value& status) { return status.string() == std::optional<std::string>("1"); }

void doBuyPtbByWalletWithMoney(const Text& money, Success<WalletInfo> success, MessageFailure failed) {
    scrambled(
        VXEndpoints::WalletWallet, topUpKeys("qb", money),
        [success, failed](const ns::Value& reply) { walletReply(reply, false, success, failed); },
        failWith(failed, kServerError));
}

void doBuyPtbByWxWithMoney(const Text& money, Success<NotifyServer> success, MessageFailure failed) {
    scrambled(
        VXEndpoints::WxH5PtbPay, topUpKeys("wx", money),
        [success, failed](const ns::Value& reply) { notifyReply(reply, false, success, failed); },
        failWith(failed, kServerError));
}

void doH5PayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& orderNumber,
                      const Text& discount, const Text& payType, const Text& roleId, const Text& serverId,
                      const Text& productName, const Text& productDesc, const Text& cpExtend,
                      Success<NotifyServer> success, MessageFailure failed) {
    Order o{money, realMoney, cid, orderNumber, discount, roleId, serverId, productName, productDesc, cpExtend};
    ns::Dictionary p = webOrderKeys("", o);
    p.set("z", payType);
    scrambled(
        VXEndpoints::H5Pay, p,
        [success, failed](const ns::Value& reply) { notifyReply(reply, true, success, failed); },
        failWith(failed, kServerError));
}

void doWalletAppPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& orderNumber,
                             const Text& discount, const Text& roleId, const Text& serverId, const Text& productName,
                             const Text& productDesc, const Text& cpExtend, const std::string& url,
                             Success<WalletInfo> success, MessageFailure failed) {
    Order o{money, realMoney, cid, orderNumber, discount, roleId, serverId, productName, productDesc, cpExtend};
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        url, webOrderKeys("qb", o),
        [success, failed](const ns::Value& reply) { walletReply(reply, true, success, failed); },
        failWith(failed, kServerError));
}

void doWxPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& orderNumber,
                      const Text& discount, const Text& roleId, const Text& serverId, const Text& productName,
                      const Text& productDesc, const Text& cpExtend, const std::string& url,
                      Success<NotifyServer> success, MessageFailure failed) {
    Order o{money, realMoney, cid, orderNumber, discount, roleId, serverId, productName, productDesc, cpExtend};
    scrambled(
        url, webOrderKeys("wx", o),
        [success, failed](const ns::Value& reply) {
            if (reply.isNil()) {
                if (failed) failed(kServerError);
            } else if (orderSucceeded(reply["code"])) {
                auto model = std::make_shared<NotifyServer>();
                model->url = reply["data"];
                if (success) success(model);
            } else if (reply["code"].integerValue() == 11) {
                if (failed) failed("11");
            } else if (failed) {
                failed(reply["msg"]);
            }
        },
        failWith(failed, kServerError));
}

void doPtbPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& /*orderNumber*/,
                       const Text& discount, const Text& roleId, const Text& serverId, const Text& productName,
                       const Text& productDesc, const Text& cpExtend, Success<PtbPay> success, CodedFailure failed) {
    Order o{money, realMoney, cid, std::nullopt, discount, roleId, serverId, productName, productDesc, cpExtend};
    balanceOrder(VXEndpoints::TtbNew, balanceOrderKeys("ptb", o, true), std::move(success), std::move(failed));
}

void doDjqPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& roleId,
                       const Text& serverId, const Text& productName, const Text& productDesc, const Text& cpExtend,
                       Success<DiscountPayWay> success, CodedFailure failed) {
    Order o{money, realMoney, cid, std::nullopt, std::nullopt, roleId, serverId, productName, productDesc, cpExtend};
    balanceOrder(VXEndpoints::DjqPay, balanceOrderKeys("djq", o, false), std::move(success), std::move(failed));
}

void doStarsPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& roleId,
                         const Text& serverId, const Text& productName, const Text& productDesc, const Text& cpExtend,
                         Success<DiscountPayWay> success, CodedFailure failed) {
    Order o{money, realMoney, cid, std::nullopt, std::nullopt, roleId, serverId, productName, productDesc, cpExtend};
    balanceOrder(VXEndpoints::StarCoinPay, balanceOrderKeys("xb", o, false), std::move(success), std::move(failed));
}

namespace {

template <class Model>
void query(const char* path, const ns::Dictionary& params, const char* statusKey, const char* messageKey,
           Success<Model> success, MessageFailure failed) {
    scrambled(
        path, params,
        [=](const ns::Value& reply) {
            if (querySucceeded(reply[statusKey])) {
                if (success) success(Model::responseWithDic(reply));
            } else if (failed) {
                failed(reply[messageKey]);
            }
        },
        failWith(failed, kNoConnection));
}

} // namespace

void GetMyPtbMoneyWithsuccess(Success<GetMyPtbResult> success, MessageFailure failed) {
    ns::Dictionary p;
    HTTP::setObjectForField(p, share()->appID(), "z");
    HTTP::setObjectForField(p, share()->userName(), "b");
    query(VXEndpoints::GetTTB, p, "z", "c", std::move(success), std::move(failed));
}

void GetMyDiscountMoneyWithsuccess(Success<GetMyDiscountResult> success, MessageFailure failed) {
    ns::Dictionary p;
    HTTP::setObjectForField(p, share()->appID(), "z");
    HTTP::setObjectForField(p, share()->userName(), "b");
    HTTP::setObjectForField(p, share()->gameID(), "c");
    query(VXEndpoints::GetDJQ, p, "z", "c", std::move(success), std::move(failed));
}

void GetServiceQQAndPhonesuccess(Success<HelpQQAndTel> success, MessageFailure failed) {
    ns::Dictionary p;
    HTTP::setObjectForField(p, share()->appID(), "z");
    query(VXEndpoints::GetKefu, p, "code", "msg", std::move(success), std::move(failed));
}

void payRecordsWithStatus(const Text& status, const Text& page, Success<OrderRecords> success, MessageFailure failed) {
    ns::Dictionary p;
    HTTP::setObjectForField(p, share()->userName(), "z");
    HTTP::setObjectForField(p, share()->appID(), "b");
    HTTP::setObjectForField(p, status, "c");
    HTTP::setObjectForField(p, page, "d");
    query(VXEndpoints::PayRecords, p, "code", "msg", std::move(success), std::move(failed));
}

void GetPayWayssuccess(std::function<void(const ns::Value& d)> success, MessageFailure failed) {
    ns::Dictionary p;
    HTTP::setObjectForField(p, share()->appID(), "z");
    HTTP::setObjectForField(p, share()->gameID(), "b");
    HTTP::setObjectForField(p, deviceId(), "h");
    HTTP::setObjectForField(p, "ios", "os");
    scrambled(
        VXEndpoints::PayWayIos, p,
        [success, failed](const ns::Value& reply) {
            if (!querySucceeded(reply["code"])) {
                if (failed) failed(reply["msg"]);
                return;
            }
            if (const ns::Array* data = reply["data"].arrayPtr())
                for (const auto& entry : *data)
                    if (entry["z"].integerValue() == 2) {
                        if (success) success(entry["d"]);
                        return;
                    }
        },
        failWith(failed, kNoConnection));
}

void getGiffCodeForInfoid(const Text&, std::function<void(const ns::Value&)>, MessageFailure) {}
void GetGamePresentHtmlsuccess(std::function<void(const ns::Value&)>, MessageFailure) {}

} // namespace VXPayAPI
