#pragma once
// Internal to os/net: the one network thread of the process, driving one curl multi handle with
// curl_multi_poll and woken by curl_multi_wakeup. It also owns the curl share handle that holds
// the cookies of every session and connection. Every curl handle is touched on this thread only.

#include "os/foundation/RunLoop.h"
#include "os/net/Loader.h"

#include <curl/curl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ns::detail {

class CurlEngine {
public:
    static CurlEngine& shared();

    // Thread-safe: queues `job` on the network thread.
    void post(std::function<void()> job);
    // Runs `job` on the network thread and waits for it (inline when already there).
    void runSync(const std::function<void()>& job);
    bool isNetworkThread() const;
    // Performs `work` on a run loop. From the network thread the work of one turn of its loop
    // goes out together, in order, waking the run loop once.
    void performOn(RunLoop& loop, std::function<void()> work);

    // Starts an HTTP(S) transfer; its events reach `client` on the network thread.
    std::shared_ptr<Load> start(LoadRequest request, std::shared_ptr<LoadClient> client);

    // The cookie jar; network thread only.
    CURLSH* share() const;
    // The cookies of the jar in curl's Netscape lines; network thread only.
    std::vector<std::string> cookieLines() const;
    // Network-thread hooks of the cookie storage: `beforeUse` runs before a transfer that handles
    // cookies starts, `changed` after a transfer that received "Set-Cookie".
    void setCookieHooks(std::function<void()> beforeUse, std::function<void()> changed);

    struct State;

private:
    CurlEngine();
    std::shared_ptr<State> s_;
};

} // namespace ns::detail
