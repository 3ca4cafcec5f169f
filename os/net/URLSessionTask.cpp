#include "os/net/URLSessionTask.h"

#include "os/foundation/Strings.h"
#include "os/net/HTTPCookieStorage.h"
#include "os/net/Loader.h"
#include "os/net/URLCache.h"
#include "os/net/URLSession.h"

namespace ns {

namespace detail {

// Carries a load's events to its task; keeps the task alive while it loads.
class TaskClient : public LoadClient {
public:
    explicit TaskClient(Ref<URLSessionTask> task) : task_(std::move(task)) {}
    void loadDidReceiveResponse(const Ref<URLResponse>& response) override { task_->loadResponse(response); }
    void loadDidReceiveData(const DataRef& data) override { task_->loadData(data); }
    void loadDidSendBodyData(int64_t totalSent, int64_t totalExpected) override { task_->loadSent(totalSent, totalExpected); }
    void loadDidFinish() override { task_->loadEnded(nullptr); }
    void loadDidFail(const Ref<Error>& error) override { task_->loadEnded(error); }

private:
    Ref<URLSessionTask> task_;
};

namespace {

std::atomic<uint64_t> nextTaskIdentifier{1};

LoadRequest loadRequestFor(const URLRequest& request, const URLSessionConfiguration& configuration) {
    LoadRequest r;
    r.url = request.url();
    r.method = request.httpMethod();
    for (const auto& [name, value] : request.allHTTPHeaderFields()) {
        if (auto text = value.stringValue()) r.headers.emplace_back(name, *text);
    }
    for (const auto& [name, value] : configuration.httpAdditionalHeaders()) {
        auto text = value.stringValue();
        if (text && !request.valueForHTTPHeaderField(name)) r.headers.emplace_back(name, *text);
    }
    r.body = request.httpBody();
    r.timeout = request.timeoutIntervalWasSet() ? request.timeoutInterval() : configuration.timeoutIntervalForRequest();
    r.handleCookies = request.httpShouldHandleCookies() && configuration.httpCookieStorage() &&
                      configuration.httpShouldSetCookies();
    return r;
}

} // namespace
} // namespace detail

URLSessionTask::URLSessionTask(Ref<URLSession> session, Ref<URLRequest> request, CompletionHandler completion)
    : identifier_(detail::nextTaskIdentifier++), request_(std::move(request)), session_(std::move(session)),
      completion_(std::move(completion)) {
    if (completion_) data_ = MutableData::make();
    if (request_ && request_->httpBody()) expectedToSend_ = static_cast<int64_t>(request_->httpBody()->length());
}

URLSessionTask::~URLSessionTask() = default;

Ref<URLResponse> URLSessionTask::response() const {
    std::lock_guard lock(mutex_);
    return response_;
}

Ref<Error> URLSessionTask::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

URLSessionTask::State URLSessionTask::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void URLSessionTask::resume() {
    Ref<URLSession> session;
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Suspended || ended_) return;
        state_ = State::Running;
        session = session_;
    }
    auto self = ref<URLSessionTask>();
    bool invalid;
    {
        std::lock_guard lock(session->mutex_);
        invalid = session->invalidating_;
        if (!invalid) session->tasks_.insert(self);
    }
    if (invalid) return cancel();

    auto request = detail::loadRequestFor(*request_, *session->configuration());
    request.request = request_;
    auto load = detail::startLoad(std::move(request), std::make_shared<detail::TaskClient>(self));
    bool cancelled;
    {
        std::lock_guard lock(mutex_);
        cancelled = ended_ && state_ == State::Canceling;
        if (!cancelled) load_ = load;
    }
    if (cancelled) load->cancel(); // cancel() ran before the load existed
}

void URLSessionTask::cancel() {
    std::shared_ptr<detail::Load> load;
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        ended_ = true;
        state_ = State::Canceling;
        load = std::move(load_);
    }
    if (load) load->cancel();
    complete(detail::urlError(URLErrorCancelled, request_ ? request_->url() : nullptr));
}

void URLSessionTask::loadResponse(const Ref<URLResponse>& response) {
    Ref<URLSession> session;
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        response_ = response;
        expectedToReceive_ = response->expectedContentLength();
        if (completion_) return;
        session = session_;
    }
    auto self = ref<URLSessionDataTask>();
    session->enqueue([session, self, response] {
        if (self->state() == State::Canceling) return;
        if (auto d = session->delegate()) d->didReceiveResponse(session, self, response);
    });
}

void URLSessionTask::loadData(const DataRef& data) {
    Ref<URLSession> session;
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        received_ += static_cast<int64_t>(data->length());
        if (completion_) {
            data_->append(*data);
            return;
        }
        session = session_;
    }
    auto self = ref<URLSessionDataTask>();
    session->enqueue([session, self, data] {
        if (self->state() == State::Canceling) return;
        if (auto d = session->delegate()) d->didReceiveData(session, self, data);
    });
}

void URLSessionTask::loadSent(int64_t totalSent, int64_t totalExpected) {
    Ref<URLSession> session;
    int64_t delta;
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        delta = totalSent - sent_;
        sent_ = totalSent;
        expectedToSend_ = totalExpected;
        session = session_;
    }
    auto self = ref<URLSessionTask>();
    session->enqueue([session, self, delta, totalSent, totalExpected] {
        if (self->state() == State::Canceling) return;
        if (auto d = session->delegate()) d->didSendBodyData(session, self, delta, totalSent, totalExpected);
    });
}

void URLSessionTask::loadEnded(const Ref<Error>& error) {
    Ref<URLResponse> response;
    DataRef data;
    Ref<URLSession> session;
    {
        std::lock_guard lock(mutex_);
        if (ended_) return;
        ended_ = true;
        load_.reset();
        response = response_;
        data = data_;
        session = session_;
    }
    if (!error && data && session) {
        auto cache = session->configuration()->urlCache();
        if (cache && detail::isCacheable(*request_, response))
            cache->storeCachedResponse(std::make_shared<CachedURLResponse>(response, Data::make(data->bytes(), data->length())),
                                       *request_);
    }
    complete(error);
}

void URLSessionTask::complete(const Ref<Error>& error) {
    Ref<URLSession> session;
    {
        std::lock_guard lock(mutex_);
        session = session_;
    }
    if (!session) return;
    auto self = ref<URLSessionTask>();
    session->enqueue([session, self, error] {
        CompletionHandler completion;
        Ref<URLResponse> response;
        DataRef data;
        {
            std::lock_guard lock(self->mutex_);
            self->state_ = State::Completed;
            self->error_ = error;
            completion = std::move(self->completion_);
            response = self->response_;
            if (!error) data = self->data_;
            self->data_.reset();
            self->session_.reset();
        }
        if (completion) completion(data, response, error);
        else if (auto d = session->delegate()) d->didCompleteWithError(session, self, error);
        session->taskEnded(self);
    });
}

} // namespace ns
