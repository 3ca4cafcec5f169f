#include "os/net/CurlEngine.h"

#include "os/foundation/Strings.h"
#include "os/net/HTTPHeaderBlock.h"
#include "os/net/URLError.h"
#include "os/net/URLResponse.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

namespace ns::detail {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Redirects followed before giving up, as the platform does.
constexpr int MaxRedirects = 16;
// Connections per host; further transfers to the host wait for one.
constexpr long MaxHostConnections = 6;

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool isLoopbackHost(const std::optional<std::string>& host) {
    if (!host) return false;
    std::string h = str::lowercase(*host);
    return h == "localhost" || h == "::1" || h == "[::1]" || str::hasPrefix(h, "127.");
}

// Loopback never goes through a proxy; other proxy settings come from the environment.
std::string noProxyList() {
    std::string list = "127.0.0.1,localhost,::1";
    for (const char* name : {"NO_PROXY", "no_proxy"}) {
        if (const char* v = std::getenv(name); v && *v) {
            list = std::string(v) + "," + list;
            break;
        }
    }
    return list;
}

// The Netscape lines of the jar an easy handle uses (the share's when it is attached).
std::vector<std::string> cookieLinesOf(CURL* easy) {
    std::vector<std::string> out;
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) != CURLE_OK) return out;
    for (curl_slist* i = list; i; i = i->next) out.emplace_back(i->data);
    curl_slist_free_all(list);
    return out;
}

// Domain, path and name: what makes a cookie the same cookie.
std::string cookieKey(const std::string& line) {
    auto f = str::split(line, "\t");
    if (f.size() < 6) return line;
    std::string domain = str::hasPrefix(f[0], "#HttpOnly_") ? f[0].substr(10) : f[0];
    return domain + "\t" + f[2] + "\t" + f[5];
}

bool isSecureCookieLine(const std::string& line) {
    auto f = str::split(line, "\t");
    return f.size() >= 6 && f[3] == "TRUE";
}

// Writes what a plain-HTTP transfer with a jar of its own changed (`before` -> `after`) into the
// shared jar. A plain reply neither sets, replaces nor removes a Secure cookie: the jar it worked on
// had none, so a cookie of the same name would otherwise take the Secure one's place for https too.
void mergeCookies(CURLSH* share, const std::vector<std::string>& before, const std::vector<std::string>& after) {
    CURL* h = curl_easy_init();
    curl_easy_setopt(h, CURLOPT_SHARE, share);
    std::set<std::string> secureKeys;
    for (const auto& line : cookieLinesOf(h))
        if (isSecureCookieLine(line)) secureKeys.insert(cookieKey(line));

    std::set<std::string> beforeLines(before.begin(), before.end()), afterKeys, changedKeys;
    std::vector<std::string> added;
    for (const auto& line : after) {
        afterKeys.insert(cookieKey(line));
        if (!beforeLines.count(line) && !isSecureCookieLine(line) && !secureKeys.count(cookieKey(line))) {
            added.push_back(line);
            changedKeys.insert(cookieKey(line));
        }
    }
    bool removed = false;
    for (const auto& line : before) {
        if (!afterKeys.count(cookieKey(line)) && !secureKeys.count(cookieKey(line))) {
            changedKeys.insert(cookieKey(line));
            removed = true;
        }
    }
    if (added.empty() && !removed) {
        curl_easy_cleanup(h);
        return;
    }
    if (removed) {
        // curl has no way to drop a single cookie: the jar is written again without it.
        auto current = cookieLinesOf(h);
        curl_easy_setopt(h, CURLOPT_COOKIELIST, "ALL");
        for (const auto& line : current)
            if (!changedKeys.count(cookieKey(line))) curl_easy_setopt(h, CURLOPT_COOKIELIST, line.c_str());
    }
    for (const auto& line : added) curl_easy_setopt(h, CURLOPT_COOKIELIST, line.c_str());
    curl_easy_cleanup(h);
}

