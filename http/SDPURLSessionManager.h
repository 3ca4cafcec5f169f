#pragma once
// Session manager over the system URL session: one delegate queue of one operation, a response
// serializer applied to every task's data, and completions on the main queue.

#include "http/SDPHTTPResponseSerializer.h"
#include "http/SDPNetworkReachabilityManager.h"
#include "http/SDPSecurityPolicy.h"
#include "os/net/URLSession.h"

#include <functional>
#include <map>
#include <mutex>

class SDPURLSessionManager : public ns::Object {
public:
    using Progress = std::function<void(int64_t completed, int64_t total)>;
    using Completion = std::function<void(const ns::Ref<ns::URLResponse>& response, const ns::Value& responseObject,
                                          const ns::Ref<ns::Error>& error)>;

    // nil: the default session configuration.
    static ns::Ref<SDPURLSessionManager> create(ns::Ref<ns::URLSessionConfiguration> configuration = nullptr);

    const ns::Ref<ns::URLSession>& session() const { return session_; }
    const ns::Ref<ns::OperationQueue>& operationQueue() const { return operationQueue_; }
    ns::Ref<SDPHTTPResponseSerializer> responseSerializer() const;
    void setResponseSerializer(ns::Ref<SDPHTTPResponseSerializer> serializer);
    const ns::Ref<SDPSecurityPolicy>& securityPolicy() const { return securityPolicy_; }
    const ns::Ref<SDPNetworkReachabilityManager>& reachabilityManager() const { return reachability_; }

    // Creates (does not start) a data task. On completion: a transport failure gives a nil response
    // object and the transport error; otherwise the serializer's object and its error (nil when valid).
    // Progress blocks and the completion run on the main queue.
    ns::Ref<ns::URLSessionDataTask> dataTaskWithRequest(const ns::Ref<ns::URLRequest>& request, Progress uploadProgress,
                                                        Progress downloadProgress, Completion completion);

    void invalidateSessionCancelingTasks(bool cancelPendingTasks);

protected:
    // The designated initializer's work; subclasses' factories call it after construction.
    void initWithSessionConfiguration(ns::Ref<ns::URLSessionConfiguration> configuration);

private:
    struct TaskState;
    class Delegate;
    friend class Delegate;
    std::shared_ptr<TaskState> stateFor(uint64_t taskId);
    void taskReceived(uint64_t taskId, const ns::DataRef& data, int64_t received, int64_t expected);
    void taskSent(uint64_t taskId, int64_t sent, int64_t expected);
    void taskCompleted(const ns::Ref<ns::URLSessionTask>& task, const ns::Ref<ns::Error>& error);

    ns::Ref<ns::URLSession> session_;
    ns::Ref<ns::OperationQueue> operationQueue_;
    ns::Ref<SDPSecurityPolicy> securityPolicy_;
    ns::Ref<SDPNetworkReachabilityManager> reachability_;
    mutable std::mutex mutex_;
    ns::Ref<SDPHTTPResponseSerializer> responseSerializer_;
    std::map<uint64_t, std::shared_ptr<TaskState>> tasks_;
};
