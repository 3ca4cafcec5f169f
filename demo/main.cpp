// The host program: plays the game side against the platform stand-ins.
#include "os/foundation/Format.h"
#include "os/foundation/Log.h"

int main() {
    ns::log("vorlix-demo: %@", ns::Value("foundation layer up"));
    return 0;
}
