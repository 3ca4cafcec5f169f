#include "os/net/HTTPCookieStorage.h"

#include "os/foundation/FileManager.h"
#include "os/foundation/Format.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Sandbox.h"
#include "os/foundation/Strings.h"
#include "os/net/CurlEngine.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace ns {

namespace {

using detail::CurlEngine;

// The jar's lines in curl's Netscape format. Network thread only.
struct Jar {
    bool loaded = false;

    // Runs `use` with an easy handle attached to the shared jar.
    template <class F> static void withHandle(F&& use) {
        CURL* h = curl_easy_init();
        curl_easy_setopt(h, CURLOPT_SHARE, CurlEngine::shared().share());
        use(h);
        curl_easy_cleanup(h);
    }

    static std::vector<std::string> lines() { return CurlEngine::shared().cookieLines(); }

    void loadIfNeeded() {
        if (loaded) return;
        loaded = true;
        std::ifstream in(HTTPCookieStorage::storagePath());
        std::string line;
        withHandle([&](CURL* h) {
            while (std::getline(in, line)) {
                if (line.empty() || (line[0] == '#' && !str::hasPrefix(line, "#HttpOnly_"))) continue;
                curl_easy_setopt(h, CURLOPT_COOKIELIST, line.c_str());
            }
        });
    }

    // Writes the persistent cookies, owner-only, through a temporary file and a rename.
    static void save() {
        std::string text = "# Netscape HTTP Cookie File\n";
        for (const auto& line : lines()) {
            auto fields = str::split(line, "\t");
            if (fields.size() >= 6 && fields[4] != "0") text += line + "\n";
        }
        std::string path = HTTPCookieStorage::storagePath();
        FileManager::defaultManager().createDirectory(str::stringByDeletingLastPathComponent(path), true);
        std::string temporary = path + ".tmp";
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return;
        bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ok = ::close(fd) == 0 && ok;
        if (ok) std::rename(temporary.c_str(), path.c_str());
        else std::remove(temporary.c_str());
    }

    static void clear() {
        withHandle([](CURL* h) { curl_easy_setopt(h, CURLOPT_COOKIELIST, "ALL"); });
    }
};

Jar& jar() {
    static Jar* j = new Jar;
    return *j;
}

// One Netscape line: domain, subdomains, path, secure, expiry, name, value.
Ref<HTTPCookie> parseLine(const std::string& line) {
    auto f = str::split(line, "\t");
    if (f.size() < 6) return nullptr;
    std::string domain = f[0];
    bool httpOnly = false;
    if (str::hasPrefix(domain, "#HttpOnly_")) {
        httpOnly = true;
        domain = domain.substr(10);
    }
    if (f[1] == "TRUE" && !domain.empty() && domain[0] != '.') domain = "." + domain;
    long long expiry = numtext::integerValue(f[4]);
    std::optional<double> expires;
    if (expiry != 0) expires = static_cast<double>(expiry);
    return std::make_shared<HTTPCookie>(f[5], f.size() > 6 ? f[6] : "", domain, f[2], expires, f[3] == "TRUE", httpOnly);
}

bool domainMatches(const std::string& host, const std::string& domain) {
    if (domain.empty()) return false;
    if (domain[0] != '.') return host == str::lowercase(domain);
    std::string d = str::lowercase(domain.substr(1));
    return host == d || str::hasSuffix(host, "." + d);
}

bool pathMatches(const std::string& requestPath, std::string cookiePath) {
    // curl keeps a folder's path with its slash ("/d/" for a cookie set from "/d/page") and
    // sends it to "/d" as well: the slash is not part of the match.
    if (cookiePath.size() > 1 && cookiePath.back() == '/') cookiePath.pop_back();
    if (cookiePath.empty() || cookiePath == "/") return true;
    if (!str::hasPrefix(requestPath, cookiePath)) return false;
    return requestPath.size() == cookiePath.size() || requestPath[cookiePath.size()] == '/';
}

} // namespace

HTTPCookie::HTTPCookie(std::string name, std::string value, std::string domain, std::string path,
                       std::optional<double> expiresDate, bool secure, bool httpOnly)
    : name_(std::move(name)), value_(std::move(value)), domain_(std::move(domain)), path_(std::move(path)),
      expires_(expiresDate), secure_(secure), httpOnly_(httpOnly) {}

std::string HTTPCookie::description() const {
    return format("<%@ %@=%@; domain=%@; path=%@>", className(), name_, value_, domain_, path_);
}

Ref<HTTPCookieStorage> HTTPCookieStorage::shared() {
    static Ref<HTTPCookieStorage> storage = [] {
        auto s = std::make_shared<HTTPCookieStorage>();
        CurlEngine::shared().setCookieHooks([] { jar().loadIfNeeded(); }, [] { Jar::save(); });
        // A restart drops what is in memory; persistent cookies come back from the sandbox.
        ResetRegistry::add("ns.HTTPCookieStorage", [] {
            CurlEngine::shared().runSync([] {
                Jar::clear();
                jar().loaded = false;
            });
        });
        return s;
    }();
    return storage;
}

std::string HTTPCookieStorage::storagePath() { return libraryPath() + "/Cookies/Cookies.txt"; }

std::vector<Ref<HTTPCookie>> HTTPCookieStorage::cookies() const {
    std::vector<std::string> lines;
    CurlEngine::shared().runSync([&] {
        jar().loadIfNeeded();
        lines = Jar::lines();
    });
    double now = static_cast<double>(std::time(nullptr));
    std::vector<Ref<HTTPCookie>> out;
    for (const auto& line : lines) {
        auto c = parseLine(line);
        if (c && (!c->expiresDate() || *c->expiresDate() > now)) out.push_back(c);
    }
    return out;
}

std::vector<Ref<HTTPCookie>> HTTPCookieStorage::cookiesForURL(const Ref<URL>& url) const {
    std::vector<Ref<HTTPCookie>> out;
    if (!url || !url->host()) return out;
    std::string host = str::lowercase(*url->host());
    std::string path = url->path().empty() ? "/" : url->path();
    bool secure = str::lowercase(url->scheme().value_or("")) == "https";
    for (auto& c : cookies()) {
        if (domainMatches(host, c->domain()) && pathMatches(path, c->path()) && (!c->isSecure() || secure))
            out.push_back(c);
    }
    return out;
}

void HTTPCookieStorage::deleteAllCookies() {
    CurlEngine::shared().runSync([] {
        jar().loadIfNeeded();
        Jar::clear();
        Jar::save();
    });
}

} // namespace ns
