#pragma once
// What the demo's tours share: the step list, waiting on the main run loop, and where they play.
#include "os/foundation/Value.h"

#include <memory>
#include <string>

namespace server {
class PlatformServer;
}
namespace ui {
class Window;
}

namespace demo {

constexpr double StepTimeout = 15;

struct Context {
    server::PlatformServer* local; // the in-process stand-in, or null when another server was given
    std::string apiHost;
    std::string screens;           // absolute folder for screenshots
};

// Prints one numbered line of the step list; a failed step makes the demo exit non-zero.
void step(const std::string& name, bool ok, const std::string& result);
int failures();
// Pumps the main run loop until the flag is set or the step time-out passes.
bool wait(const std::shared_ptr<bool>& done);
std::string text(const ns::Value& v);
// The game's own full-screen window, made key and visible on first use (at launch).
ns::Ref<ui::Window> gameWindow();
// Sends the system's own log lines (ns::log) to the file instead of the terminal.
bool logToFile(const std::string& path);
// The whole screen as the player sees it: every shown window, back to front, at the screen's scale.
bool captureScreen(const std::string& path);

// The roads a player walks through the screens, in this order.
void playLoginTour(Context& context);
void playPayTour(Context& context);
void playUserCentreTour(Context& context);

} // namespace demo
