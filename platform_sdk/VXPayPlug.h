#pragma once
// The bridge between the payment centre and the wallet: carries the wallet's last result.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

class VXPayPlug : public ns::Object {
public:
    static ns::Ref<VXPayPlug> sharedInstance();

    // The last wallet result dictionary ("resultStatus", "memo", "result").
    const ns::Value& walletResultDic() const { return walletResultDic_; }
    void setWalletResultDic(const ns::Value& result) { walletResultDic_ = result; }

    VXPayPlug() = default; // use sharedInstance()

private:
    ns::Value walletResultDic_;
};
