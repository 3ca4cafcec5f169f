#include "server/PlatformServer.h"

#include "os/foundation/Clock.h"
#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Log.h"
#include "os/foundation/Random.h"
#include "os/foundation/URL.h"
#include "server/ScrambledCodec.h"
#include "server/PayArea.h"
#include "server/ServerState.h"

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

ns::Value formDecode(const std::string& body) {
    ns::Dictionary out;
    auto url = ns::URL::fromString("http://form/?" + body);
    if (!url) return out;
    for (const auto& item : url->queryItems()) out.set(item.name, item.value ? ns::Value(*item.value) : ns::Value(""));
    return out;
}

} // namespace

std::string text(const ns::Value& v) { return v.stringValue().value_or(""); }

bool isPlainPath(std::string_view path) { return kPlainPaths.count(path) > 0; }

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
            res.status = 404;
            res.set_content("not found", "text/plain");
            return;
        }
        res.set_content(it->second.first, it->second.second.c_str());
    });
    s_->http.Post(R"(/sdkapicoupon2/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
        // httplib would compress text replies on its own and add a Content-Encoding header; the
        // platform's replies are gzip already and must go out exactly as encoded.
        const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
        std::string path = req.matches[1];
        bool plain = isPlainPath(path);
        ns::Value params = plain ? formDecode(req.body) : decodeRequest(ns::Data::fromString(req.body));
        std::optional<Scripted> scripted;
        ns::Value reply;
        {
            std::unique_lock lock(s_->mutex);
            s_->received.push_back({path, !plain, params, req.body, req.get_header_value("Content-Type")});
            if (auto q = s_->queued.find(path); q != s_->queued.end() && !q->second.empty()) {
                scripted = std::move(q->second.front());
                q->second.pop_front();
            } else if (auto it = s_->scripts.find(path); it != s_->scripts.end()) {
                scripted = it->second;
            } else {
                reply = s_->answer(path, params);
            }
            if (auto h = s_->holdNext.find(path); h != s_->holdNext.end() && h->second > 0) {
                --h->second;
                uint64_t generation = s_->releaseGeneration;
                ++s_->held;
                s_->released.wait(lock, [&] { return s_->stopping || s_->releaseGeneration != generation; });
                --s_->held;
                if (s_->stopping) {
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
        std::string body;
        if (scripted->rawBody) {
            body = *scripted->rawBody;
        } else {
            std::string json;
            if (scripted->jsonText) {
                json = *scripted->jsonText;
            } else if (auto written = ns::JSONSerialization::write(scripted->json.value_or(ns::Value()))) {
                json = written->toString();
            }
            if (plain) {
                body = json;
            } else {
                auto encoded = encodeReplyText(json);
                body = encoded ? encoded->toString() : std::string();
            }
        }
        res.set_content(body, scripted->contentType.c_str());
    });
    // One request per connection: an idle keep-alive connection of the client must not hold up stop().
    s_->http.set_keep_alive_max_count(1);
}

PlatformServer::~PlatformServer() { stop(); }

bool PlatformServer::start(int port) {
    if (s_->thread.joinable()) return true;
    int bound = port ? (s_->http.bind_to_port("127.0.0.1", port) ? port : -1) : s_->http.bind_to_any_port("127.0.0.1");
    if (bound <= 0) return false;
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
    }
    s_->released.notify_all();
}

size_t PlatformServer::heldCount() const {
    std::lock_guard lock(s_->mutex);
    return s_->held;
}

std::vector<PlatformServer::Received> PlatformServer::requests(std::string_view path) const {
    std::lock_guard lock(s_->mutex);
    if (path.empty()) return s_->received;
    std::vector<Received> out;
    for (const auto& r : s_->received)
        if (r.path == path) out.push_back(r);
    return out;
}

void PlatformServer::clearRequests() {
    std::lock_guard lock(s_->mutex);
    s_->received.clear();
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