// Where a reply's Location field leads from `base`, resolved as curl resolves it when it follows;
// none without the field or when it is not a URL.
std::optional<std::string> locationTarget(const HTTPHeaderBlock& block, const std::string& base) {
    auto field = std::find_if(block.fields().begin(), block.fields().end(),
                              [](const auto& f) { return iequals(f.first, "location"); });
    if (field == block.fields().end() || field->second.empty()) return std::nullopt;
    std::optional<std::string> target;
    CURLU* u = curl_url();
    char* text = nullptr;
    if (curl_url_set(u, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
        curl_url_set(u, CURLUPART_URL, field->second.c_str(), CURLU_URLENCODE | CURLU_NON_SUPPORT_SCHEME | CURLU_ALLOW_SPACE) ==
            CURLUE_OK &&
        curl_url_get(u, CURLUPART_URL, &text, 0) == CURLUE_OK)
        target = text;
    curl_free(text);
    curl_url_cleanup(u);
    return target;
}

} // namespace

class Transfer;

struct CurlEngine::State : std::enable_shared_from_this<State> {
    CURLM* multi = nullptr;
    CURLSH* share = nullptr;
    std::thread::id threadId;
    std::string noProxy = noProxyList();

    std::mutex mutex;
    std::vector<std::function<void()>> jobs;
    std::function<void()> cookiesBeforeUse;
    std::function<void()> cookiesChanged;

    // Network thread only.
    std::unordered_map<CURL*, std::shared_ptr<Transfer>> transfers;
    std::vector<std::pair<RunLoop*, std::vector<std::function<void()>>>> outbox;

    void flushOutbox() {
        for (auto& [loop, work] : outbox) {
            loop->perform([work = std::move(work)] {
                for (const auto& w : work) w();
            });
        }
        outbox.clear();
    }

    void post(std::function<void()> job) {
        bool wake;
        {
            std::lock_guard lock(mutex);
            // A non-empty queue already has a wake-up on its way (or is seen before the next poll).
            wake = jobs.empty();
            jobs.push_back(std::move(job));
        }
        if (wake) curl_multi_wakeup(multi);
    }

    void loop();
    void add(const std::shared_ptr<Transfer>& t);
    void follow(const std::shared_ptr<Transfer>& t);
    void complete(CURL* easy, CURLcode result);
    void detach(const std::shared_ptr<Transfer>& t);
    int checkIdle();
};

// One HTTP(S) transfer: an easy handle in the multi handle.
class Transfer : public Load {
public:
    Transfer(LoadRequest request, std::shared_ptr<LoadClient> client, std::weak_ptr<CurlEngine::State> engine)
        : Load(std::move(client)), req(std::move(request)), engine_(std::move(engine)) {}

    LoadRequest req;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;

    // The header block being received; a new status line starts a new one.
    HTTPHeaderBlock block;
    bool blockIsIntermediate = false;
    int authRounds = 0;
    bool responseSent = false;
    bool sawSetCookie = false;
    // Plain HTTP to loopback: the transfer's own jar, and its lines as they were at the start.
    bool ownJar = false;
    std::vector<std::string> jarBefore;
    // Redirects are followed here, one transfer per hop, so that each hop's URL decides which
    // cookies it may send: curl following them inside one transfer keeps the first URL's choice.
    std::optional<std::string> redirectTarget; // of the last header block, when it redirects
    int redirects = 0;

    // Callbacks count activity; the loop turns a changed count into a time stamp, so the clock
    // is read once per turn rather than once per callback.
    uint64_t activity = 0, activitySeen = 0;
    SteadyClock::time_point lastActivity = SteadyClock::now();
    SteadyClock::duration idleLimit{};
    curl_off_t lastUp = 0;

    void touch() { ++activity; }

    double idleTimeout() const { return req.timeout > 0 ? req.timeout : 60; }

    void configure(CURLSH* share, const std::string& noProxy);
    // The request of the next hop, as curl would have made it.
    void redirectTo(const Ref<URL>& target, long status);
    void sendResponse();

    static size_t onHeader(char* buffer, size_t size, size_t count, void* self);
    static size_t onWrite(char* buffer, size_t size, size_t count, void* self);
    static int onProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);

