#include "platform_sdk/VXPayPlug.h"

#include "os/foundation/Format.h"
#include "os/foundation/Log.h"
#include "os/foundation/ResetRegistry.h"
#include "platform_sdk/ShareVale.h"
#include "wallet/WalletSDK.h"

namespace {

ns::Ref<VXPayPlug>& slot() {
    static ns::Ref<VXPayPlug> shared;
    return shared;
}

} // namespace

ns::Ref<VXPayPlug> VXPayPlug::sharedInstance() {
    // Made once per process; tests drop it through the reset registry.
    static const bool registered = [] {
        ns::ResetRegistry::add("VXPayPlug", [] { slot() = nullptr; });
        return true;
    }();
    (void)registered;
    if (!slot()) slot() = std::make_shared<VXPayPlug>();
    return slot();
}

void VXPayPlug::doPay(Block block) {
    block_ = std::move(block);
    if (payWay_ != 0) return;
    auto gameID = ShareVale::sharedInstance()->gameID();
    if (!gameID) {
        // "VorlixWalletScheme(null)" is no scheme the wallet could answer to.
        ns::log("VXPayPlug: no game id, no wallet return scheme");
        return;
    }
    std::string signStr = walletInfo_ ? walletInfo_->signStr.stringValue().value_or("") : std::string();
    WalletSDK::defaultService()->payOrder(signStr, ns::format("VorlixWalletScheme%@", gameID),
                                          [](const ns::Dictionary& result) { ns::log("回调 = %@", ns::Value(result)); });
}

void VXPayPlug::setWalletResultDic(const ns::Value& result) {
    walletResultDic_ = result;
    if (!block_) return;
    Block block = block_; // the block may start another payment
    // A number counts like its text.
    const ns::Value& statusValue = result["resultStatus"];
    std::string status = statusValue.isNil() ? std::string() : statusValue.description();
    if (status == "9000") {
        block(payWay_, "充值成功", nullptr);
        return;
    }
    ns::Dictionary info;
    info.set("ErrorInfo", result["memo"]); // a missing memo leaves the key out
    long code = static_cast<long>(statusValue.integerValue());
    if (status == "6001") {
        block(payWay_, "取消充值", std::make_shared<ns::Error>("支付失败,用户取消支付", code, info));
        return;
    }
    block(payWay_, "充值失败", std::make_shared<ns::Error>("支付失败", code, info));
}
