#include "server/PlatformServer.h"

#include "os/foundation/Clock.h"
#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Log.h"
#include "os/foundation/Random.h"
#include "os/foundation/URL.h"
#include "os/foundation/UTF8.h"
#include "server/ScrambledCodec.h"
#include "server/MineArea.h"
#include "server/PayArea.h"
#include "server/ServerState.h"

#include <sys/socket.h>

#include <ctime>
#include <set>

namespace server {

namespace {

const std::set<std::string, std::less<>> kPlainPaths = {
    "Index/adddllog",        "Sdkhome/yzm",          "Mynews/news",           "Userexpand/getptblog",
    "Userexpand/payptblog",  "Sdkhome/getdjqlog",    "Sdkhome/paydjqlog",     "Sdkhome/getstarcoinlog",
    "Sdkhome/paystarcoinlog", "Sdkhome/bookinglist", "Sdkhome/mybookinglist", "Sdkdetail/couponlists",
    "Sdkhome/mycoupon",      "Sdkdetail/fuli",       "Sdkdetail/gameActivity", "Sdkdetail/card",
    "Server/lists2",         "Sdkdetail/gonglue",    "Sdkcomments/get",       "Sdkcomments/listscomments",
    "Sdkcomments/commit",    "Sdkcomments/good",     "Mynews/listnews",       "Walletapp/apppayios",
    "Walletappother/apppayios"};


// Serves connections on threads made as the load needs them, up to a bound; connections beyond it
// wait in the queue. Slow clients hold one thread each, so many of them no longer stop the service.
class GrowingPool : public httplib::TaskQueue {
public:
    explicit GrowingPool(size_t maxThreads) : max_(std::max<size_t>(1, maxThreads)) {}
    ~GrowingPool() override { shutdown(); }

    void enqueue(std::function<void()> fn) override {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(fn));
        // Every waiting connection gets a thread of its own while the bound allows.
        if (jobs_.size() > idle_ && threads_.size() < max_) threads_.emplace_back([this] { work(); });
        ready_.notify_one();
    }
    void shutdown() override {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            stopping_ = true;
        }
        ready_.notify_all();
        for (auto& t : threads_) t.join();
    }

private:
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ++idle_;
            ready_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
            --idle_;
            if (jobs_.empty()) return; // stopping, and nothing left to serve
            auto job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
    }

    const size_t max_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    size_t idle_ = 0;
    bool stopping_ = false;
};

// A burst of connections waits in the kernel's queue while the acceptor catches up.
constexpr int kListenBacklog = 1024;

void refuse(httplib::Response& res, int status, const std::string& message) {
    res.status = status;
    res.set_content(message, "text/plain");
}

} // namespace

std::string text(const ns::Value& v) { return v.stringValue().value_or(""); }

bool isPlainPath(std::string_view path) { return kPlainPaths.count(path) > 0; }

namespace {

// "+" is a space, "%XX" a byte; a broken escape stays as written.
std::string formUnescape(std::string_view text) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

ns::Value decodeForm(std::string_view body) {
    ns::Dictionary out;
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string_view::npos) end = body.size();
        std::string_view pair = body.substr(start, end - start);
        start = end + 1;
        if (pair.empty()) continue;
        size_t eq = pair.find('=');
        std::string name = formUnescape(pair.substr(0, eq));
        std::string value = eq == std::string_view::npos ? std::string() : formUnescape(pair.substr(eq + 1));
        // A pair that is not UTF-8 text once unescaped is unreadable: it is left out.
        if (ns::utf8::isValid(name) && ns::utf8::isValid(value)) out.set(std::move(name), std::move(value));
    }
    return out;
}

ns::Value PlatformServer::State::answer(const std::string& path, const ns::Value& p) {
    for (auto area : {answerPay, answerWelfare, answerComments, answerCoupons, answerMine})
        if (ns::Value reply = area(*this, path, p); !reply.isNil()) return reply;
    return answerLogin(path, p);
}

