#pragma once
// NSURLSession: data tasks over the shared network thread, with completions and delegate calls
// on the session's delegate queue, one at a time and in order per session.

#include "os/foundation/OperationQueue.h"
#include "os/net/URLSessionConfiguration.h"
#include "os/net/URLSessionTask.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace ns {

class URLSession;

// Optional hooks: a delegate overrides the ones it implements.
class URLSessionDelegate {
public:
    virtual ~URLSessionDelegate() = default;
    virtual void didBecomeInvalidWithError(const Ref<URLSession>& /*session*/, const Ref<Error>& /*error*/) {}
    // Every task that sends a body.
    virtual void didSendBodyData(const Ref<URLSession>& /*session*/, const Ref<URLSessionTask>& /*task*/, int64_t /*bytesSent*/,
                                 int64_t /*totalBytesSent*/, int64_t /*totalBytesExpectedToSend*/) {}
    // Tasks created without a completion handler only.
    virtual void didReceiveResponse(const Ref<URLSession>& /*session*/, const Ref<URLSessionDataTask>& /*task*/,
                                    const Ref<URLResponse>& /*response*/) {}
    virtual void didReceiveData(const Ref<URLSession>& /*session*/, const Ref<URLSessionDataTask>& /*task*/, const DataRef& /*data*/) {}
    virtual void didCompleteWithError(const Ref<URLSession>& /*session*/, const Ref<URLSessionTask>& /*task*/, const Ref<Error>& /*error*/) {}
};

class URLSession : public Object {
public:
    // No delegate; completions on a serial queue of the session's own.
    static Ref<URLSession> sharedSession();
    static Ref<URLSession> sessionWithConfiguration(const Ref<URLSessionConfiguration>& configuration);
    // The session keeps the delegate until it is invalidated. A null queue: a serial queue of its own.
    static Ref<URLSession> sessionWithConfiguration(const Ref<URLSessionConfiguration>& configuration,
                                                    std::shared_ptr<URLSessionDelegate> delegate,
                                                    Ref<OperationQueue> delegateQueue);

    // A copy of the configuration given at creation.
    const Ref<URLSessionConfiguration>& configuration() const { return configuration_; }
    std::shared_ptr<URLSessionDelegate> delegate() const;
    const Ref<OperationQueue>& delegateQueue() const { return delegateQueue_; }

    // A suspended task. With a completion handler the body is collected and handed over at the
    // end, (data, response, nil) or (nil, response or nil, error); without one the delegate hears.
    Ref<URLSessionDataTask> dataTask(const Ref<URLRequest>& request, URLSessionTask::CompletionHandler completion = {});
    Ref<URLSessionDataTask> dataTask(const Ref<URL>& url, URLSessionTask::CompletionHandler completion = {});

    // Cancels every task; once they have completed the delegate hears didBecomeInvalidWithError
    // and is released. Tasks made afterwards complete at once with -999.
    void invalidateAndCancel();
    // Lets running tasks finish, then invalidates.
    void finishTasksAndInvalidate();
    // Tasks resumed and not yet completed; a task leaves after its completion has been handed over.
    std::vector<Ref<URLSessionTask>> allTasks() const;

    // Loads of every session, connection and web view in the process that have started and not
    // yet finished, failed or been cancelled. At zero, the last event of each has been handed to
    // its queue or run loop: a host running a manual clock waits for zero before moving time.
    static size_t loadsInProgress();

    URLSession() = default; // use the factories

private:
    friend class URLSessionTask;
    friend class detail::TaskClient;

    // Queues `work` behind everything queued for this session.
    void enqueue(std::function<void()> work);
    void drain();
    void taskEnded(const Ref<URLSessionTask>& task);
    void invalidateIfDone();

    Ref<URLSessionConfiguration> configuration_;
    Ref<OperationQueue> delegateQueue_;

    mutable std::mutex mutex_;
    std::shared_ptr<URLSessionDelegate> delegate_;
    std::set<Ref<URLSessionTask>> tasks_; // resumed and not yet completed
    bool invalidating_ = false;
    bool invalidated_ = false;
    std::deque<std::function<void()>> pending_;
    bool draining_ = false;
};

} // namespace ns
