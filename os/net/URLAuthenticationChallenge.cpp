#include "os/net/URLAuthenticationChallenge.h"

#include "os/net/URLResponse.h"

namespace ns {

URLProtectionSpace::URLProtectionSpace(std::string host, int port, std::string protocol, std::optional<std::string> realm,
                                       std::string authenticationMethod, Ref<ServerTrust> serverTrust)
    : host_(std::move(host)), port_(port), protocol_(std::move(protocol)), realm_(std::move(realm)),
      method_(std::move(authenticationMethod)), trust_(std::move(serverTrust)) {}

Ref<URLCredential> URLCredential::credentialWithUser(std::string user, std::string password,
                                                     URLCredentialPersistence persistence) {
    auto c = std::make_shared<URLCredential>();
    c->user_ = std::move(user);
    c->password_ = std::move(password);
    c->persistence_ = persistence;
    return c;
}

Ref<URLCredential> URLCredential::credentialForTrust(Ref<ServerTrust> trust) {
    auto c = std::make_shared<URLCredential>();
    c->trust_ = std::move(trust);
    c->persistence_ = URLCredentialPersistence::ForSession;
    return c;
}

URLAuthenticationChallenge::URLAuthenticationChallenge(Ref<URLProtectionSpace> space, Ref<URLCredential> proposedCredential,
                                                       long previousFailureCount, Ref<URLResponse> failureResponse,
                                                       Ref<Error> error,
                                                       std::shared_ptr<URLAuthenticationChallengeSender> sender)
    : space_(std::move(space)), proposed_(std::move(proposedCredential)), previousFailureCount_(previousFailureCount),
      failureResponse_(std::move(failureResponse)), error_(std::move(error)), sender_(std::move(sender)) {}

} // namespace ns
