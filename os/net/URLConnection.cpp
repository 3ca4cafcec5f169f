#include "os/net/URLConnection.h"

#include "os/foundation/Strings.h"
#include "os/net/CurlEngine.h"
#include "os/net/Loader.h"
#include "os/net/URLProtocol.h"

#include <atomic>

namespace ns {

void URLConnectionDelegate::willSendRequestForAuthenticationChallenge(const Ref<URLConnection>&,
                                                                      const Ref<URLAuthenticationChallenge>& challenge) {
    const auto& sender = challenge->sender();
    if (!sender) return;
    if (sender->canPerformDefaultHandling()) sender->performDefaultHandling(*challenge);
    else sender->continueWithoutCredential(*challenge);
}

namespace detail {

namespace {

struct AuthOffer {
    bool digest = false;
    std::optional<std::string> realm;
};

// The scheme a 401 offers (Digest preferred over Basic) and its realm.
std::optional<AuthOffer> authOffer(const Ref<URLResponse>& response) {
    auto http = std::dynamic_pointer_cast<HTTPURLResponse>(response);
    if (!http || http->statusCode() != 401) return std::nullopt;
    auto header = http->valueForHTTPHeaderField("WWW-Authenticate");
    if (!header) return std::nullopt;
    std::string lower = str::lowercase(*header);
    auto schemeAt = [&](std::string_view scheme) -> size_t {
        for (size_t at = lower.find(scheme); at != std::string::npos; at = lower.find(scheme, at + 1)) {
            bool startsToken = at == 0 || lower[at - 1] == ' ' || lower[at - 1] == ',';
            size_t end = at + scheme.size();
            if (startsToken && (end == lower.size() || lower[end] == ' ')) return at;
        }
        return std::string::npos;
    };
    AuthOffer offer;
    size_t at = schemeAt("digest");
    offer.digest = at != std::string::npos;
    if (!offer.digest) at = schemeAt("basic");
    if (at == std::string::npos) return std::nullopt;
    if (size_t r = lower.find("realm=", at); r != std::string::npos) {
        size_t begin = r + 6;
        if (begin < header->size() && (*header)[begin] == '"') {
            size_t close = header->find('"', begin + 1);
            offer.realm = header->substr(begin + 1, close == std::string::npos ? std::string::npos : close - begin - 1);
        } else {
            size_t end = header->find_first_of(", ", begin);
            offer.realm = header->substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        }
    }
    return offer;
}

int defaultPort(const URL& url) {
    if (auto p = url.port()) return *p;
    return str::lowercase(url.scheme().value_or("")) == "https" ? 443 : 80;
}

} // namespace

// Carries one load's events onto the connection's run loop. A 401 that offers Basic or Digest is
// held back, with its body, until the delegate has answered the challenge.
class ConnectionClient : public LoadClient {
public:
    explicit ConnectionClient(Ref<URLConnection> connection) : c_(std::move(connection)) {}

    void loadDidReceiveResponse(const Ref<URLResponse>& response) override {
        if (authOffer(response)) {
            held_ = std::static_pointer_cast<HTTPURLResponse>(response);
            return;
        }
        c_->perform([c = c_, response] { c->deliverResponse(response); });
    }
    void loadDidReceiveData(const DataRef& data) override {
        if (held_) return body_.push_back(data);
        c_->perform([c = c_, data] { c->deliverData(data); });
    }
    void loadDidFinish() override {
        if (held_) {
            c_->perform([c = c_, held = held_, body = std::move(body_)] { c->askHTTPAuthentication(held, body); });
            return;
        }
        c_->perform([c = c_] { c->deliverFinish(); });
    }
    void loadDidFail(const Ref<Error>& error) override {
        c_->perform([c = c_, error] { c->deliverFail(error); });
    }

private:
    Ref<URLConnection> c_;
    Ref<HTTPURLResponse> held_;
    std::vector<DataRef> body_;
};

// The connection's answers to one challenge; the first answer counts.
class ConnectionSender : public URLAuthenticationChallengeSender {
public:
    ConnectionSender(Ref<URLConnection> connection, Ref<HTTPURLResponse> held = nullptr, std::vector<DataRef> body = {},
                     bool digest = false)
        : c_(std::move(connection)), held_(std::move(held)), body_(std::move(body)), digest_(digest) {}

