#pragma once
// The application: its delegate, windows (back to front) and key window, its state with the
// platform's notifications, opening URLs against a settable set of installed schemes, background
// tasks and the network activity indicator. One per process; reset() (a registered reset hook)
// drops windows, delegate and records without calling anyone.

#include "os/foundation/Object.h"
#include "os/foundation/URL.h"
#include "os/foundation/Value.h"
#include "os/uikit/Orientation.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ui {

class Window;

inline const std::string ApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline const std::string ApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline const std::string ApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline const std::string ApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
inline const std::string ApplicationDidReceiveMemoryWarningNotification =
    "UIApplicationDidReceiveMemoryWarningNotification";
inline const std::string ApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";

// Keys of the open-URL options.
inline const std::string ApplicationOpenURLOptionsSourceApplicationKey = "UIApplicationOpenURLOptionsSourceApplicationKey";
inline const std::string ApplicationOpenURLOptionsAnnotationKey = "UIApplicationOpenURLOptionsAnnotationKey";

enum class ApplicationState : int { Active = 0, Inactive = 1, Background = 2 };

using BackgroundTaskIdentifier = unsigned long;
inline constexpr BackgroundTaskIdentifier BackgroundTaskInvalid = 0;

// The application's delegate. The open-URL entry points answer nullopt when not implemented:
// the application then tries the older one (options, then source application, then handleOpenURL).
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual bool didFinishLaunching(const ns::Dictionary& /*options*/) { return true; }
    virtual std::optional<bool> handleOpenURL(const ns::Ref<ns::URL>& /*url*/) { return std::nullopt; }
    virtual std::optional<bool> openURL(const ns::Ref<ns::URL>& /*url*/, const std::optional<std::string>& /*sourceApplication*/,
                                        const ns::Value& /*annotation*/) {
        return std::nullopt;
    }
    virtual std::optional<bool> openURL(const ns::Ref<ns::URL>& /*url*/, const ns::Dictionary& /*options*/) {
        return std::nullopt;
    }
    // nullopt: the Info.plist's "UISupportedInterfaceOrientations" decide.
    virtual std::optional<unsigned> supportedInterfaceOrientations(const ns::Ref<Window>& /*window*/) {
        return std::nullopt;
    }
    virtual void didBecomeActive() {}
    virtual void willResignActive() {}
    virtual void didEnterBackground() {}
    virtual void willEnterForeground() {}
    virtual void didReceiveMemoryWarning() {}
};

class Application {
public:
    static Application& shared();

    // --- Delegate (kept strongly, as the process's main keeps it) ---
    std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_; }
    void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) { delegate_ = std::move(delegate); }

    // --- Windows ---
    // Live windows ordered by level, then by the order they were last shown (back to front).
    std::vector<ns::Ref<Window>> windows() const;
    ns::Ref<Window> keyWindow() const;

    // --- State ---
    ApplicationState applicationState() const { return state_; }
    // Each runs the delegate's method, then posts the notification; moving between active and
    // background passes through inactive (resign then background; foreground then active).
    void becomeActive();
    void resignActive();
    void enterBackground();
    void receiveMemoryWarning();

    // --- Other apps ---
    // A URL can be opened when its scheme (case-insensitive) is installed.
    bool canOpenURL(const ns::Ref<ns::URL>& url) const;
    // Records the URL when it can be opened; a null URL does nothing.
    bool openURL(const ns::Ref<ns::URL>& url);
    // The completion gets the result on the next main-queue turn.
    void openURL(const ns::Ref<ns::URL>& url, const ns::Dictionary& options, std::function<void(bool)> completion);
    void setInstalledSchemes(std::set<std::string> schemes); // default: "http", "https"
    const std::vector<ns::Ref<ns::URL>>& openedURLs() const { return opened_; }
    // A URL coming from another app, through the newest entry point the delegate implements.
    bool deliverOpenURL(const ns::Ref<ns::URL>& url, const std::optional<std::string>& sourceApplication = std::nullopt,
                        const ns::Value& annotation = {});

    // The mask the window may take: the delegate's answer, else the Info.plist's list, else all
    // but upside down.
    unsigned supportedInterfaceOrientationsForWindow(const ns::Ref<Window>& window) const;

    // --- Background tasks ---
    BackgroundTaskIdentifier beginBackgroundTask(std::function<void()> expirationHandler = {});
    void endBackgroundTask(BackgroundTaskIdentifier identifier);
    size_t backgroundTaskCount() const { return tasks_.size(); }
    // Runs the expiration handlers of the running tasks (the system's time is up).
    void expireBackgroundTasks();

    bool isNetworkActivityIndicatorVisible() const { return networkActivity_; }
    void setNetworkActivityIndicatorVisible(bool visible) { networkActivity_ = visible; }

    void reset();

    // --- Used by windows ---
    void addWindow(const ns::Ref<Window>& window);
    void windowVisibilityChanged(const ns::Ref<Window>& window);
    void setKeyWindow(const ns::Ref<Window>& window);
    // Moves key status from the window (when it has it) to the frontmost other shown window, or to none.
    void passKeyFrom(const ns::Ref<Window>& window);

private:
    Application();
    void changeState(ApplicationState to);

    struct WindowEntry {
        ns::Weak<Window> weak;
        ns::Ref<Window> strong; // while shown
        unsigned long order = 0;
    };
    std::shared_ptr<ApplicationDelegate> delegate_;
    std::vector<WindowEntry> windows_;
    unsigned long nextOrder_ = 1;
    ns::Weak<Window> key_;
    ApplicationState state_ = ApplicationState::Active;
    std::set<std::string> schemes_;
    std::vector<ns::Ref<ns::URL>> opened_;
    struct Task {
        BackgroundTaskIdentifier id;
        std::function<void()> expiration;
    };
    std::vector<Task> tasks_;
    BackgroundTaskIdentifier nextTask_ = 1;
    bool networkActivity_ = false;
};

} // namespace ui
