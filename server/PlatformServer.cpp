#include "server/PlatformServer.h"

#include "os/foundation/Clock.h"
#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Log.h"
#include "os/foundation/Random.h"
#include "os/foundation/URL.h"
#include "os/foundation/UTF8.h"
#include "server/AcceptGate.h"
#include "server/ScrambledCodec.h"
#include "server/MineArea.h"
#include "server/PayArea.h"
#include "server/ServerState.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <set>

namespace vx::server {

namespace {

const std::set<std::string, std::less<>> kPlainPaths = {
    "Index/adddllog",        "Sdkhome/yzm",          "Mynews/news",           "Userexpand/getptblog",
    "Userexpand/payptblog",  "Sdkhome/getdjqlog",    "Sdkhome/paydjqlog",     "Sdkhome/getstarcoinlog",
    "Sdkhome/paystarcoinlog", "Sdkhome/bookinglist", "Sdkhome/mybookinglist", "Sdkdetail/couponlists",
    "Sdkhome/mycoupon",      "Sdkdetail/fuli",       "Sdkdetail/gameActivity", "Sdkdetail/card",
    "Server/lists2",         "Sdkdetail/gonglue",    "Sdkcomments/get",       "Sdkcomments/listscomments",
    "Sdkcomments/commit",    "Sdkcomments/good",     "Mynews/listnews",       "Walletapp/apppayios",
    "Walletappother/apppayios"};


// A burst of connections waits in the kernel's queue while the server catches up.
constexpr unsigned kListenBacklog = 1024;
constexpr size_t kInflaterBytes = PlatformServer::InflaterBytes;

} // namespace

// One request on its way: the body as it arrives (inflated when the client encoded it), and the
// reply once made.
struct Exchange {
    enum class Stage { Reading, Held, Done };
    Stage stage = Stage::Reading;
    PlatformServer::Limits limit; // as they were when the request began
    std::string method;
    std::string address;                 // the client's
    std::vector<std::string> sessionIds; // of the session cookies the request carried
    std::optional<int> refusal; // answered with this status at the end of the body
    std::string refusalText;
    std::string body;
    size_t rawBytes = 0;
    size_t counted = 0; // bytes of body charged to the server's budget
    std::unique_ptr<z_stream> inflater;
    bool inflateEnded = false;
    std::string contentType;
    // The reply, made before a hold and sent when it is let go.
    int status = 200;
    std::string replyType;
    std::string reply;
    bool drop = false;
    bool dropOnResume = false;
    std::optional<std::string> setCookie;