protected:
    void stop() override {
        if (auto e = engine_.lock()) {
            auto self = std::static_pointer_cast<Transfer>(shared_from_this());
            e->post([e, self] { e->detach(self); });
        }
    }

private:
    std::weak_ptr<CurlEngine::State> engine_;
};

void Transfer::configure(CURLSH* share, const std::string& noProxy) {
    easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_URL, req.url->absoluteString().c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxy.c_str());
    // Redirects are followed hop by hop (State::follow); curl only says where one leads.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");

    if (req.method == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (req.method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else {
        if (req.method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, req.method.c_str());
        if (req.method == "POST" || req.body) {
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(req.body ? req.body->length() : 0));
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, req.body ? reinterpret_cast<const char*>(req.body->bytes()) : "");
        }
    }

    bool hasExpect = false;
    for (const auto& [name, value] : req.headers) {
        hasExpect = hasExpect || iequals(name, "expect");
        std::string line = value.empty() ? name + ";" : name + ": " + value;
        headerList = curl_slist_append(headerList, line.c_str());
    }
    // No 100-continue round trip before a body.
    if (!hasExpect) headerList = curl_slist_append(headerList, "Expect:");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);

    if (req.handleCookies && share && str::lowercase(req.url->scheme().value_or("")) == "http" &&
        isLoopbackHost(req.url->host())) {
        // curl counts loopback as secure and would send secure cookies over plain HTTP there: such
        // a transfer works on a copy of the jar without them, merged back when it ends.
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
        CURL* shared = curl_easy_init();
        curl_easy_setopt(shared, CURLOPT_SHARE, share);
        for (const auto& line : cookieLinesOf(shared))
            if (!isSecureCookieLine(line)) curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
        curl_easy_cleanup(shared);
        jarBefore = cookieLinesOf(easy);
        ownJar = true;
    } else if (req.handleCookies && share) {
        curl_easy_setopt(easy, CURLOPT_SHARE, share);
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""); // turns the cookie engine on
    }

    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, req.verifyPeer ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, req.verifyPeer ? 2L : 0L);

    if (!req.user.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, req.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, req.password.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, req.digest ? CURLAUTH_DIGEST : CURLAUTH_BASIC);
    }

    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    // Progress is only watched while a body goes up: downloads show activity in the callbacks above.
    if (req.body) {
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    }
}

size_t Transfer::onHeader(char* buffer, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    size_t length = size * count;
    t->touch();
    switch (t->block.add(std::string_view(buffer, length))) {
    case HTTPHeaderBlock::Line::Status: t->blockIsIntermediate = false; break;
    case HTTPHeaderBlock::Line::End: {
        // End of a header block: decide whether another response follows (curl's own rounds, or a
        // redirect this transfer follows when it ends). A 3xx without a usable location is the answer.
        long s = t->block.status();
        bool digestRound = s == 401 && t->req.digest && !t->req.user.empty() && t->authRounds++ == 0;
        t->redirectTarget.reset();
        if (s >= 300 && s < 400) t->redirectTarget = locationTarget(t->block, t->req.url->absoluteString());
        t->blockIsIntermediate = s < 200 || t->redirectTarget || digestRound;
        if (!t->blockIsIntermediate) t->sendResponse();
        break;
    }
    case HTTPHeaderBlock::Line::Field:
        if (t->block.has("set-cookie")) t->sawSetCookie = true;
        break;
    case HTTPHeaderBlock::Line::Ignored: break;
    }
    return length;
}

void Transfer::redirectTo(const Ref<URL>& target, long status) {
    auto origin = [](const URL& u) {
        const std::string scheme = str::lowercase(u.scheme().value_or(""));
        return scheme + "://" + str::lowercase(u.host().value_or("")) + ":" +
               std::to_string(u.port().value_or(scheme == "https" ? 443 : 80));
    };
    // Credentials and hand-written Authorization or Cookie fields stay with the origin they were for.
    if (origin(*target) != origin(*req.url)) {
        req.user.clear();
        req.password.clear();
        std::erase_if(req.headers, [](const auto& field) { return iequals(field.first, "authorization") || iequals(field.first, "cookie"); });
    }
    // 301 and 302 turn a POST into a GET, 303 anything but a HEAD; 307 and 308 repeat the request.
    if (((status == 301 || status == 302) && req.method == "POST") ||
        (status == 303 && req.method != "GET" && req.method != "HEAD")) {
        req.method = "GET";
        req.body = nullptr;
    }
    req.url = target;
}

