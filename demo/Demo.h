#pragma once
// What the demo's tours share: the step list, waiting on the main run loop, and where they play.
#include "os/foundation/Value.h"
#include "platform_sdk/testing/TestPlayer.h"

#include <functional>
#include <memory>
#include <string>

namespace vx::server {
class PlatformServer;
}
namespace ui {
class Window;
}

namespace demo {

constexpr double StepTimeout = 15;

struct Context {
    vx::server::PlatformServer* local; // the in-process stand-in, or null when another server was given
    std::string apiHost;
    std::string screens;           // absolute folder for screenshots
};

// Prints one numbered line of the step list; a failed step makes the demo exit non-zero. A wait
// that ran out since the last step fails this one, with what it waited for.
void step(const std::string& name, bool ok, const std::string& result);
int failures();
// The whole demo runs on the manual clock from a fixed origin and wall date, so every run shows
// the same times; only driver::advance moves it. Network replies stay real: waiting for them
// pumps the main run loop and leaves the clock where it is.
void startClock(vx::server::PlatformServer* local);
// Pumps the main run loop (the clock stands still) until `done` holds. After StepTimeout real
// seconds it gives up, and the next step fails with "waited in vain for <what>".
bool until(const std::string& what, const std::function<bool()>& done);
// The same for a reply's flag.
bool wait(const std::string& what, const std::shared_ptr<bool>& done);
// Waits until nothing is on its way: no load in progress (but replies the stand-in server holds on
// purpose), no web image on its way, background queues idle, the main loop drained. driver::advance settles this way
// before, between and after the items that fall due, so a reply always lands at the same time.
void settle();
std::string text(const ns::Value& v);
// The game's own full-screen window, made key and visible on first use (at launch).
ns::Ref<ui::Window> gameWindow();
// Sends the system's own log lines (ns::log) to the file instead of the terminal.
bool logToFile(const std::string& path);
// The whole screen as the player sees it: every shown window, back to front, at the screen's scale.
bool captureScreen(const std::string& path);

// The game's login as the tours ask for it. Made, it opens the login window as a player who logged
// out meets it: the panels, no automatic login. The game's failure block prints the code and the
// message, then hands the code to `failed` when one is given.
class GameLogin {
public:
    explicit GameLogin(std::function<void(long code)> failed = {});
    // A player with `identity` logs in on the open window and walks it to its end; true once the
    // game's success block ran, else failure() says why.
    bool logIn(const std::string& account, const std::string& password, const vx::TestPlayer::Identity& identity);
    const std::string& failure() const { return failure_; }

private:
    std::shared_ptr<bool> done_ = std::make_shared<bool>(false);
    std::string failure_;
};

// The roads a player walks through the screens, in this order.
void playLoginTour(Context& context);
void playPayTour(Context& context);
void playUserCentreTour(Context& context);

} // namespace demo
