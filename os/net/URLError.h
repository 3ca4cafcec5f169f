#pragma once
// NSURLErrorDomain codes beyond the core list, and how transport failures map onto the domain.

#include "os/foundation/Error.h"

namespace ns {

inline constexpr long URLErrorHTTPTooManyRedirects = -1007;
inline constexpr long URLErrorCannotDecodeContentData = -1016;
inline constexpr long URLErrorFileIsDirectory = -1101;
inline constexpr long URLErrorSecureConnectionFailed = -1200;

// The NSURLErrorDomain code for a curl result code (CURLcode as int). `networkUp` tells whether any
// non-loopback interface is up: an unresolvable host then means "cannot find host", otherwise
// "not connected"; `loopbackHost` keeps a refused loopback connection "cannot connect".
long URLErrorCodeForCurlCode(int curlCode, bool networkUp, bool loopbackHost = false);

// Whether an interface other than loopback is up and has an address (getifaddrs).
bool networkInterfaceIsUp();

} // namespace ns
