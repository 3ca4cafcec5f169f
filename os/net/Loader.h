#pragma once
// Internal to os/net: one load of a request by the backend that serves its URL (a registered
// protocol handler, the file system, or curl). A load's events reach its client on the loading
// thread, in order; the client moves them onto its own queue or run loop.

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/foundation/URL.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace ns {

class URLRequest;
class URLResponse;
class CachedURLResponse;

namespace detail {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct LoadRequest {
    Ref<URL> url;
    std::string method = "GET";
    HeaderList headers; // final, defaults merged in
    DataRef body;
    double timeout = 60; // idle seconds
    bool handleCookies = true;
    bool verifyPeer = true;
    std::string user, password; // HTTP authentication, when user is not empty
    bool digest = false;        // the server asked for Digest rather than Basic
    Ref<URLRequest> request;    // the request as given, for protocol handlers
};

class LoadClient {
public:
    virtual ~LoadClient() = default;
    virtual void loadDidReceiveResponse(const Ref<URLResponse>& response) = 0;
    virtual void loadDidReceiveData(const DataRef& data) = 0;
    virtual void loadDidSendBodyData(int64_t /*totalSent*/, int64_t /*totalExpected*/) {}
    virtual void loadDidFinish() = 0;
    virtual void loadDidFail(const Ref<Error>& error) = 0;
};

// A running load. Events go out under the load's lock, so once cancel() returns the client
// hears nothing more; a finished or failed load ignores everything after.
class Load : public std::enable_shared_from_this<Load> {
public:
    explicit Load(std::shared_ptr<LoadClient> client);
    virtual ~Load();

    void cancel();
    bool isDone() const;

    void emitResponse(const Ref<URLResponse>& response);
    void emitData(const DataRef& data);
    void emitSent(int64_t totalSent, int64_t totalExpected);
    void emitFinish();
    void emitFail(const Ref<Error>& error);

protected:
    // Stops the backend's work; called once, outside the lock.
    virtual void stop() {}

private:
    template <class F> void emit(bool terminal, F&& f);
    // Leaves the count of loads in progress (mutex held, client still set).
    void ended();
    mutable std::mutex mutex_;
    std::shared_ptr<LoadClient> client_;
};

// Loads made and neither finished, failed nor cancelled, process-wide.
size_t loadsInProgress();

// Picks the backend and starts; the load has begun (or already failed) when this returns.
std::shared_ptr<Load> startLoad(LoadRequest request, std::shared_ptr<LoadClient> client);

// An NSURLErrorDomain error with a description and the failing URL.
Ref<Error> urlError(long code, const Ref<URL>& url);

// Whether a finished load may enter a URL cache: a GET answered 2xx over HTTP without "no-store".
bool isCacheable(const URLRequest& request, const Ref<URLResponse>& response);

} // namespace detail
} // namespace ns