void Transfer::sendResponse() {
    if (responseSent) return;
    responseSent = true;
    Ref<URL> url = req.url;
    char* effective = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
        if (auto u = URL::fromString(effective)) url = u;
    }
    long status = block.status();
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    emitResponse(HTTPURLResponse::create(url, status, block.joined()));
}

size_t Transfer::onWrite(char* buffer, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    size_t length = size * count;
    t->touch();
    if (t->blockIsIntermediate || length == 0) return length; // the body of a response curl moves past
    t->sendResponse();
    t->emitData(Data::make(buffer, length));
    return length;
}

int Transfer::onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
    auto* t = static_cast<Transfer*>(self);
    if (ulnow != t->lastUp && ulnow > 0) {
        t->touch();
        t->emitSent(ulnow, static_cast<int64_t>(t->req.body->length()));
    }
    t->lastUp = ulnow;
    return t->isDone() ? 1 : 0;
}

void CurlEngine::State::add(const std::shared_ptr<Transfer>& t) {
    if (t->isDone()) return; // cancelled before it reached the network thread
    if (t->req.handleCookies && cookiesBeforeUse) cookiesBeforeUse();
    t->configure(share, noProxy);
    t->lastActivity = SteadyClock::now();
    t->idleLimit = std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(t->idleTimeout()));
    transfers[t->easy] = t;
    curl_multi_add_handle(multi, t->easy);
}

void CurlEngine::State::detach(const std::shared_ptr<Transfer>& t) {
    if (!t->easy) return;
    curl_multi_remove_handle(multi, t->easy);
    transfers.erase(t->easy);
    if (t->ownJar) mergeCookies(share, t->jarBefore, cookieLinesOf(t->easy));
    curl_easy_cleanup(t->easy);
    t->easy = nullptr;
    curl_slist_free_all(t->headerList);
    t->headerList = nullptr;
}

void CurlEngine::State::follow(const std::shared_ptr<Transfer>& t) {
    const long status = t->block.status();
    auto target = URL::fromString(*t->redirectTarget);
    detach(t);
    if (t->sawSetCookie && cookiesChanged) cookiesChanged();
    CURLcode refusal = CURLE_OK;
    if (!target || !target->host()) refusal = CURLE_URL_MALFORMAT;
    else if (auto scheme = str::lowercase(target->scheme().value_or("")); scheme != "http" && scheme != "https")
        refusal = CURLE_UNSUPPORTED_PROTOCOL;
    else if (++t->redirects > MaxRedirects)
        refusal = CURLE_TOO_MANY_REDIRECTS;
    if (refusal != CURLE_OK) {
        t->emitFail(urlError(URLErrorCodeForCurlCode(refusal, true), t->req.url));
        return;
    }
    t->redirectTo(target, status);
    // What belonged to the hop before.
    t->block = HTTPHeaderBlock();
    t->blockIsIntermediate = false;
    t->redirectTarget.reset();
    t->sawSetCookie = false;
    t->ownJar = false;
    t->jarBefore.clear();
    t->authRounds = 0;
    add(t);
}

void CurlEngine::State::complete(CURL* easy, CURLcode result) {
    auto it = transfers.find(easy);
    if (it == transfers.end()) return;
    auto t = it->second;
    if (result == CURLE_OK && t->redirectTarget) return follow(t);
    if (result == CURLE_OK) t->sendResponse();
    detach(t);
    // Stored before the caller hears of the end, so what it does next sees the cookies on disk.
    if (t->sawSetCookie && cookiesChanged) cookiesChanged();
    if (result == CURLE_OK) {
        t->emitFinish();
    } else {
        bool up = networkInterfaceIsUp();
        t->emitFail(urlError(URLErrorCodeForCurlCode(result, up, isLoopbackHost(t->req.url->host())), t->req.url));
    }
}