    ~Exchange() {
        if (inflater) inflateEnd(inflater.get());
    }
};

namespace {

MHD_Result queueText(MHD_Connection* c, int status, const std::string& body, const std::string& type,
                     const std::optional<std::string>& cookie = std::nullopt) {
    MHD_Response* r = MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (!r) return MHD_NO;
    MHD_add_response_header(r, "Content-Type", type.c_str());
    if (cookie) MHD_add_response_header(r, "Set-Cookie", cookie->c_str());
    // One request per connection: an idle keep-alive connection must not hold up stop().
    MHD_add_response_header(r, "Connection", "close");
    MHD_Result done = MHD_queue_response(c, static_cast<unsigned>(status), r);
    MHD_destroy_response(r);
    return done;
}

// Headers promise a body, then the connection closes: a transport failure for the client.
MHD_Result queueDrop(MHD_Connection* c) {
    MHD_Response* r = MHD_create_response_from_callback(
        1, 64, [](void*, uint64_t, char*, size_t) -> ssize_t { return MHD_CONTENT_READER_END_WITH_ERROR; }, nullptr,
        nullptr);
    if (!r) return MHD_NO;
    MHD_add_response_header(r, "Content-Type", "text/html");
    MHD_Result done = MHD_queue_response(c, 200, r);
    MHD_destroy_response(r);
    return done;
}

std::string header(MHD_Connection* c, const char* name) {
    const char* v = MHD_lookup_connection_value(c, MHD_HEADER_KIND, name);
    return v ? v : "";
}

size_t headerCount(MHD_Connection* c, const char* name) {
    struct Count {
        const char* name;
        size_t n;
    } count{name, 0};
    MHD_get_connection_values(
        c, MHD_HEADER_KIND,
        [](void* cls, MHD_ValueKind, const char* key, const char*) -> MHD_Result {
            auto* k = static_cast<Count*>(cls);
            if (strcasecmp(key, k->name) == 0) ++k->n;
            return MHD_YES;
        },
        &count);
    return count.n;
}

std::string lower(std::string v) {
    for (auto& ch : v) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return v;
}

std::string clientAddress(MHD_Connection* c) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char text[INET6_ADDRSTRLEN] = "";
    if (!info || !info->client_addr) return text;
    if (info->client_addr->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(info->client_addr)->sin_addr, text, sizeof text);
    else if (info->client_addr->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(info->client_addr)->sin6_addr, text, sizeof text);
    return text;
}

// The values of the session cookie in the request's Cookie headers, in order.
std::vector<std::string> sessionIds(MHD_Connection* c) {
    std::vector<std::string> ids;
    MHD_get_connection_values(
        c, MHD_HEADER_KIND,
        [](void* cls, MHD_ValueKind, const char* key, const char* value) -> MHD_Result {
            if (strcasecmp(key, "Cookie") != 0 || !value) return MHD_YES;
            std::string_view pairs(value);
            while (!pairs.empty()) {
                size_t end = pairs.find(';');
                std::string_view pair = pairs.substr(0, end);
                pairs = end == std::string_view::npos ? std::string_view() : pairs.substr(end + 1);
                while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
                size_t eq = pair.find('=');
                if (eq != std::string_view::npos && pair.substr(0, eq) == SessionCookie)
                    static_cast<std::vector<std::string>*>(cls)->emplace_back(pair.substr(eq + 1));
            }
            return MHD_YES;
        },
        &ids);
    return ids;
}

} // namespace

std::string text(const ns::Value& v) { return v.stringValue().value_or(""); }

std::string minuteText(long long seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
    return buf;
}

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

