#include "server/WalletPlayer.h"

#include "os/foundation/JSONSerialization.h"
#include "os/foundation/URL.h"
#include "os/uikit/Application.h"
#include "server/PayArea.h"
#include "wallet/WalletSDK.h"

#include <cctype>

namespace vx::server {

namespace {

std::string percentEncode(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

std::optional<WalletHandOff> lastWalletHandOff() {
    const auto& opened = ui::Application::shared().openedURLs();
    for (auto it = opened.rbegin(); it != opened.rend(); ++it) {
        const auto& url = *it;
        if (!url || url->scheme() != WalletSDK::WalletAppScheme) continue;
        auto query = url->percentDecodedQuery();
        if (!query) continue;
        WalletHandOff handOff;
        handOff.url = url->absoluteString();
        handOff.payload = ns::JSONSerialization::parse(ns::Data::fromString(*query));
        handOff.order = text(handOff.payload["order"]);
        handOff.returnScheme = text(handOff.payload["returnScheme"]);
        return handOff;
    }
    return std::nullopt;
}

std::string walletReturnURL(const std::string& returnScheme, const std::string& resultStatus, const std::string& memo) {
    ns::Dictionary result{{"resultStatus", resultStatus}, {"memo", memo}, {"result", resultStatus == "9000" ? "success" : ""}};
    auto json = ns::JSONSerialization::write(result);
    return returnScheme + "://safepay/?" + percentEncode(json ? json->toString() : "{}");
}

std::string answerWallet(PlatformServer& server, const std::string& resultStatus) {
    auto handOff = lastWalletHandOff();
    if (!handOff) return {};
    if (resultStatus == "9000")
        server.withState([&](PlatformServer::State& s) {
            auto& pay = payArea(s);
            if (auto* order = pay.orderBySign(handOff->order)) pay.settle(order->id);
        });
    const char* memo = resultStatus == "9000" ? "" : resultStatus == "6001" ? "用户中途取消" : "支付失败";
    std::string url = walletReturnURL(handOff->returnScheme, resultStatus, memo);
    ui::Application::shared().deliverOpenURL(ns::URL::fromString(url), std::string("com.vorlix.wallet"));
    return url;
}

} // namespace vx::server