// Fails transfers idle past their time-out; returns milliseconds until the next one could be due.
int CurlEngine::State::checkIdle() {
    auto now = SteadyClock::now();
    int waitMs = 1000;
    std::vector<std::shared_ptr<Transfer>> expired;
    for (auto& [easy, t] : transfers) {
        if (t->activity != t->activitySeen) {
            t->activitySeen = t->activity;
            t->lastActivity = now;
        }
        auto deadline = t->lastActivity + t->idleLimit;
        if (deadline <= now) {
            expired.push_back(t);
        } else {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
            waitMs = std::min<int>(waitMs, static_cast<int>(ms));
        }
    }
    for (auto& t : expired) {
        detach(t);
        if (t->sawSetCookie && cookiesChanged) cookiesChanged();
        t->emitFail(urlError(URLErrorTimedOut, t->req.url));
    }
    return waitMs;
}

void CurlEngine::State::loop() {
    for (;;) {
        std::vector<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex);
            batch.swap(jobs);
        }
        for (auto& job : batch) job();

        int running = 0;
        curl_multi_perform(multi, &running);
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
            if (msg->msg == CURLMSG_DONE) complete(msg->easy_handle, msg->data.result);
        }
        int waitMs = checkIdle();
        flushOutbox();
        {
            std::lock_guard lock(mutex);
            if (!jobs.empty()) waitMs = 0;
        }
        curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
    }
}

CurlEngine::CurlEngine() : s_(std::make_shared<State>()) {
    curl_global_init(CURL_GLOBAL_ALL);
    s_->multi = curl_multi_init();
    curl_multi_setopt(s_->multi, CURLMOPT_MAX_HOST_CONNECTIONS, MaxHostConnections);
    s_->share = curl_share_init();
    curl_share_setopt(s_->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    std::promise<std::thread::id> started;
    auto id = started.get_future();
    // The network thread lives as long as the process.
    std::thread([s = s_, &started] {
        pthread_setname_np(pthread_self(), "vx.net.curl");
        started.set_value(std::this_thread::get_id());
        s->loop();
    }).detach();
    s_->threadId = id.get();
}

CurlEngine& CurlEngine::shared() {
    static CurlEngine* engine = new CurlEngine();
    return *engine;
}

void CurlEngine::post(std::function<void()> job) { s_->post(std::move(job)); }

bool CurlEngine::isNetworkThread() const { return std::this_thread::get_id() == s_->threadId; }

void CurlEngine::performOn(RunLoop& loop, std::function<void()> work) {
    if (!isNetworkThread()) return loop.perform(std::move(work));
    auto& outbox = s_->outbox;
    auto it = std::find_if(outbox.begin(), outbox.end(), [&](const auto& entry) { return entry.first == &loop; });
    if (it == outbox.end()) it = outbox.insert(outbox.end(), {&loop, {}});
    it->second.push_back(std::move(work));
}

void CurlEngine::runSync(const std::function<void()>& job) {
    if (isNetworkThread()) {
        job();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    s_->post([&] {
        job();
        done.set_value();
    });
    finished.wait();
}

std::shared_ptr<Load> CurlEngine::start(LoadRequest request, std::shared_ptr<LoadClient> client) {
    auto t = std::make_shared<Transfer>(std::move(request), std::move(client), s_);
    auto s = s_;
    s_->post([s, t] { s->add(t); });
    return t;
}

CURLSH* CurlEngine::share() const { return s_->share; }

std::vector<std::string> CurlEngine::cookieLines() const {
    CURL* h = curl_easy_init();
    curl_easy_setopt(h, CURLOPT_SHARE, s_->share);
    auto lines = cookieLinesOf(h);
    curl_easy_cleanup(h);
    return lines;
}

void CurlEngine::setCookieHooks(std::function<void()> beforeUse, std::function<void()> changed) {
    runSync([&] {
        s_->cookiesBeforeUse = std::move(beforeUse);
        s_->cookiesChanged = std::move(changed);
    });
}

} // namespace ns::detail