namespace {

// Gives back n of the bytes the request holds (all by default).
void releaseBudget(PlatformServer::State& s, Exchange& x, size_t n = SIZE_MAX) {
    n = std::min(n, x.counted);
    if (!n) return;
    std::lock_guard lock(s.budgetMutex);
    s.buffered -= n;
    auto mine = s.bufferedBy.find(x.address);
    if (mine != s.bufferedBy.end() && (mine->second -= n) == 0) s.bufferedBy.erase(mine);
    x.counted -= n;
}

// Takes n more bytes of body into the budgets of the server and of the client's address.
bool charge(PlatformServer::State& s, Exchange& x, size_t n) {
    std::lock_guard lock(s.budgetMutex);
    auto mine = s.bufferedBy.try_emplace(x.address, 0).first;
    if (s.buffered + n > x.limit.maxBufferedBytes || mine->second + n > x.limit.maxBufferedPerAddress) {
        if (mine->second == 0) s.bufferedBy.erase(mine);
        return false;
    }
    s.buffered += n;
    mine->second += n;
    x.counted += n;
    return true;
}

// The answer is known before the body ends: what the body holds goes back at once, and the rest
// of it is read and thrown away.
void refuse(PlatformServer::State& s, Exchange& x, int code, std::string message) {
    if (x.refusal) return;
    x.refusal = code;
    x.refusalText = std::move(message);
    std::string().swap(x.body);
    releaseBudget(s, x);
    if (x.inflater) {
        inflateEnd(x.inflater.get());
        x.inflater.reset();
    }
}

// The first look at a request, once its headers are in: refusals that need no body.
void checkHeaders(PlatformServer::State& s, MHD_Connection* c, Exchange& x) {
    const auto& limit = x.limit;
    if (x.method != "GET" && x.method != "HEAD" && x.method != "POST") return refuse(s, x, 405, "method not allowed");
    if (static_cast<size_t>(MHD_get_connection_values(c, MHD_HEADER_KIND, nullptr, nullptr)) > limit.maxHeaders)
        return refuse(s, x, 431, "too many header lines");
    // Framing that two readers could take two ways is refused, not guessed.
    size_t lengths = headerCount(c, "Content-Length");
    if (lengths > 1 || (lengths == 1 && headerCount(c, "Transfer-Encoding") > 0))
        return refuse(s, x, 400, "ambiguous body length");
    x.contentType = header(c, "Content-Type");
    x.sessionIds = sessionIds(c);
    if (lower(x.contentType).rfind("multipart/", 0) == 0) return refuse(s, x, 415, "multipart bodies are not accepted");
    std::string encoding = lower(header(c, "Content-Encoding"));
    if (encoding.empty() || encoding == "identity") return;
    if (encoding != "gzip" && encoding != "x-gzip" && encoding != "deflate")
        return refuse(s, x, 415, "content encoding not accepted");
    if (!charge(s, x, kInflaterBytes)) return refuse(s, x, 503, "server busy");
    x.inflater = std::make_unique<z_stream>();
    *x.inflater = z_stream{};
    // 47: gzip or zlib, told apart by their headers.
    if (inflateInit2(x.inflater.get(), 47) != Z_OK) {
        x.inflater.reset();
        refuse(s, x, 400, "request body unreadable");
    }
}

// Adds a piece of the body as it arrives. The raw bound holds whatever the framing or encoding;
// the decoded one (a plain body's bytes are its decoded ones) is checked as the body inflates,
// so a small compressed body is refused the moment it grows past it; every byte kept is charged
// to the budgets of the server and of the client's address.
void takeBody(PlatformServer::State& s, Exchange& x, const char* data, size_t length) {
    const auto& limit = x.limit;
    x.rawBytes += length;
    if (x.refusal) return; // read and thrown away: the answer is already known
    size_t rawBound = x.inflater || x.inflateEnded ? limit.maxBodyBytes : std::min(limit.maxBodyBytes, limit.maxDecodedBytes);
    if (x.rawBytes > rawBound) return refuse(s, x, 413, "request body over " + std::to_string(rawBound) + " bytes");
    if (!x.inflater) {
        if (x.inflateEnded) return refuse(s, x, 400, "request body unreadable"); // bytes past the stream's end
        if (!charge(s, x, length)) return refuse(s, x, 503, "server busy");
        x.body.append(data, length);
        return;
    }
    z_stream& z = *x.inflater;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = static_cast<uInt>(length);
    char buffer[16384];
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        int status = inflate(&z, Z_NO_FLUSH);
        size_t produced = sizeof buffer - z.avail_out;
        if (x.body.size() + produced > limit.maxDecodedBytes)
            return refuse(s, x, 413, "request body over " + std::to_string(limit.maxDecodedBytes) + " bytes decoded");
        if (!charge(s, x, produced)) return refuse(s, x, 503, "server busy");
        x.body.append(buffer, produced);
        if (status == Z_STREAM_END) {
            bool trailing = z.avail_in > 0;
            inflateEnd(x.inflater.get());
            x.inflater.reset();
            releaseBudget(s, x, kInflaterBytes);
            x.inflateEnded = true;
            if (trailing) refuse(s, x, 400, "request body unreadable"); // bytes past the stream's end
            return;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) return refuse(s, x, 400, "request body unreadable");
        if (z.avail_out != 0) return; // all the input taken: the rest comes with the next piece
    }
}

MHD_Result answerGet(PlatformServer::State& s, MHD_Connection* c, const std::string& path) {
    std::unique_lock lock(s.mutex);
    auto it = s.files.find(path);
    if (it != s.files.end()) {
        auto [bytes, type] = it->second;
        lock.unlock();
        return queueText(c, 200, bytes, type);
    }
    std::map<std::string, std::string> query;
    MHD_get_connection_values(
        c, MHD_GET_ARGUMENT_KIND,
        [](void* cls, MHD_ValueKind, const char* key, const char* value) -> MHD_Result {
            (*static_cast<std::map<std::string, std::string>*>(cls))[key] = value ? value : "";
            return MHD_YES;
        },
        &query);
    std::optional<Page> page = answerPayPage(s, path, query, header(c, "Referer"));
    if (!page) page = answerMinePage(s, path, query);
    lock.unlock();
    if (!page) return queueText(c, 404, "not found", "text/plain");
    return queueText(c, 200, page->body, page->contentType);
}