    void useCredential(const Ref<URLCredential>& credential, const URLAuthenticationChallenge&) override {
        auto c = take();
        if (!c) return;
        if (!held_) return c->beginLoad(!(credential && credential->serverTrust()), nullptr, false);
        if (!credential || !credential->user()) return replay(c);
        {
            std::lock_guard lock(c->mutex_);
            ++c->authFailures_;
        }
        c->beginLoad(true, credential, digest_);
    }
    void continueWithoutCredential(const URLAuthenticationChallenge&) override {
        auto c = take();
        if (!c) return;
        if (!held_) return c->beginLoad(true, nullptr, false);
        replay(c);
    }
    void cancelAuthenticationChallenge(const URLAuthenticationChallenge&) override {
        auto c = take();
        if (!c) return;
        long code = held_ ? URLErrorUserCancelledAuthentication : URLErrorCancelled;
        auto error = urlError(code, c->request_->url());
        c->perform([c, error] { c->deliverFail(error); });
    }
    bool canPerformDefaultHandling() const override { return true; }
    // The credential storage is empty: default handling verifies the server, or goes on without.
    void performDefaultHandling(const URLAuthenticationChallenge& challenge) override { continueWithoutCredential(challenge); }
    void rejectProtectionSpaceAndContinue(const URLAuthenticationChallenge& challenge) override {
        continueWithoutCredential(challenge);
    }

private:
    Ref<URLConnection> take() {
        if (answered_.exchange(true)) return nullptr;
        return std::move(c_);
    }
    // Going on without a credential: the 401 is delivered as it came.
    void replay(const Ref<URLConnection>& c) {
        c->perform([c, held = held_, body = body_] {
            c->deliverResponse(held);
            for (const auto& d : body) c->deliverData(d);
            c->deliverFinish();
        });
    }