PlatformServer::PlatformServer() : s_(std::make_unique<State>()) {
    s_->http.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(s_->mutex);
        auto it = s_->files.find(req.path);
        if (it == s_->files.end()) {
            std::map<std::string, std::string> query(req.params.begin(), req.params.end());
            if (auto page = answerPayPage(*s_, req.path, query, req.get_header_value("Referer"))) {
                res.set_content(page->body, page->contentType.c_str());
                return;
            }
            if (auto page = answerMinePage(*s_, req.path, query)) {
                res.set_content(page->body, page->contentType.c_str());
                return;
            }
            res.status = 404;
            res.set_content("not found", "text/plain");
            return;
        }
        res.set_content(it->second.first, it->second.second.c_str());
    });
    // Only GET and POST are served; any other method would have its body read whole before routing.
    s_->http.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET" || req.method == "HEAD" || req.method == "POST") {
            if (!req.is_multipart_form_data()) return httplib::Server::HandlerResponse::Unhandled;
            refuse(res, 415, "multipart bodies are not accepted");
            return httplib::Server::HandlerResponse::Handled;
        }
        refuse(res, 405, "method not allowed");
        return httplib::Server::HandlerResponse::Handled;
    });
    // The body is read here, within the limits, instead of whole by the HTTP library (which would
    // also refuse form bodies over 8 kB before any handler ran).
    s_->http.Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res,
                                  const httplib::ContentReader& reader) {
        Limits limit = limits();
        bool encoded = req.has_header("Content-Encoding");
        size_t bound = encoded ? limit.maxDecodedBytes : limit.maxBodyBytes;
        std::string body;
        bool overLimit = false;
        bool read = reader([&](const char* data, size_t length) {
            if (body.size() + length > bound) return !(overLimit = true);
            body.append(data, length);
            return true;
        });
        if (overLimit || res.status == 413) {
            refuse(res, 413, encoded ? "request body over " + std::to_string(limit.maxDecodedBytes) + " bytes decoded"
                                     : "request body over " + std::to_string(limit.maxBodyBytes) + " bytes");
            return;
        }
        if (!read) {
            refuse(res, res.status == 415 ? 415 : 400, "request body unreadable");
            return;
        }
        if (req.path.rfind(BasePath, 0) != 0 || req.path.size() == std::string_view(BasePath).size()) {
            refuse(res, 404, "no such endpoint");
            return;
        }
        s_->serve(req, res, req.path.substr(std::string_view(BasePath).size()), std::move(body));
    });
    // One request per connection: an idle keep-alive connection of the client must not hold up stop().
    s_->http.set_keep_alive_max_count(1);
}

void PlatformServer::State::serve(const httplib::Request& req, httplib::Response& res, const std::string& path,
                                  std::string body) {
    // httplib would compress text replies on its own and add a Content-Encoding header; the
    // platform's replies are gzip already and must go out exactly as encoded.
    const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
    bool plain = isPlainPath(path);
    size_t maxDecoded;
    {
        std::lock_guard lock(mutex);
        maxDecoded = limits.maxDecodedBytes;
    }
    bool tooLarge = false;
    ns::Value params = plain ? decodeForm(body)
                             : decodeRequest(ns::Data::fromString(body), maxDecoded, &tooLarge);
    if (tooLarge) {
        refuse(res, 413, "request body over " + std::to_string(maxDecoded) + " bytes decoded");
        return;
    }
    std::optional<Scripted> scripted;
    ns::Value reply;
    {
        std::unique_lock lock(mutex);
        logRequest({path, !plain, params, std::move(body), req.get_header_value("Content-Type")});
        if (auto q = queued.find(path); q != queued.end() && !q->second.empty()) {
            scripted = std::move(q->second.front());
            q->second.pop_front();
        } else if (auto it = scripts.find(path); it != scripts.end()) {
            scripted = it->second;
        } else {
            reply = answer(path, params);
        }
        if (auto h = holdNext.find(path); h != holdNext.end() && h->second > 0) {
            --h->second;
            uint64_t generation = releaseGeneration;
            ++held;
            released.wait(lock, [&] { return stopping || releaseGeneration != generation; });
            if (stopping) {
                if (!scripted) scripted = Scripted{};
                scripted->drop = true;
            }
        }
    }
    if (!scripted) {
        if (reply.isNil()) {
            res.status = 404;
            res.set_content("no such endpoint", "text/plain");
            return;
        }
        scripted = Scripted{};
        scripted->json = reply;
        scripted->contentType = plain ? "application/json" : "text/html";
    }
    if (scripted->drop) {
        res.set_content_provider(1, "text/html", [](size_t, size_t, httplib::DataSink&) { return false; });
        return;
    }
    res.status = scripted->status;
    std::string out;
    if (scripted->rawBody) {
        out = *scripted->rawBody;
    } else {
        std::string json;
        if (scripted->jsonText) {
            json = *scripted->jsonText;
        } else if (auto written = ns::JSONSerialization::write(scripted->json.value_or(ns::Value()))) {
            json = written->toString();
        }
        if (plain) {
            out = json;
        } else {
            auto encoded = encodeReplyText(json);
            out = encoded ? encoded->toString() : std::string();
        }
    }
    res.set_content(out, scripted->contentType.c_str());
}

void PlatformServer::State::logRequest(Received r) {
    receivedBytes += r.rawBody.size();
    received.push_back(std::move(r));
    trimLog();
}

void PlatformServer::State::trimLog() {
    while (!received.empty() &&
           (received.size() > limits.requestLogCount || receivedBytes > limits.requestLogBytes)) {
        receivedBytes -= received.front().rawBody.size();
        received.pop_front();
    }
}

PlatformServer::~PlatformServer() { stop(); }