MHD_Result onRequest(void* cls, MHD_Connection* c, const char* url, const char* method, const char*,
                     const char* upload, size_t* uploadSize, void** context) {
    auto& s = *static_cast<PlatformServer::State*>(cls);
    auto* x = static_cast<Exchange*>(*context);
    if (!x) {
        x = new Exchange;
        *context = x;
        {
            std::lock_guard lock(s.mutex);
            x->limit = s.limits;
        }
        x->method = method;
        x->address = clientAddress(c);
        checkHeaders(s, c, *x);
        return MHD_YES;
    }
    if (x->stage == Exchange::Stage::Held) {
        // Let go by releaseHeld() or by stop().
        x->stage = Exchange::Stage::Done;
        if (x->drop || x->dropOnResume) return queueDrop(c);
        return queueText(c, x->status, x->reply, x->replyType, x->setCookie);
    }
    if (x->stage == Exchange::Stage::Done) return MHD_YES;
    if (*uploadSize) {
        takeBody(s, *x, upload, *uploadSize);
        *uploadSize = 0;
        return MHD_YES;
    }
    // The whole body is in.
    x->stage = Exchange::Stage::Done;
    if (!x->refusal && x->inflater) refuse(s, *x, 400, "request body unreadable"); // the stream never ended
    if (x->refusal) return queueText(c, *x->refusal, x->refusalText, "text/plain");
    std::string path = url ? url : "";
    if (x->method != "POST") {
        releaseBudget(s, *x);
        return answerGet(s, c, path);
    }
    std::string_view base(PlatformServer::BasePath);
    if (path.rfind(base, 0) != 0 || path.size() == base.size()) {
        releaseBudget(s, *x);
        return queueText(c, 404, "no such endpoint", "text/plain");
    }
    s.serve(c, *x, path.substr(base.size()));
    releaseBudget(s, *x);
    if (x->stage == Exchange::Stage::Held) return MHD_YES; // suspended until let go
    if (x->drop) return queueDrop(c);
    return queueText(c, x->status, x->reply, x->replyType, x->setCookie);
}

void onCompleted(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    auto* x = static_cast<Exchange*>(*context);
    if (!x) return;
    releaseBudget(*static_cast<PlatformServer::State*>(cls), *x);
    delete x;
    *context = nullptr;
}

void onConnection(void* cls, MHD_Connection* c, void**, MHD_ConnectionNotificationCode code) {
    auto& s = *static_cast<PlatformServer::State*>(cls);
    std::lock_guard lock(s.connMutex);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
        int fd = info ? info->connect_fd : -1;
        // The deadline counts from the accept, time spent at the gate included.
        auto start = std::chrono::steady_clock::now();
        if (auto at = s.acceptedAt.find(fd); at != s.acceptedAt.end()) {
            start = at->second;
            s.acceptedAt.erase(at);
        }
        s.open[c] = {fd, start, false, false};
    } else {
        s.open.erase(c);
    }
}

// Cuts every connection past the whole-request deadline, however steadily it trickles. The
// socket is shut down, not closed: the server closes it as it would any connection the client ended.
void reap(PlatformServer::State& s, double seconds) {
    auto deadline = std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    auto tick = std::min<std::chrono::steady_clock::duration>(std::chrono::milliseconds(100), deadline / 4 + std::chrono::milliseconds(1));
    std::unique_lock lock(s.connMutex);
    while (!s.reaperStop) {
        s.reaperWake.wait_for(lock, tick);
        auto now = std::chrono::steady_clock::now();
        for (auto& [c, o] : s.open) {
            if (o.held || o.cut || o.fd < 0 || now - o.start < deadline) continue;
            ::shutdown(o.fd, SHUT_RDWR);
            o.cut = true;
        }
    }
}

} // namespace

PlatformServer::PlatformServer() : s_(std::make_unique<State>()) {}

