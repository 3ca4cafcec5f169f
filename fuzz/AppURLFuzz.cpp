// URLs opened into the app from outside: the quick-login and wallet-return handlers and the wallet
// result decoding, with a wallet payment pending. No crash; a result reaches exactly one callback and
// holds texts only; a quick login takes its name and password from the URL's host.
// The first byte picks a prefix put in front of the rest (0: the bytes as they are).

#include "tests/support/ProcessScratch.h"
#include "os/foundation/Bundle.h"
#include "os/foundation/Log.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Sandbox.h"
#include "os/uikit/Application.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXPayPlug.h"
#include "platform_sdk/VorlixSDK.h"
#include "wallet/WalletSDK.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kPrefixes = {
    "VorlixWalletScheme1001://safepay/?",
    "VorlixWalletScheme1001://",
    "VorlixWalletScheme1001://VOR_QUICK&",
};

void setUp() {
    static const bool done = [] {
        ns::RunLoop::main();
        const std::string root = vx::test::processScratchFolder();
        std::string bundle = root + "/App.app";
        std::filesystem::create_directories(bundle);
        ns::setSandboxRoot(root + "/home");
        ns::PropertyList::write(ns::Dictionary{{"VORLIX_APPID", "a"}, {"VORLIX_GAMEID", "1001"}, {"VORLIX_AGENT", "c"}},
                                ns::PropertyList::Format::XML)
            ->writeToFile(bundle + "/VX.plist", true);
        ns::Bundle::setMainBundlePath(bundle);
        ns::Log::setSink([](const std::string&) {});
        ui::Application::shared().setInstalledSchemes({WalletSDK::WalletAppScheme});
        return true;
    }();
    (void)done;
}

bool textsOnly(const ns::Dictionary& result) {
    for (const auto& [key, value] : result)
        if (!value.isString()) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    setUp();
    std::string text;
    const size_t choice = data[0] % (kPrefixes.size() + 1);
    if (choice > 0) text = kPrefixes[choice - 1];
    text.append(reinterpret_cast<const char*>(data + 1), size - 1);
    auto url = ns::URL::fromString(text);
    if (!url) return 0;

    // Through the app's entry, with a payment pending.
    auto wallet = WalletSDK::defaultService();
    auto share = ShareVale::sharedInstance();
    share->setUserName(std::string("before"));
    VXPayPlug::sharedInstance()->setWalletResultDic(ns::Value());
    int own = 0;
    if (!wallet->payOrder("order", "VorlixWalletScheme1001", [&](const ns::Dictionary&) { ++own; })) std::abort();
    VorlixSDK::application(ui::Application::shared(), url, ns::Dictionary{});
    ns::Value delivered = VXPayPlug::sharedInstance()->walletResultDic();
    if (own != 0) std::abort(); // the entry's own callback takes a "pay" result
    if (!delivered.isNil() && (!delivered.dictionaryPtr() || !textsOnly(*delivered.dictionaryPtr()))) std::abort();
    if (auto name = share->userName(); name && *name != "before") {
        if (url->host().value_or("").find(*name) == std::string::npos) std::abort();
    }

    // The wallet on its own: one callback exactly when it says it delivered.
    int calls = 0;
    bool ok = true;
    wallet->payUrlOrder("https://pay.example/order", "VorlixWalletScheme1001", [&](const ns::Dictionary& result) {
        ++calls;
        ok = textsOnly(result);
    });
    const bool handled = wallet->processOrderWithPaymentResult(url, nullptr);
    if (handled != (calls == 1) || calls > 1 || !ok) std::abort();
    return 0;
}
