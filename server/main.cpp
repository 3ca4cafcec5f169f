// vorlix-server: the stand-in platform API server on 127.0.0.1.
// Usage: vorlix-server [port]   (default: an ephemeral port, printed on start)
#include "server/PlatformServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {
volatile std::sig_atomic_t stopRequested = 0;
}

int main(int argc, char** argv) {
    int port = argc > 1 ? std::atoi(argv[1]) : 0;
    server::PlatformServer platform;
    if (!platform.start(port)) {
        std::fprintf(stderr, "vorlix-server: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("vorlix-server: serving %s%s\n", platform.host().c_str(), server::PlatformServer::BasePath);
    std::fflush(stdout);
    std::signal(SIGINT, [](int) { stopRequested = 1; });
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    sigset_t none;
    sigemptyset(&none);
    while (!stopRequested) sigsuspend(&none);
    platform.stop();
    return 0;
}