bool PlatformServer::start(int port) {
    if (s_->thread.joinable()) return true;
    Limits limit = limits();
    s_->http.new_task_queue = [max = limit.maxThreads] { return new GrowingPool(max); };
    s_->http.set_read_timeout(limit.readTimeoutSeconds, 0);
    s_->http.set_payload_max_length(limit.maxBodyBytes);
    s_->http.set_socket_options([this](int sock) {
        httplib::default_socket_options(sock);
        s_->listenSocket = sock;
    });
    int bound = port ? (s_->http.bind_to_port("127.0.0.1", port) ? port : -1) : s_->http.bind_to_any_port("127.0.0.1");
    if (bound <= 0) return false;
    // The library listens with a backlog of 5; listening again on the socket raises it.
    if (s_->listenSocket >= 0) ::listen(s_->listenSocket, kListenBacklog);
    s_->port = bound;
    {
        std::lock_guard lock(s_->mutex);
        s_->stopping = false;
    }
    s_->thread = std::thread([this] { s_->http.listen_after_bind(); });
    // stop() only works once the accept loop runs; connections made before then wait in the backlog.
    while (!s_->http.is_running()) std::this_thread::yield();
    return true;
}

void PlatformServer::stop() {
    if (!s_->thread.joinable()) return;
    {
        std::lock_guard lock(s_->mutex);
        s_->stopping = true;
        s_->held = 0;
    }
    s_->released.notify_all();
    s_->http.stop();
    s_->thread.join();
}

int PlatformServer::port() const { return s_->port; }
std::string PlatformServer::host() const { return "http://127.0.0.1:" + std::to_string(s_->port); }

void PlatformServer::script(const std::string& path, Scripted reply) {
    std::lock_guard lock(s_->mutex);
    s_->scripts[path] = std::move(reply);
}

void PlatformServer::scriptNext(const std::string& path, Scripted reply) {
    std::lock_guard lock(s_->mutex);
    s_->queued[path].push_back(std::move(reply));
}

void PlatformServer::clearScripts() {
    std::lock_guard lock(s_->mutex);
    s_->scripts.clear();
    s_->queued.clear();
    s_->holdNext.clear();
}

void PlatformServer::holdNext(const std::string& path) {
    std::lock_guard lock(s_->mutex);
    ++s_->holdNext[path];
}

void PlatformServer::releaseHeld() {
    {
        std::lock_guard lock(s_->mutex);
        ++s_->releaseGeneration;
        // Counted out here, not by the woken threads: a reply let go but not yet sent must not
        // pass for one held later.
        s_->held = 0;
    }
    s_->released.notify_all();
}

size_t PlatformServer::heldCount() const {
    std::lock_guard lock(s_->mutex);
    return s_->held;
}

std::vector<PlatformServer::Received> PlatformServer::requests(std::string_view path) const {
    std::lock_guard lock(s_->mutex);
    if (path.empty()) return {s_->received.begin(), s_->received.end()};
    std::vector<Received> out;
    for (const auto& r : s_->received)
        if (r.path == path) out.push_back(r);
    return out;
}

void PlatformServer::clearRequests() {
    std::lock_guard lock(s_->mutex);
    s_->received.clear();
    s_->receivedBytes = 0;
}

void PlatformServer::setLimits(const Limits& limits) {
    std::lock_guard lock(s_->mutex);
    s_->limits = limits;
    s_->trimLog();
}

PlatformServer::Limits PlatformServer::limits() const {
    std::lock_guard lock(s_->mutex);
    return s_->limits;
}

void PlatformServer::addAccount(const std::string& name, const std::string& password, const std::string& phone) {
    std::lock_guard lock(s_->mutex);
    auto& a = s_->accounts[name];
    a.password = password;
    a.phone = phone;
}

std::optional<PlatformServer::Account> PlatformServer::account(const std::string& name) const {
    std::lock_guard lock(s_->mutex);
    auto it = s_->accounts.find(name);
    if (it == s_->accounts.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> PlatformServer::smsCode(const std::string& phone) const {
    std::lock_guard lock(s_->mutex);
    auto it = s_->smsCodes.find(phone);
    if (it == s_->smsCodes.end()) return std::nullopt;
    return it->second;
}

void PlatformServer::setNotice(const std::string& id, const std::string& content, int status) {
    std::lock_guard lock(s_->mutex);
    s_->notice = ns::Dictionary{{"id", id}, {"content", content}, {"status", status}};
}

void PlatformServer::setMinorDailyLimit(long seconds) {
    std::lock_guard lock(s_->mutex);
    s_->minorLimit = seconds;
}

std::vector<ns::Value> PlatformServer::roles() const {
    std::lock_guard lock(s_->mutex);
    return s_->roles;
}

void PlatformServer::withState(const std::function<void(State&)>& f) {
    std::lock_guard lock(s_->mutex);
    f(*s_);
}

void PlatformServer::serveFile(const std::string& path, std::string bytes, const std::string& contentType) {
    std::lock_guard lock(s_->mutex);
    s_->files[path] = {std::move(bytes), contentType};
}

} // namespace server