void PlatformServer::State::serve(MHD_Connection* c, Exchange& x, const std::string& path) {
    bool plain = isPlainPath(path);
    size_t maxDecoded = x.limit.maxDecodedBytes;
    bool tooLarge = false;
    size_t decodedBytes = 0;
    ns::Value params = plain ? decodeForm(x.body)
                             : decodeRequest(std::string_view(x.body), maxDecoded, &tooLarge, &decodedBytes);
    if (tooLarge) {
        x.status = 413;
        x.reply = "request body over " + std::to_string(maxDecoded) + " bytes decoded";
        x.replyType = "text/plain";
        return;
    }
    std::optional<Scripted> scripted;
    ns::Value reply;
    bool hold = false;
    {
        std::unique_lock lock(mutex);
        caller = Caller{x.address, {}, {x.sessionIds.begin(), x.sessionIds.end()}, std::nullopt};
        for (const auto& id : x.sessionIds)
            if (caller.account.empty()) caller.account = sessionAccount(*this, id);
        logRequest({path, !plain, params, std::move(x.body), x.contentType, caller.account}, decodedBytes);
        if (auto q = queued.find(path); q != queued.end() && !q->second.empty()) {
            scripted = std::move(q->second.front());
            q->second.pop_front();
        } else if (auto it = scripts.find(path); it != scripts.end()) {
            scripted = it->second;
        } else {
            reply = answer(path, params);
            x.setCookie = caller.setCookie;
        }
        caller = Caller{};
        if (auto h = holdNext.find(path); h != holdNext.end() && h->second > 0) {
            --h->second;
            hold = true;
        }
    }
    x.body = std::string();
    if (!scripted) {
        if (reply.isNil()) {
            x.status = 404;
            x.reply = "no such endpoint";
            x.replyType = "text/plain";
        } else {
            scripted = Scripted{};
            scripted->json = reply;
            scripted->contentType = plain ? "application/json" : "text/html";
        }
    }
    if (scripted && scripted->drop) {
        x.drop = true;
    } else if (scripted) {
        x.status = scripted->status;
        x.replyType = scripted->contentType;
        if (scripted->rawBody) {
            x.reply = std::move(*scripted->rawBody);
        } else {
            std::string json;
            if (scripted->jsonText) {
                json = *scripted->jsonText;
            } else if (auto written = ns::JSONSerialization::write(scripted->json.value_or(ns::Value()))) {
                json = written->toString();
            }
            if (plain) {
                x.reply = std::move(json);
            } else {
                auto encoded = encodeReplyText(json);
                x.reply = encoded ? encoded->toString() : std::string();
            }
        }
    }
    if (!hold) return;
    // Held: the connection sleeps until releaseHeld() or stop() wakes it with the reply made here.
    std::lock_guard lock(mutex);
    x.stage = Exchange::Stage::Held;
    if (stopping) {
        x.dropOnResume = true;
        x.stage = Exchange::Stage::Done;
        x.drop = true;
        return;
    }
    ++held;
    {
        std::lock_guard open_(connMutex);
        if (auto o = open.find(c); o != open.end()) o->second.held = true;
    }
    MHD_suspend_connection(c);
    heldExchanges.emplace_back(c, &x);
}

void PlatformServer::State::logRequest(Received r, size_t decodedBytes) {
    size_t weight = std::max(r.rawBody.size(), decodedBytes);
    receivedBytes += weight;
    receivedWeights.push_back(weight);
    received.push_back(std::move(r));
    trimLog();
}

void PlatformServer::State::trimLog() {
    while (!received.empty() &&
           (received.size() > limits.requestLogCount || receivedBytes > limits.requestLogBytes)) {
        receivedBytes -= receivedWeights.front();
        receivedWeights.pop_front();
        received.pop_front();
    }
}

PlatformServer::~PlatformServer() { stop(); }

