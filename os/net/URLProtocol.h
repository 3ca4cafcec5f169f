#pragma once
// The URL-protocol seam: a test registers a handler that answers matching requests itself, with
// exact responses, chunk boundaries, delays and errors, and no socket. Sessions and connections
// ask the registry before anything else.

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace ns {

class URLRequest;
class URLResponse;

namespace detail { class Load; }

// What a handler answers through. Thread-safe: it may be called at once or later from any thread.
// Calls after the load finished, failed or was cancelled are ignored.
class URLProtocolClient {
public:
    void didReceiveResponse(const Ref<URLResponse>& response);
    void didLoadData(const DataRef& data);
    void didFinishLoading();
    void didFailWithError(const Ref<Error>& error);
    // Whether the load is over (cancelled by its owner, or finished).
    bool isCancelled() const;

    explicit URLProtocolClient(std::shared_ptr<detail::Load> load) : load_(std::move(load)) {}

private:
    std::shared_ptr<detail::Load> load_;
};

class URLProtocolRegistry {
public:
    using Matcher = std::function<bool(const URLRequest& request)>;
    // Runs on the network thread when a matching load starts.
    using Responder = std::function<void(const Ref<URLRequest>& request, const std::shared_ptr<URLProtocolClient>& client)>;

    // The newest registration is asked first. Returns an id for unregisterHandler.
    static uint64_t registerHandler(Matcher matcher, Responder responder);
    static void unregisterHandler(uint64_t id);
    static void unregisterAll();

    // The responder of the newest handler that matches, or none.
    static Responder responderFor(const URLRequest& request);
};

} // namespace ns
