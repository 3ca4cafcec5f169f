// The cookie jar's file as found in the sandbox after a restart: any bytes as Cookies.txt. No crash;
// the cookies for a URL are among the jar's cookies.

#include "tests/support/ProcessScratch.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/Log.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Sandbox.h"
#include "os/foundation/Strings.h"
#include "os/net/HTTPCookieStorage.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void setUp() {
    static const bool done = [] {
        const std::string root = vx::test::processScratchFolder();
        ns::setSandboxRoot(root + "/home");
        ns::Log::setSink([](const std::string&) {});
        ns::FileManager::defaultManager().createDirectory(
            ns::str::stringByDeletingLastPathComponent(ns::HTTPCookieStorage::storagePath()), true);
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    auto storage = ns::HTTPCookieStorage::shared();
    {
        std::ofstream out(ns::HTTPCookieStorage::storagePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ns::ResetRegistry::resetAll(); // a restart: the jar is read again from the file
    const auto all = storage->cookies();
    for (const char* address : {"http://example.com/", "https://a.example.com/path/x", "http://127.0.0.1:8080/"}) {
        for (const auto& cookie : storage->cookiesForURL(ns::URL::fromString(address))) {
            bool listed = false;
            for (const auto& c : all)
                listed = listed || (c->name() == cookie->name() && c->domain() == cookie->domain() &&
                                    c->path() == cookie->path() && c->value() == cookie->value());
            if (!listed) std::abort();
            (void)cookie->description();
        }
    }
    return 0;
}
