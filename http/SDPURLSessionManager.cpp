#include "http/SDPURLSessionManager.h"

#include "http/SDPJSONResponseSerializer.h"
#include "os/dispatch/Queue.h"

struct SDPURLSessionManager::TaskState {
    ns::MutableDataRef data = ns::MutableData::make();
    Progress uploadProgress;
    Progress downloadProgress;
    Completion completion;
};

// Relays the session's delegate calls to the manager while it lives.
class SDPURLSessionManager::Delegate : public ns::URLSessionDelegate {
public:
    explicit Delegate(ns::Weak<SDPURLSessionManager> manager) : manager_(std::move(manager)) {}

    void didSendBodyData(const ns::Ref<ns::URLSession>&, const ns::Ref<ns::URLSessionTask>& task, int64_t,
                         int64_t totalBytesSent, int64_t totalBytesExpectedToSend) override {
        if (auto m = manager_.lock()) m->taskSent(task->taskIdentifier(), totalBytesSent, totalBytesExpectedToSend);
    }
    void didReceiveData(const ns::Ref<ns::URLSession>&, const ns::Ref<ns::URLSessionDataTask>& task,
                        const ns::DataRef& data) override {
        if (auto m = manager_.lock())
            m->taskReceived(task->taskIdentifier(), data, task->countOfBytesReceived(),
                            task->countOfBytesExpectedToReceive());
    }
    void didCompleteWithError(const ns::Ref<ns::URLSession>&, const ns::Ref<ns::URLSessionTask>& task,
                              const ns::Ref<ns::Error>& error) override {
        if (auto m = manager_.lock()) m->taskCompleted(task, error);
    }

private:
    ns::Weak<SDPURLSessionManager> manager_;
};

ns::Ref<SDPURLSessionManager> SDPURLSessionManager::create(ns::Ref<ns::URLSessionConfiguration> configuration) {
    auto manager = std::make_shared<SDPURLSessionManager>();
    manager->initWithSessionConfiguration(std::move(configuration));
    return manager;
}

void SDPURLSessionManager::initWithSessionConfiguration(ns::Ref<ns::URLSessionConfiguration> configuration) {
    if (!configuration) configuration = ns::URLSessionConfiguration::defaultSessionConfiguration();
    operationQueue_ = ns::OperationQueue::create();
    operationQueue_->setMaxConcurrentOperationCount(1);
    responseSerializer_ = SDPJSONResponseSerializer::serializer();
    securityPolicy_ = SDPSecurityPolicy::defaultPolicy();
    reachability_ = SDPNetworkReachabilityManager::sharedManager();
    auto delegate = std::make_shared<Delegate>(ns::Weak<SDPURLSessionManager>(ref<SDPURLSessionManager>()));
    session_ = ns::URLSession::sessionWithConfiguration(configuration, delegate, operationQueue_);
}

ns::Ref<SDPHTTPResponseSerializer> SDPURLSessionManager::responseSerializer() const {
    std::lock_guard lock(mutex_);
    return responseSerializer_;
}

void SDPURLSessionManager::setResponseSerializer(ns::Ref<SDPHTTPResponseSerializer> serializer) {
    std::lock_guard lock(mutex_);
    responseSerializer_ = std::move(serializer);
}

ns::Ref<ns::URLSessionDataTask> SDPURLSessionManager::dataTaskWithRequest(const ns::Ref<ns::URLRequest>& request,
                                                                         Progress uploadProgress,
                                                                         Progress downloadProgress,
                                                                         Completion completion) {
    auto task = session_->dataTask(request);
    auto state = std::make_shared<TaskState>();
    state->uploadProgress = std::move(uploadProgress);
    state->downloadProgress = std::move(downloadProgress);
    state->completion = std::move(completion);
    std::lock_guard lock(mutex_);
    tasks_[task->taskIdentifier()] = std::move(state);
    return task;
}

std::shared_ptr<SDPURLSessionManager::TaskState> SDPURLSessionManager::stateFor(uint64_t taskId) {
    std::lock_guard lock(mutex_);
    auto it = tasks_.find(taskId);
    return it == tasks_.end() ? nullptr : it->second;
}

void SDPURLSessionManager::taskSent(uint64_t taskId, int64_t sent, int64_t expected) {
    auto state = stateFor(taskId);
    if (!state || !state->uploadProgress) return;
    dispatch::async(dispatch::Queue::main(), [progress = state->uploadProgress, sent, expected] { progress(sent, expected); });
}

void SDPURLSessionManager::taskReceived(uint64_t taskId, const ns::DataRef& data, int64_t received, int64_t expected) {
    auto state = stateFor(taskId);
    if (!state) return;
    if (data) state->data->append(*data);
    if (state->downloadProgress)
        dispatch::async(dispatch::Queue::main(),
                        [progress = state->downloadProgress, received, expected] { progress(received, expected); });
}

void SDPURLSessionManager::taskCompleted(const ns::Ref<ns::URLSessionTask>& task, const ns::Ref<ns::Error>& error) {
    std::shared_ptr<TaskState> state;
    {
        std::lock_guard lock(mutex_);
        auto it = tasks_.find(task->taskIdentifier());
        if (it == tasks_.end()) return;
        state = it->second;
        tasks_.erase(it);
    }
    auto response = task->response();
    ns::Value object;
    ns::Ref<ns::Error> serializationError;
    if (!error) {
        ns::DataRef body = state->data;
        object = responseSerializer()->responseObjectForResponse(response, body, &serializationError);
    }
    ns::Ref<ns::Error> finalError = error ? error : serializationError;
    if (!state->completion) return;
    dispatch::async(dispatch::Queue::main(), [completion = std::move(state->completion), response, object, finalError] {
        completion(response, object, finalError);
    });
}

void SDPURLSessionManager::invalidateSessionCancelingTasks(bool cancelPendingTasks) {
    if (cancelPendingTasks) session_->invalidateAndCancel();
    else session_->finishTasksAndInvalidate();
}
