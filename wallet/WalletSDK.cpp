#include "wallet/WalletSDK.h"

#include "os/foundation/Format.h"
#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Log.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Strings.h"
#include "os/uikit/Application.h"

namespace {

ns::Ref<WalletSDK>& slot() {
    static ns::Ref<WalletSDK> shared;
    return shared;
}

// Everything but the unreserved characters is escaped, so the JSON text survives as one query.
std::string escapeQuery(const std::string& text) {
    static const ns::CharacterSet unreserved =
        ns::CharacterSet::characters("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~");
    return ns::str::addingPercentEncoding(text, unreserved);
}

// The result dictionary from the return URL's query: a JSON object whose "resultStatus", "memo" and
// "result" are kept as text. Nil when the query is not such an object.
std::optional<ns::Dictionary> decodeResult(const ns::URL& url) {
    auto query = url.percentDecodedQuery();
    if (!query || query->empty()) return std::nullopt;
    ns::Value object = ns::JSONSerialization::parse(ns::Data::fromString(*query));
    const ns::Dictionary* fields = object.dictionaryPtr();
    if (!fields) return std::nullopt;
    ns::Dictionary result;
    for (const char* key : {"resultStatus", "memo", "result"}) {
        if (auto text = (*fields)[key].stringValue()) result.set(key, *text);
    }
    return result;
}

} // namespace

ns::Ref<WalletSDK> WalletSDK::defaultService() {
    static const bool registered = [] {
        ns::ResetRegistry::add("WalletSDK", [] { slot() = nullptr; });
        return true;
    }();
    (void)registered;
    if (!slot()) slot() = std::make_shared<WalletSDK>();
    return slot();
}

bool WalletSDK::payOrder(const std::string& orderStr, const std::string& schemeStr, CompletionBlock completionBlock) {
    return start("pay", ns::Dictionary{{"type", "pay"}, {"order", orderStr}, {"returnScheme", schemeStr}},
                 std::move(completionBlock));
}

bool WalletSDK::payUrlOrder(const std::string& orderURL, const std::string& schemeStr, CompletionBlock completionBlock) {
    return start("urlpay", ns::Dictionary{{"type", "urlpay"}, {"url", orderURL}, {"returnScheme", schemeStr}},
                 std::move(completionBlock));
}

bool WalletSDK::start(const char* payType, const ns::Dictionary& payload, CompletionBlock completionBlock) {
    auto json = ns::JSONSerialization::write(payload);
    auto url = json ? ns::URL::fromString(ns::format("%@://walletclient/?%@", WalletAppScheme,
                                                     escapeQuery(json->toString())))
                    : nullptr;
    bool opened = url && ui::Application::shared().openURL(url);
    if (!opened) ns::log("wallet app not available: %@", url);
    // A new payment replaces a pending one, also when it cannot start.
    std::lock_guard lock(mutex_);
    payType_ = opened ? payType : "";
    callback_ = opened ? std::move(completionBlock) : nullptr;
    return opened;
}

bool WalletSDK::processOrderWithPaymentResult(const ns::Ref<ns::URL>& resultUrl, CompletionBlock standbyCallback) {
    CompletionBlock deliver;
    ns::Dictionary result;
    {
        std::lock_guard lock(mutex_);
        if (payType_ != "pay" && payType_ != "urlpay") return false;
        if (!resultUrl || resultUrl->host() != std::optional<std::string>("safepay")) return false;
        auto decoded = decodeResult(*resultUrl);
        if (!decoded) return false;
        result = std::move(*decoded);
        bool urlPayKeepsItsOwn = payType_ == "urlpay" && callback_;
        deliver = standbyCallback && !urlPayKeepsItsOwn ? std::move(standbyCallback) : std::move(callback_);
        payType_.clear();
        callback_ = nullptr;
    }
    if (deliver) deliver(result);
    return true;
}

std::string WalletSDK::pendingPayType() const {
    std::lock_guard lock(mutex_);
    return payType_;
}
