// vorlix-server: the stand-in platform API server on 127.0.0.1.
// Usage: vorlix-server [port]   (default: an ephemeral port, printed on start)
#include "server/PlatformServer.h"

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {
volatile std::sig_atomic_t stopRequested = 0;

const char* const usage =
    "usage: vorlix-server [port]\n"
    "Serves the stand-in platform API on http://127.0.0.1:<port>/sdkapicoupon2/ until interrupted.\n"
    "port: 0 to 65535; without it (or 0) an ephemeral port is chosen. The address is printed on start.\n";

// A port is decimal digits only, up to 65535: any other word is a mistake, not a port.
bool parsePort(const char* text, int& port) {
    if (!*text) return false;
    long value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + (*c - '0');
        if (value > 65535) return false;
    }
    port = static_cast<int>(value);
    return true;
}
}

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    int port = 0;
    const char* refused = nullptr;
    if (argc >= 2 && !parsePort(argv[1], port)) refused = argv[1];
    else if (argc > 2) refused = argv[2];
    if (refused) {
        std::fprintf(stderr, "vorlix-server: unexpected argument '%s'\n%s", refused, usage);
        return 2;
    }
    vx::server::PlatformServer platform;
    if (!platform.start(port)) {
        std::fprintf(stderr, "vorlix-server: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("vorlix-server: serving %s%s\n", platform.host().c_str(), vx::server::PlatformServer::BasePath);
    std::fflush(stdout);
    std::signal(SIGINT, [](int) { stopRequested = 1; });
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    sigset_t none;
    sigemptyset(&none);
    while (!stopRequested) sigsuspend(&none);
    platform.stop();
    return 0;
}