bool PlatformServer::start(int port) {
    if (s_->daemon) return true;
    Limits limit = limits();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener < 0) return false;
    int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, kListenBacklog) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        return false;
    }
    {
        std::lock_guard lock(s_->mutex);
        s_->stopping = false;
    }
    // The gate accepts and hands each connection on once its request head is in.
    MHD_Daemon* d = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_NO_LISTEN_SOCKET, 0, nullptr,
        nullptr, &onRequest, s_.get(), MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(std::max<size_t>(1, limit.maxThreads)),
        MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(limit.maxConnections), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        limit.maxHeaderBytes, MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(std::max(1, limit.readTimeoutSeconds)),
        MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, s_.get(), MHD_OPTION_NOTIFY_CONNECTION, &onConnection, s_.get(),
        MHD_OPTION_END);
    if (!d) {
        ::close(listener);
        return false;
    }
    s_->daemon = d;
    s_->port = ntohs(address.sin_port);
    {
        std::lock_guard lock(s_->connMutex);
        s_->reaperStop = false;
    }
    s_->reaper = std::thread([this, seconds = limit.requestSeconds] { reap(*s_, seconds); });
    AcceptGate::Options gate;
    gate.listenSocket = listener;
    gate.maxHeadBytes = limit.maxHeaderBytes;
    gate.maxBodyBytes = limit.maxBodyBytes;
    gate.silentSeconds = std::max(1, limit.readTimeoutSeconds);
    gate.headSeconds = limit.requestSeconds;
    gate.maxConnections = limit.maxConnections;
    gate.openBeyond = [state = s_.get()] {
        std::lock_guard lock(state->connMutex);
        return state->open.size() + state->acceptedAt.size();
    };
    gate.handOn = [state = s_.get()](int fd, const sockaddr_storage& from, socklen_t fromLength,
                                     std::chrono::steady_clock::time_point accepted) {
        {
            std::lock_guard lock(state->connMutex);
            state->acceptedAt[fd] = accepted;
        }
        if (MHD_add_connection(state->daemon, fd, reinterpret_cast<const sockaddr*>(&from), fromLength) != MHD_YES) {
            std::lock_guard lock(state->connMutex);
            state->acceptedAt.erase(fd);
        }
    };
    s_->gate = std::make_unique<AcceptGate>(std::move(gate));
    return true;
}

void PlatformServer::stop() {
    if (!s_->daemon) return;
    // No new connections; those still at the gate are closed.
    s_->gate->stop();
    {
        std::lock_guard lock(s_->mutex);
        s_->stopping = true;
        s_->held = 0;
        // Held replies are dropped: the connections wake only to close.
        for (auto& [c, x] : s_->heldExchanges) {
            x->dropOnResume = true;
            MHD_resume_connection(c);
        }
        s_->heldExchanges.clear();
    }
    {
        std::lock_guard lock(s_->connMutex);
        s_->reaperStop = true;
    }
    s_->reaperWake.notify_all();
    s_->reaper.join();
    // Closes every connection at once, however slow its client.
    MHD_stop_daemon(s_->daemon);
    s_->daemon = nullptr;
    s_->gate.reset();
    std::lock_guard lock(s_->connMutex);
    s_->acceptedAt.clear();
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
        // Counted out here, not by the woken connections: a reply let go but not yet sent must
        // not pass for one held later.
        s_->held = 0;
        for (auto& [c, x] : s_->heldExchanges) {
            {
                std::lock_guard open(s_->connMutex);
                // The deadline starts again for sending the reply.
                if (auto o = s_->open.find(c); o != s_->open.end()) {
                    o->second.held = false;
                    o->second.start = std::chrono::steady_clock::now();
                }
            }
            MHD_resume_connection(c);
        }
        s_->heldExchanges.clear();
    }
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
    s_->receivedWeights.clear();
    s_->receivedBytes = 0;
}

void PlatformServer::setLimits(const Limits& limits) {
    std::lock_guard lock(s_->mutex);
    s_->limits = limits;
    if (s_->gate) s_->gate->setMaxBodyBytes(limits.maxBodyBytes);
    s_->trimLog();
    // Codes already sent stay (a lower cap only keeps new phones out); counts of addresses and
    // proposed names are dropped, the oldest first.
    s_->codeAddresses.trim(limits.codeAddresses);
    s_->registerAddresses.trim(limits.codeAddresses);
    s_->loginArea.proposedNames.trim(limits.proposedNames);
}

size_t PlatformServer::inFlightBytes() const {
    std::lock_guard lock(s_->budgetMutex);
    return s_->buffered;
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
    const SentCode* sent = pendingCode(*s_, phone);
    if (!sent) return std::nullopt;
    return sent->code;
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

} // namespace vx::server
