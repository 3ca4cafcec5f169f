#pragma once
// The payment-wallet SDK, as far as the platform SDK uses it: hands a signed order to the wallet
// app by URL and turns the wallet's return URL into a result dictionary. The URL formats are in
// docs/wallet.md.

#include "os/foundation/Object.h"
#include "os/foundation/URL.h"
#include "os/foundation/Value.h"

#include <functional>
#include <mutex>
#include <string>

class WalletSDK : public ns::Object {
public:
    // Gets the result dictionary: "resultStatus", "memo" and "result", each present when the wallet sent it.
    using CompletionBlock = std::function<void(const ns::Dictionary& resultDic)>;

    // The scheme the wallet app is reached by.
    static constexpr const char* WalletAppScheme = "vxwallet";

    static ns::Ref<WalletSDK> defaultService();

    // Opens "vxwallet://walletclient/?<payload>" with the order and the app's return scheme. The payment
    // stays pending (pay type "pay") with its callback until a result URL comes back, replacing any
    // earlier one; false, and nothing pending, when the wallet app cannot be opened.
    bool payOrder(const std::string& orderStr, const std::string& schemeStr, CompletionBlock completionBlock);
    // The same for a payment page address (pay type "urlpay").
    bool payUrlOrder(const std::string& orderURL, const std::string& schemeStr, CompletionBlock completionBlock);

    // Handles a URL the wallet app sent back. Only while a payment is pending, and only for host
    // "safepay": decodes the result and delivers it to one callback — the standby callback when one is
    // given, except that a pending URL payment with a callback of its own keeps it. True when a result
    // was delivered (the payment is then no longer pending).
    bool processOrderWithPaymentResult(const ns::Ref<ns::URL>& resultUrl, CompletionBlock standbyCallback);

    // The pending payment's pay type ("pay", "urlpay"), "" when none is pending.
    std::string pendingPayType() const;

    WalletSDK() = default; // use defaultService()

private:
    bool start(const char* payType, const ns::Dictionary& payload, CompletionBlock completionBlock);

    mutable std::mutex mutex_;
    std::string payType_;
    CompletionBlock callback_;
};
