#pragma once
// NSHTTPCookie and NSHTTPCookieStorage: the one cookie jar of the process, shared by every session
// and connection that handles cookies. Cookies with an expiry date are kept in the sandbox
// (Library/Cookies/Cookies.txt, owner-only) and come back after a restart; session cookies do not.

#include "os/foundation/URL.h"

#include <optional>
#include <string>
#include <vector>

namespace ns {

class HTTPCookie : public Object {
public:
    HTTPCookie(std::string name, std::string value, std::string domain, std::string path,
               std::optional<double> expiresDate, bool secure, bool httpOnly);

    const std::string& name() const { return name_; }
    const std::string& value() const { return value_; }
    // A leading "." means the cookie also goes to subdomains.
    const std::string& domain() const { return domain_; }
    const std::string& path() const { return path_; }
    // Seconds since 1970; none for a session cookie.
    const std::optional<double>& expiresDate() const { return expires_; }
    bool isSessionOnly() const { return !expires_; }
    bool isSecure() const { return secure_; }
    bool isHTTPOnly() const { return httpOnly_; }

    std::string description() const override;

private:
    std::string name_, value_, domain_, path_;
    std::optional<double> expires_;
    bool secure_, httpOnly_;
};

class HTTPCookieStorage : public Object {
public:
    static Ref<HTTPCookieStorage> shared();

    // Every unexpired cookie.
    std::vector<Ref<HTTPCookie>> cookies() const;
    // The cookies a request to the URL would send (domain, path, secure).
    std::vector<Ref<HTTPCookie>> cookiesForURL(const Ref<URL>& url) const;
    void deleteAllCookies();

    // Where persistent cookies are kept.
    static std::string storagePath();

    HTTPCookieStorage() = default; // use shared()
};

} // namespace ns
