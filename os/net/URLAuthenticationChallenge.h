#pragma once
// Authentication: protection spaces, credentials, and the challenge a connection puts to its
// delegate before it goes on (server trust for https, Basic/Digest for an HTTP 401).

#include "os/foundation/Error.h"
#include "os/foundation/Object.h"

#include <optional>
#include <string>

namespace ns {

class URLResponse;
class URLAuthenticationChallenge;

inline constexpr const char* URLAuthenticationMethodDefault = "NSURLAuthenticationMethodDefault";
inline constexpr const char* URLAuthenticationMethodHTTPBasic = "NSURLAuthenticationMethodHTTPBasic";
inline constexpr const char* URLAuthenticationMethodHTTPDigest = "NSURLAuthenticationMethodHTTPDigest";
inline constexpr const char* URLAuthenticationMethodServerTrust = "NSURLAuthenticationMethodServerTrust";

// The trust a server presents (stand-in: the host it is for; verification happens in TLS).
class ServerTrust : public Object {
public:
    explicit ServerTrust(std::string host) : host_(std::move(host)) {}
    const std::string& host() const { return host_; }

private:
    std::string host_;
};

class URLProtectionSpace : public Object {
public:
    URLProtectionSpace(std::string host, int port, std::string protocol, std::optional<std::string> realm,
                       std::string authenticationMethod, Ref<ServerTrust> serverTrust = nullptr);

    const std::string& host() const { return host_; }
    int port() const { return port_; }
    const std::string& protocol() const { return protocol_; } // "http" or "https"
    const std::optional<std::string>& realm() const { return realm_; }
    const std::string& authenticationMethod() const { return method_; }
    // Only for the server-trust method.
    const Ref<ServerTrust>& serverTrust() const { return trust_; }

private:
    std::string host_;
    int port_;
    std::string protocol_;
    std::optional<std::string> realm_;
    std::string method_;
    Ref<ServerTrust> trust_;
};

enum class URLCredentialPersistence { None = 0, ForSession = 1, Permanent = 2, Synchronizable = 3 };

class URLCredential : public Object {
public:
    static Ref<URLCredential> credentialWithUser(std::string user, std::string password, URLCredentialPersistence persistence);
    // Accepts the presented trust as it is: the connection skips verification for that request.
    static Ref<URLCredential> credentialForTrust(Ref<ServerTrust> trust);

    const std::optional<std::string>& user() const { return user_; }
    const std::optional<std::string>& password() const { return password_; }
    bool hasPassword() const { return password_.has_value(); }
    URLCredentialPersistence persistence() const { return persistence_; }
    const Ref<ServerTrust>& serverTrust() const { return trust_; }

private:
    std::optional<std::string> user_, password_;
    URLCredentialPersistence persistence_ = URLCredentialPersistence::None;
    Ref<ServerTrust> trust_;
};

// The answers a challenge takes; the connection that asked implements them. Each challenge takes
// one answer; later ones are ignored.
class URLAuthenticationChallengeSender {
public:
    virtual ~URLAuthenticationChallengeSender() = default;
    virtual void useCredential(const Ref<URLCredential>& credential, const URLAuthenticationChallenge& challenge) = 0;
    virtual void continueWithoutCredential(const URLAuthenticationChallenge& challenge) = 0;
    virtual void cancelAuthenticationChallenge(const URLAuthenticationChallenge& challenge) = 0;
    // Optional answers: a sender without them says so here.
    virtual bool canPerformDefaultHandling() const { return false; }
    virtual void performDefaultHandling(const URLAuthenticationChallenge& challenge) { continueWithoutCredential(challenge); }
    virtual void rejectProtectionSpaceAndContinue(const URLAuthenticationChallenge& challenge) {
        continueWithoutCredential(challenge);
    }
};

class URLAuthenticationChallenge : public Object {
public:
    URLAuthenticationChallenge(Ref<URLProtectionSpace> space, Ref<URLCredential> proposedCredential,
                               long previousFailureCount, Ref<URLResponse> failureResponse, Ref<Error> error,
                               std::shared_ptr<URLAuthenticationChallengeSender> sender);

    const Ref<URLProtectionSpace>& protectionSpace() const { return space_; }
    const Ref<URLCredential>& proposedCredential() const { return proposed_; }
    long previousFailureCount() const { return previousFailureCount_; }
    // The 401 response for HTTP methods; none for server trust.
    const Ref<URLResponse>& failureResponse() const { return failureResponse_; }
    const Ref<Error>& error() const { return error_; }
    const std::shared_ptr<URLAuthenticationChallengeSender>& sender() const { return sender_; }

private:
    Ref<URLProtectionSpace> space_;
    Ref<URLCredential> proposed_;
    long previousFailureCount_;
    Ref<URLResponse> failureResponse_;
    Ref<Error> error_;
    std::shared_ptr<URLAuthenticationChallengeSender> sender_;
};

} // namespace ns
