#pragma once
// NSURLSessionTask and NSURLSessionDataTask: one request of a session. Created suspended;
// resume() starts it; it completes exactly once (success, failure, or -999 after cancel()).

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/net/URLRequest.h"
#include "os/net/URLResponse.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace ns {

class URLSession;
namespace detail { class Load; class TaskClient; }

class URLSessionTask : public Object {
public:
    enum class State : long { Running = 0, Suspended = 1, Canceling = 2, Completed = 3 };
    using CompletionHandler = std::function<void(const DataRef& data, const Ref<URLResponse>& response, const Ref<Error>& error)>;

    // Unique within the process.
    uint64_t taskIdentifier() const { return identifier_; }
    const Ref<URLRequest>& originalRequest() const { return request_; }
    const Ref<URLRequest>& currentRequest() const { return request_; }
    // The response once received (the last one after redirects).
    Ref<URLResponse> response() const;
    // The failure once completed with one (-999 after cancel()).
    Ref<Error> error() const;
    State state() const;

    int64_t countOfBytesReceived() const { return received_; }
    int64_t countOfBytesExpectedToReceive() const { return expectedToReceive_; } // -1 when unknown
    int64_t countOfBytesSent() const { return sent_; }
    int64_t countOfBytesExpectedToSend() const { return expectedToSend_; }

    // Starts a suspended task; nothing for a running or finished one.
    void resume();
    // Ends the task with -999 unless it has completed already; nothing reaches the delegate queue
    // for it afterwards except that one completion.
    void cancel();

    URLSessionTask(Ref<URLSession> session, Ref<URLRequest> request, CompletionHandler completion);
    ~URLSessionTask() override;

private:
    friend class URLSession;
    friend class detail::TaskClient;

    // Network-thread events, moved onto the session's delegate queue.
    void loadResponse(const Ref<URLResponse>& response);
    void loadData(const DataRef& data);
    void loadSent(int64_t totalSent, int64_t totalExpected);
    void loadEnded(const Ref<Error>& error);
    void complete(const Ref<Error>& error);

    const uint64_t identifier_;
    const Ref<URLRequest> request_;
    mutable std::mutex mutex_;
    Ref<URLSession> session_; // held until completion
    CompletionHandler completion_;
    State state_ = State::Suspended;
    bool ended_ = false; // the terminal event has been queued
    std::shared_ptr<detail::Load> load_;
    Ref<URLResponse> response_;
    Ref<Error> error_;
    MutableDataRef data_;
    std::atomic<int64_t> received_{0}, expectedToReceive_{-1}, sent_{0}, expectedToSend_{0};
};

class URLSessionDataTask : public URLSessionTask {
public:
    using URLSessionTask::URLSessionTask;
};

} // namespace ns
