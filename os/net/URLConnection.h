#pragma once
// NSURLConnection: one load whose delegate callbacks run on the run loop it is scheduled on
// (the image kit's one network thread), one at a time, in order: response, data chunks as they
// arrive, then finish or failure. File URLs are read from disk in chunks.

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/foundation/RunLoop.h"
#include "os/net/URLAuthenticationChallenge.h"
#include "os/net/URLCache.h"
#include "os/net/URLRequest.h"
#include "os/net/URLResponse.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ns {

class URLConnection;
namespace detail { class Load; class ConnectionClient; class ConnectionSender; }

// Optional hooks: a delegate overrides the ones it implements; the defaults behave as if the
// delegate did not implement them.
class URLConnectionDelegate {
public:
    virtual ~URLConnectionDelegate() = default;
    virtual void didReceiveResponse(const Ref<URLConnection>& /*connection*/, const Ref<URLResponse>& /*response*/) {}
    virtual void didReceiveData(const Ref<URLConnection>& /*connection*/, const DataRef& /*data*/) {}
    virtual void didFinishLoading(const Ref<URLConnection>& /*connection*/) {}
    virtual void didFailWithError(const Ref<URLConnection>& /*connection*/, const Ref<Error>& /*error*/) {}
    // Asked before an https load (server trust) and on an HTTP 401 (Basic, Digest); the answer
    // goes to challenge->sender(), now or later, from any thread. Default: default handling.
    virtual void willSendRequestForAuthenticationChallenge(const Ref<URLConnection>& connection,
                                                           const Ref<URLAuthenticationChallenge>& challenge);
    // Asked before finishing for a cacheable response (GET, 2xx, small); what it returns goes into
    // the shared URL cache. Default: the proposed response.
    virtual Ref<CachedURLResponse> willCacheResponse(const Ref<URLConnection>& /*connection*/,
                                                     const Ref<CachedURLResponse>& cachedResponse) {
        return cachedResponse;
    }
    // Asked before an HTTP authentication challenge. The stand-in's credential storage is empty,
    // so the answer changes nothing.
    virtual bool shouldUseCredentialStorage(const Ref<URLConnection>& /*connection*/) { return true; }
};

class URLConnection : public Object {
public:
    // With startImmediately the load starts at once, scheduled on the calling thread's run loop;
    // otherwise call scheduleInRunLoop (optional) and start(). The connection keeps its delegate
    // until it finishes, fails or is cancelled, and keeps itself alive while loading.
    static Ref<URLConnection> create(const Ref<URLRequest>& request, std::shared_ptr<URLConnectionDelegate> delegate,
                                     bool startImmediately = true);

    // The run loop must outlive the load. Ignored once started.
    void scheduleInRunLoop(RunLoop& runLoop);
    void start();
    // From any thread. Once it returns no delegate callback starts; one already running on the
    // connection's thread is waited for (unless cancel() is called from inside it).
    void cancel();

    const Ref<URLRequest>& originalRequest() const { return request_; }
    const Ref<URLRequest>& currentRequest() const { return request_; }

    URLConnection(Ref<URLRequest> request, std::shared_ptr<URLConnectionDelegate> delegate);
    ~URLConnection() override;

private:
    friend class detail::ConnectionClient;
    friend class detail::ConnectionSender;

    void beginLoad(bool verifyPeer, Ref<URLCredential> credential, bool digest);
    void askServerTrust();
    void askHTTPAuthentication(const Ref<HTTPURLResponse>& response, std::vector<DataRef> body);
    void perform(std::function<void()> work);
    void drainInbox();
    // Runs `call` with the delegate unless the connection is over; `terminal` ends it.
    template <class F> void withDelegate(bool terminal, F&& call);

    void deliverResponse(const Ref<URLResponse>& response);
    void deliverData(const DataRef& data);
    void deliverFinish();
    void deliverFail(const Ref<Error>& error);

    const Ref<URLRequest> request_;
    RunLoop* runLoop_ = nullptr;
    std::recursive_mutex mutex_; // held while a callback runs
    std::shared_ptr<URLConnectionDelegate> delegate_;
    std::shared_ptr<detail::Load> load_;
    bool started_ = false;
    bool over_ = false; // finished, failed or cancelled
    long authFailures_ = 0;
    // Body kept for the cache question, while the response is cacheable and small.
    MutableDataRef cacheData_;
    Ref<URLResponse> response_;
    std::mutex inboxMutex_;
    std::vector<std::function<void()>> inbox_;
};

} // namespace ns
