#include "server/AcceptGate.h"

#include "os/foundation/Strings.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <map>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace vx::server {

namespace {

using Clock = std::chrono::steady_clock;

// How long a refused connection is drained before it is closed: closing with unread bytes would
// reset it and could take the refusal with it.
constexpr auto kDrainTime = std::chrono::seconds(1);

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string_view trimmed(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r')) v.remove_suffix(1);
    return v;
}

// Where the head ends (just past its empty line), or npos while it has not.
size_t headEnd(std::string_view bytes) {
    for (size_t at = bytes.find('\n'); at != std::string_view::npos; at = bytes.find('\n', at + 1)) {
        if (at + 1 < bytes.size() && bytes[at + 1] == '\n') return at + 2;
        if (at + 2 < bytes.size() && bytes[at + 1] == '\r' && bytes[at + 2] == '\n') return at + 3;
    }
    return std::string_view::npos;
}

} // namespace

AcceptGate::Verdict AcceptGate::judge(std::string_view head, size_t maxBodyBytes) {
    size_t start = head.find('\n'); // past the request line
    while (start != std::string_view::npos && start + 1 < head.size()) {
        size_t end = head.find('\n', start + 1);
        std::string_view line = head.substr(start + 1, end == std::string_view::npos ? std::string_view::npos : end - start - 1);
        start = end;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || !equalsIgnoringCase(trimmed(line.substr(0, colon)), "Content-Length")) continue;
        std::string_view value = trimmed(line.substr(colon + 1));
        if (!ns::str::isDigits(value)) return {400, "request body length unreadable"};
        uint64_t length = 0;
        // Past 64 bits: no body can be that long.
        if (std::from_chars(value.data(), value.data() + value.size(), length).ec == std::errc::result_out_of_range)
            return {413, "request body length too large"};
        if (length > maxBodyBytes)
            return {413, "request body over " + std::to_string(maxBodyBytes) + " bytes"};
    }
    return {};
}

struct AcceptGate::Impl {
    Options options;
    int epoll = -1;
    int wake = -1;
    std::thread thread;
    std::atomic<size_t> maxBodyBytes{0};

    struct Held {
        sockaddr_storage address{};
        socklen_t length = 0;
        Clock::time_point accepted, lastData;
        size_t seen = 0;
        bool draining = false; // refused: read and dropped until the client closes or time is up
    };
    std::map<int, Held> held; // the gate thread's own

    void run();
    void accept();
    void look(int fd, Held& h, Clock::time_point now);
    void refuse(int fd, Held& h, const Verdict& verdict, Clock::time_point now);
    void close(int fd) {
        ::epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
        ::close(fd);
        held.erase(fd);
    }
};

AcceptGate::AcceptGate(Options options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
    impl_->maxBodyBytes = impl_->options.maxBodyBytes;
    impl_->epoll = ::epoll_create1(EPOLL_CLOEXEC);
    impl_->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epoll_event listen{};
    listen.events = EPOLLIN;
    listen.data.fd = impl_->options.listenSocket;
    ::epoll_ctl(impl_->epoll, EPOLL_CTL_ADD, impl_->options.listenSocket, &listen);
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.fd = impl_->wake;
    ::epoll_ctl(impl_->epoll, EPOLL_CTL_ADD, impl_->wake, &wake);
    impl_->thread = std::thread([this] { impl_->run(); });
}

AcceptGate::~AcceptGate() { stop(); }

void AcceptGate::stop() {
    if (!impl_->thread.joinable()) return;
    uint64_t one = 1;
    (void)!::write(impl_->wake, &one, sizeof one);
    impl_->thread.join();
    for (auto& [fd, h] : impl_->held) ::close(fd);
    impl_->held.clear();
    ::close(impl_->options.listenSocket);
    ::close(impl_->wake);
    ::close(impl_->epoll);
}

void AcceptGate::setMaxBodyBytes(size_t bytes) { impl_->maxBodyBytes = bytes; }

void AcceptGate::Impl::run() {
    std::vector<epoll_event> events(256);
    for (;;) {
        // Wake for the nearest deadline of a held connection.
        auto now = Clock::now();
        auto next = now + std::chrono::seconds(1);
        auto silent = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.silentSeconds));
        auto whole = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.headSeconds));
        for (const auto& [fd, h] : held)
            next = std::min(next, h.draining ? h.lastData + kDrainTime : std::min(h.lastData + silent, h.accepted + whole));
        int wait = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count()) + 1;
        int n = ::epoll_wait(epoll, events.data(), static_cast<int>(events.size()), std::max(0, wait));
        if (n < 0 && errno != EINTR) return;
        now = Clock::now();
        for (int i = 0; i < n; ++i) {
            int fd = events[i].data.fd;
            if (fd == wake) return;
            if (fd == options.listenSocket) {
                accept();
                continue;
            }
            auto it = held.find(fd);
            if (it != held.end()) look(fd, it->second, now);
        }
        std::vector<int> late;
        for (const auto& [fd, h] : held)
            if (h.draining ? now - h.lastData >= kDrainTime : now - h.lastData >= silent || now - h.accepted >= whole)
                late.push_back(fd);
        for (int fd : late) close(fd);
    }
}

void AcceptGate::Impl::accept() {
    for (;;) {
        Held h;
        h.length = sizeof h.address;
        int fd = ::accept4(options.listenSocket, reinterpret_cast<sockaddr*>(&h.address), &h.length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return; // none left (or a client gone before it was taken)
        if (held.size() + (options.openBeyond ? options.openBeyond() : 0) >= options.maxConnections) {
            ::close(fd);
            continue;
        }
        h.accepted = h.lastData = Clock::now();
        epoll_event e{};
        // Edge-triggered: the bytes stay in the socket, so only new ones wake the gate again.
        e.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
        e.data.fd = fd;
        if (::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &e) != 0) {
            ::close(fd);
            continue;
        }
        held.emplace(fd, h);
    }
}

void AcceptGate::Impl::look(int fd, Held& h, Clock::time_point now) {
    static thread_local std::vector<char> buffer;
    if (h.draining) {
        char sink[4096];
        ssize_t got;
        while ((got = ::recv(fd, sink, sizeof sink, 0)) > 0) h.lastData = now;
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) close(fd);
        return;
    }
    buffer.resize(options.maxHeadBytes);
    ssize_t got = ::recv(fd, buffer.data(), buffer.size(), MSG_PEEK);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) return close(fd);
    if (got < 0) return;
    auto size = static_cast<size_t>(got);
    if (size > h.seen) h.seen = size, h.lastData = now;
    std::string_view bytes(buffer.data(), size);
    size_t end = headEnd(bytes);
    if (end == std::string_view::npos && size < options.maxHeadBytes) return; // more of the head to come
    Verdict verdict = judge(bytes.substr(0, end == std::string_view::npos ? size : end), maxBodyBytes);
    if (verdict.status) return refuse(fd, h, verdict, now);
    ::epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
    Held on = h;
    held.erase(fd);
    options.handOn(fd, on.address, on.length, on.accepted);
}

void AcceptGate::Impl::refuse(int fd, Held& h, const Verdict& verdict, Clock::time_point now) {
    char sink[4096];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    const char* reason = verdict.status == 413 ? "Content Too Large" : "Bad Request";
    std::string reply = "HTTP/1.1 " + std::to_string(verdict.status) + " " + reason +
                        "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                        std::to_string(verdict.text.size()) + "\r\n\r\n" + verdict.text;
    // A fresh socket's buffer takes a reply this small whole.
    (void)!::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    h.draining = true;
    h.lastData = now;
}

} // namespace vx::server
