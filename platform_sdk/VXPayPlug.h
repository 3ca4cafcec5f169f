#pragma once
// The bridge between the payment screens and the wallet: hands a signed order to the wallet SDK and
// turns the wallet's result dictionary into (pay way, status text, error) for the latest block.

#include "os/foundation/Error.h"
#include "os/foundation/Object.h"
#include "os/foundation/Value.h"
#include "platform_sdk/VXBaseResponse.h"

#include <functional>

class VXPayPlug : public ns::Object {
public:
    // (pay way, "充值成功" | "取消充值" | "充值失败", nil on success)
    using Block = std::function<void(unsigned long payWay, const std::string& status, const ns::Ref<ns::Error>& error)>;

    static ns::Ref<VXPayPlug> sharedInstance();

    // 0 = wallet; no other value pays.
    unsigned long payWay() const { return payWay_; }
    void setPayWay(unsigned long payWay) { payWay_ = payWay; }
    const ns::Ref<WalletInfo>& walletInfo() const { return walletInfo_; }
    void setWalletInfo(ns::Ref<WalletInfo> info) { walletInfo_ = std::move(info); }
    const Block& block() const { return block_; }

    // Stores the block (replacing any earlier one); with pay way 0 hands signStr to the wallet with
    // the return scheme "VorlixWalletScheme<game id>".
    void doPay(Block block);

    // The last wallet result dictionary ("resultStatus", "memo", "result"). Setting it delivers the
    // result to the block: "9000" success, "6001" cancelled, anything else (or none) failed.
    const ns::Value& walletResultDic() const { return walletResultDic_; }
    void setWalletResultDic(const ns::Value& result);

    VXPayPlug() = default; // use sharedInstance()

private:
    unsigned long payWay_ = 0;
    ns::Ref<WalletInfo> walletInfo_;
    Block block_;
    ns::Value walletResultDic_;
};
