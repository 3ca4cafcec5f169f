#include "os/net/URLError.h"

#include "os/net/Loader.h"

#include <curl/curl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

namespace ns {

long URLErrorCodeForCurlCode(int curlCode, bool networkUp, bool loopbackHost) {
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK: return 0;
    case CURLE_OPERATION_TIMEDOUT: return URLErrorTimedOut;
    case CURLE_COULDNT_RESOLVE_HOST: return networkUp ? URLErrorCannotFindHost : URLErrorNotConnectedToInternet;
    case CURLE_COULDNT_CONNECT:
        return networkUp || loopbackHost ? URLErrorCannotConnectToHost : URLErrorNotConnectedToInternet;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return URLErrorNetworkConnectionLost;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return URLErrorServerCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
        return URLErrorSecureConnectionFailed;
    case CURLE_TOO_MANY_REDIRECTS: return URLErrorHTTPTooManyRedirects;
    case CURLE_URL_MALFORMAT: return URLErrorBadURL;
    case CURLE_UNSUPPORTED_PROTOCOL: return URLErrorUnsupportedURL;
    case CURLE_BAD_CONTENT_ENCODING: return URLErrorCannotDecodeContentData;
    case CURLE_WEIRD_SERVER_REPLY: return URLErrorBadServerResponse;
    case CURLE_ABORTED_BY_CALLBACK: return URLErrorCancelled;
    default: return URLErrorUnknown;
    }
}

bool networkInterfaceIsUp() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return true; // cannot tell: do not claim "offline"
    bool up = false;
    for (ifaddrs* i = list; i && !up; i = i->ifa_next) {
        if (!i->ifa_addr || (i->ifa_flags & IFF_LOOPBACK) || !(i->ifa_flags & IFF_UP) || !(i->ifa_flags & IFF_RUNNING))
            continue;
        up = i->ifa_addr->sa_family == AF_INET || i->ifa_addr->sa_family == AF_INET6;
    }
    freeifaddrs(list);
    return up;
}

namespace detail {

namespace {
const char* describe(long code) {
    switch (code) {
    case URLErrorCancelled: return "cancelled";
    case URLErrorBadURL: return "bad URL";
    case URLErrorTimedOut: return "The request timed out.";
    case URLErrorUnsupportedURL: return "unsupported URL";
    case URLErrorCannotFindHost: return "A server with the specified hostname could not be found.";
    case URLErrorCannotConnectToHost: return "Could not connect to the server.";
    case URLErrorNetworkConnectionLost: return "The network connection was lost.";
    case URLErrorHTTPTooManyRedirects: return "too many HTTP redirects";
    case URLErrorNotConnectedToInternet: return "The Internet connection appears to be offline.";
    case URLErrorBadServerResponse: return "The server returned a bad response.";
    case URLErrorUserCancelledAuthentication: return "The user cancelled authentication.";
    case URLErrorFileDoesNotExist: return "The requested file does not exist.";
    case URLErrorFileIsDirectory: return "The requested file is a directory.";
    case URLErrorCannotDecodeContentData: return "The response body could not be decoded.";
    case URLErrorSecureConnectionFailed: return "A secure connection to the server could not be made.";
    case URLErrorServerCertificateUntrusted: return "The certificate for this server is invalid.";
    default: return "An unknown error occurred.";
    }
}
} // namespace

Ref<Error> urlError(long code, const Ref<URL>& url) {
    Dictionary info;
    info.set(LocalizedDescriptionKey, describe(code));
    if (url) info.set(URLErrorFailingURLStringKey, url->absoluteString());
    return Error::make(URLErrorDomain, code, std::move(info));
}

} // namespace detail
} // namespace ns
