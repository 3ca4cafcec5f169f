#include "os/net/URLSession.h"

#include "os/net/CurlEngine.h"
#include "os/net/Loader.h"

namespace ns {

namespace {

Ref<OperationQueue> serialQueue(const std::string& name) {
    auto q = OperationQueue::create();
    q->setName(name);
    q->setMaxConcurrentOperationCount(1);
    return q;
}

} // namespace

size_t URLSession::loadsInProgress() {
    size_t n = detail::loadsInProgress();
    // A load ended on the network thread hands its events over at the end of that thread's turn:
    // one job through it, and they are out.
    if (n == 0) detail::CurlEngine::shared().runSync([] {});
    return n;
}

Ref<URLSession> URLSession::sharedSession() {
    static Ref<URLSession> session =
        sessionWithConfiguration(URLSessionConfiguration::defaultSessionConfiguration(), nullptr, nullptr);
    return session;
}

Ref<URLSession> URLSession::sessionWithConfiguration(const Ref<URLSessionConfiguration>& configuration) {
    return sessionWithConfiguration(configuration, nullptr, nullptr);
}

Ref<URLSession> URLSession::sessionWithConfiguration(const Ref<URLSessionConfiguration>& configuration,
                                                     std::shared_ptr<URLSessionDelegate> delegate,
                                                     Ref<OperationQueue> delegateQueue) {
    auto s = std::make_shared<URLSession>();
    s->configuration_ = configuration ? configuration->copy() : URLSessionConfiguration::defaultSessionConfiguration();
    s->delegate_ = std::move(delegate);
    s->delegateQueue_ = delegateQueue ? std::move(delegateQueue) : serialQueue("ns.URLSession.delegateQueue");
    return s;
}

std::shared_ptr<URLSessionDelegate> URLSession::delegate() const {
    std::lock_guard lock(mutex_);
    return delegate_;
}

Ref<URLSessionDataTask> URLSession::dataTask(const Ref<URLRequest>& request, URLSessionTask::CompletionHandler completion) {
    auto copy = request ? request->copy() : URLRequest::requestWithURL(nullptr);
    return std::make_shared<URLSessionDataTask>(ref<URLSession>(), copy, std::move(completion));
}

Ref<URLSessionDataTask> URLSession::dataTask(const Ref<URL>& url, URLSessionTask::CompletionHandler completion) {
    return dataTask(URLRequest::requestWithURL(url), std::move(completion));
}

void URLSession::invalidateAndCancel() {
    std::set<Ref<URLSessionTask>> tasks;
    {
        std::lock_guard lock(mutex_);
        invalidating_ = true;
        tasks = tasks_;
    }
    for (const auto& t : tasks) t->cancel();
    invalidateIfDone();
}

void URLSession::finishTasksAndInvalidate() {
    {
        std::lock_guard lock(mutex_);
        invalidating_ = true;
    }
    invalidateIfDone();
}

std::vector<Ref<URLSessionTask>> URLSession::allTasks() const {
    std::lock_guard lock(mutex_);
    return {tasks_.begin(), tasks_.end()};
}

void URLSession::enqueue(std::function<void()> work) {
    bool start = false;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(work));
        start = !draining_;
        draining_ = true;
    }
    if (start) {
        auto self = ref<URLSession>();
        delegateQueue_->addOperation([self] { self->drain(); });
    }
}

void URLSession::drain() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) {
                draining_ = false;
                return;
            }
            work = std::move(pending_.front());
            pending_.pop_front();
        }
        work();
    }
}

void URLSession::taskEnded(const Ref<URLSessionTask>& task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.erase(task);
    }
    invalidateIfDone();
}

void URLSession::invalidateIfDone() {
    {
        std::lock_guard lock(mutex_);
        if (!invalidating_ || invalidated_ || !tasks_.empty()) return;
        invalidated_ = true;
    }
    auto self = ref<URLSession>();
    enqueue([self] {
        auto d = self->delegate();
        if (d) d->didBecomeInvalidWithError(self, nullptr);
        std::lock_guard lock(self->mutex_);
        self->delegate_.reset();
    });
}

} // namespace ns