    std::atomic<bool> answered_{false};
    Ref<URLConnection> c_;
    Ref<HTTPURLResponse> held_;
    std::vector<DataRef> body_;
    bool digest_;
};

} // namespace detail

URLConnection::URLConnection(Ref<URLRequest> request, std::shared_ptr<URLConnectionDelegate> delegate)
    : request_(std::move(request)), delegate_(std::move(delegate)) {}

URLConnection::~URLConnection() = default;

Ref<URLConnection> URLConnection::create(const Ref<URLRequest>& request, std::shared_ptr<URLConnectionDelegate> delegate,
                                         bool startImmediately) {
    if (!request) return nullptr;
    auto c = std::make_shared<URLConnection>(request->copy(), std::move(delegate));
    if (startImmediately) c->start();
    return c;
}

void URLConnection::scheduleInRunLoop(RunLoop& runLoop) {
    std::lock_guard lock(mutex_);
    if (!started_) runLoop_ = &runLoop;
}

void URLConnection::start() {
    {
        std::lock_guard lock(mutex_);
        if (started_ || over_) return;
        started_ = true;
        if (!runLoop_) runLoop_ = &RunLoop::current();
    }
    const auto& url = request_->url();
    if (url && str::lowercase(url->scheme().value_or("")) == "https") askServerTrust();
    else beginLoad(true, nullptr, false);
}

void URLConnection::cancel() {
    std::shared_ptr<detail::Load> load;
    std::shared_ptr<URLConnectionDelegate> delegate;
    {
        std::lock_guard lock(mutex_);
        if (over_) return;
        over_ = true;
        load = std::move(load_);
        delegate = std::move(delegate_);
    }
    if (load) load->cancel();
}

// Events of one connection go to its run loop in batches: one wake-up for all that came in
// meanwhile, in order.
void URLConnection::perform(std::function<void()> work) {
    bool schedule;
    {
        std::lock_guard lock(inboxMutex_);
        schedule = inbox_.empty();
        inbox_.push_back(std::move(work));
    }
    if (schedule) detail::CurlEngine::shared().performOn(*runLoop_, [self = ref<URLConnection>()] { self->drainInbox(); });
}

void URLConnection::drainInbox() {
    for (;;) {
        std::vector<std::function<void()>> batch;
        {
            std::lock_guard lock(inboxMutex_);
            if (inbox_.empty()) return;
            batch.swap(inbox_);
        }
        for (auto& work : batch) work();
    }
}

void URLConnection::beginLoad(bool verifyPeer, Ref<URLCredential> credential, bool digest) {
    std::lock_guard lock(mutex_);
    if (over_) return;
    detail::LoadRequest r;
    r.url = request_->url();
    r.method = request_->httpMethod();
    for (const auto& [name, value] : request_->allHTTPHeaderFields()) {
        if (auto text = value.stringValue()) r.headers.emplace_back(name, *text);
    }
    r.body = request_->httpBody();
    r.timeout = request_->timeoutInterval();
    r.handleCookies = request_->httpShouldHandleCookies();
    r.verifyPeer = verifyPeer;
    if (credential && credential->user()) {
        r.user = *credential->user();
        r.password = credential->password().value_or("");
        r.digest = digest;
    }
    r.request = request_;
    load_ = detail::startLoad(std::move(r), std::make_shared<detail::ConnectionClient>(ref<URLConnection>()));
}

template <class F> void URLConnection::withDelegate(bool terminal, F&& call) {
    std::lock_guard lock(mutex_);
    if (over_) return;
    auto delegate = delegate_; // kept while the callback runs, even if it cancels
    if (delegate) call(*delegate, ref<URLConnection>());
    if (terminal) {
        over_ = true;
        delegate_.reset();
        load_.reset();
        cacheData_.reset();
    }
}

void URLConnection::askServerTrust() {
    auto self = ref<URLConnection>();
    perform([self] {
        const auto& url = self->request_->url();
        std::string host = url->host().value_or("");
        auto trust = std::make_shared<ServerTrust>(host);
        auto space = std::make_shared<URLProtectionSpace>(host, detail::defaultPort(*url), "https", std::nullopt,
                                                          URLAuthenticationMethodServerTrust, trust);
        auto challenge = std::make_shared<URLAuthenticationChallenge>(space, nullptr, 0, nullptr, nullptr,
                                                                      std::make_shared<detail::ConnectionSender>(self));
        self->withDelegate(false, [&](URLConnectionDelegate& d, const Ref<URLConnection>& c) {
            d.willSendRequestForAuthenticationChallenge(c, challenge);
        });
    });
}

void URLConnection::askHTTPAuthentication(const Ref<HTTPURLResponse>& response, std::vector<DataRef> body) {
    auto offer = detail::authOffer(response);
    const auto& url = request_->url();
    auto space = std::make_shared<URLProtectionSpace>(
        url->host().value_or(""), detail::defaultPort(*url), str::lowercase(url->scheme().value_or("http")), offer->realm,
        offer->digest ? URLAuthenticationMethodHTTPDigest : URLAuthenticationMethodHTTPBasic);
    long failures;
    {
        std::lock_guard lock(mutex_);
        failures = authFailures_;
    }
    auto sender = std::make_shared<detail::ConnectionSender>(ref<URLConnection>(), response, std::move(body), offer->digest);
    auto challenge = std::make_shared<URLAuthenticationChallenge>(space, nullptr, failures, response, nullptr, sender);
    withDelegate(false, [&](URLConnectionDelegate& d, const Ref<URLConnection>& c) {
        d.shouldUseCredentialStorage(c);
        d.willSendRequestForAuthenticationChallenge(c, challenge);
    });
}

void URLConnection::deliverResponse(const Ref<URLResponse>& response) {
    withDelegate(false, [&](URLConnectionDelegate& d, const Ref<URLConnection>& c) {
        response_ = response;
        cacheData_ = URLCache::shared() && detail::isCacheable(*request_, response) ? MutableData::make() : nullptr;
        d.didReceiveResponse(c, response);
    });
}

void URLConnection::deliverData(const DataRef& data) {
    withDelegate(false, [&](URLConnectionDelegate& d, const Ref<URLConnection>& c) {
        if (cacheData_) {
            // Like the platform, only responses up to a twentieth of the cache are offered.
            auto cache = URLCache::shared();
            if (cache && cacheData_->length() + data->length() <= cache->memoryCapacity() / 20) cacheData_->append(*data);
            else cacheData_.reset();
        }
        d.didReceiveData(c, data);
    });
}

void URLConnection::deliverFinish() {
    Ref<CachedURLResponse> proposed;
    {
        std::lock_guard lock(mutex_);
        if (cacheData_ && response_)
            proposed = std::make_shared<CachedURLResponse>(response_, Data::make(cacheData_->bytes(), cacheData_->length()));
    }
    if (proposed) {
        withDelegate(false, [&](URLConnectionDelegate& d, const Ref<URLConnection>& c) {
            auto answer = d.willCacheResponse(c, proposed);
            auto cache = URLCache::shared();
            if (answer && cache) cache->storeCachedResponse(answer, *request_);
        });
    }
    withDelegate(true, [&](URLConnectionDelegate& d, const Ref<URLConnection>& c) { d.didFinishLoading(c); });
}

void URLConnection::deliverFail(const Ref<Error>& error) {
    withDelegate(true, [&](URLConnectionDelegate& d, const Ref<URLConnection>& c) { d.didFailWithError(c, error); });
}

} // namespace ns
