#pragma once
// The server's front door: takes connections off the listening socket and holds each until the
// head of its request has arrived (looked at in place, not read), then hands it to the HTTP
// library. A head whose Content-Length no reader could take (not a plain decimal, or past 64
// bits) is answered here, since the library's own refusal of it sends the status line and headers
// twice; so is one longer than the server takes, whose body need not be read at all. One thread,
// one epoll set; a client that stays silent or trickles its head is closed at its deadline, as
// the library would close it.

#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vx::server {

class AcceptGate {
public:
    struct Options {
        int listenSocket = -1;          // bound and listening; the gate closes it when it stops
        size_t maxHeadBytes = 32 << 10; // a head not ended within this many bytes goes on as it is
        size_t maxBodyBytes = 1 << 20;  // a longer Content-Length is refused here
        double silentSeconds = 5;       // a client silent this long before its head is in is closed
        double headSeconds = 10;        // and one whose head is not in this long after it connected
        size_t maxConnections = 4096;   // held here and open beyond the gate together
        std::function<size_t()> openBeyond;
        // Hands a connection on, with when it was accepted; the receiver owns the socket.
        std::function<void(int socket, const sockaddr_storage& address, socklen_t length,
                           std::chrono::steady_clock::time_point accepted)> handOn;
    };

    explicit AcceptGate(Options options);
    ~AcceptGate();
    AcceptGate(const AcceptGate&) = delete;
    AcceptGate& operator=(const AcceptGate&) = delete;

    // A new bound for the Content-Length taken, from the next request head on.
    void setMaxBodyBytes(size_t bytes);
    // Closes the listening socket and every connection still held here.
    void stop();

    // The status and text a request head is refused with, or 0 when its framing is readable.
    struct Verdict {
        int status = 0;
        std::string text;
    };
    static Verdict judge(std::string_view head, size_t maxBodyBytes);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vx::server
