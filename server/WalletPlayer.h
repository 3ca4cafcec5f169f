#pragma once
// The wallet app, played: the wallet is not on this machine, so tests and the demo read the
// hand-off URL the wallet SDK opened (ui::Application's recorded openURL), settle the order at the
// stand-in server when the player "pays", and hand the return URL back to the app through its
// delegate's open-URL entry. The URL formats are those of docs/wallet.md.

#include "os/foundation/Value.h"
#include "server/PlatformServer.h"

#include <optional>
#include <string>

namespace vx::server {

struct WalletHandOff {
    std::string url;          // as opened
    ns::Value payload;        // the decoded JSON: type, order, returnScheme
    std::string order;        // the signed order text
    std::string returnScheme; // "VorlixWalletScheme<game id>"
};

// The last wallet hand-off the app opened, if any.
std::optional<WalletHandOff> lastWalletHandOff();

// "<scheme>://safepay/?<percent-encoded {"resultStatus", "memo", "result"}>".
std::string walletReturnURL(const std::string& returnScheme, const std::string& resultStatus, const std::string& memo);

// Answers the last hand-off with the status ("9000" pays: the server settles the order first) and
// delivers the return URL into the app. The URL delivered, or "" when there was no hand-off.
std::string answerWallet(PlatformServer& server, const std::string& resultStatus);

} // namespace vx::server
