#pragma once
// A player for a game's own tests and tours: walks the SDK's screens by touch (ui::driver), as a
// person would. The login window: the account-and-password panel, the real-name form when the
// server asks for it, the notice, the sub-account picker. The floating button: a tap opens the
// user centre. The payment centre: pay with platform coins.
//
// Time: each step moves the clock with ui::driver::advance (on the manual clock that takes no real
// time) and waits for the server by pumping the main run loop, at most `networkWait` real seconds
// for one reply. Call it on the main thread. A step that cannot be taken answers false and says
// why in failure(); it never throws.

#include "os/foundation/Object.h"

#include <functional>
#include <string>

class VXLoginVC;
class VXNoticeVC;

namespace vx {

class TestPlayer {
public:
    // What the login's later steps are answered with.
    struct Identity {
        std::string realName = "张三";
        std::string idNumber = "110101199001011234"; // an adult's
        // The sub-account to pick; added when the account has none of that name.
        std::string subAccount = "勇者";
    };

    TestPlayer();
    explicit TestPlayer(Identity identity, double networkWait = 20);

    // With the login window open (VorlixSDK::loadLoginViewResultSuccess), logs in on the
    // account-and-password panel and walks every later step until the window has gone.
    bool logIn(const std::string& account, const std::string& password);

    // The same road in steps, for a test that looks at a screen in between. Each answers true
    // when its screen was passed (or was not asked for), false when it could not be.
    bool enterPassword(const std::string& account, const std::string& password); // until the server answered
    bool passRealName();   // fills and submits the real-name form when it is shown
    bool passNotice();     // closes the notice when it is shown
    bool pickSubAccount(); // picks (or adds) identity.subAccount; the window then closes
    // On the sub-account picker: the add button, the nickname typed into its alert and
    // confirmed. True once the picker lists one row more.
    bool addSubAccount(const std::string& nickname);

    // Whether the login window is open.
    static bool loginWindowShown();
    // The notice shown over the login window's screen, if any.
    static ns::Ref<VXNoticeVC> noticeOn(const ns::Ref<VXLoginVC>& login);

    // Taps the floating button; true once the user centre shows.
    bool openUserCentre();
    // On the user centre's first tab: the back button (the centre closes, the floating button
    // comes back), or the logout button at the end of the page (the game's login failure block
    // gets -9 and the centre closes).
    bool closeUserCentre();
    bool logOutFromUserCentre();
    // In the open payment centre: the platform-coin way, then the pay button. True once the
    // payment went through and the centre closed; false, with the centre still open, when the
    // server refused it (the game's failure block has the reason).
    bool payWithPlatformCoins();

    const std::string& failure() const { return failure_; }

private:
    bool fail(const std::string& why);
    bool attempt(const std::function<bool()>& step);
    Identity identity_;
    double networkWait_;
    std::string failure_;
};

} // namespace vx
