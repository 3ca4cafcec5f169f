#pragma once
// NSError and NSException stand-ins.

#include "os/foundation/Value.h"

#include <stdexcept>
#include <string>

namespace ns {

inline constexpr const char* URLErrorDomain = "NSURLErrorDomain";
inline constexpr const char* LocalizedDescriptionKey = "NSLocalizedDescription";
inline constexpr const char* URLErrorFailingURLStringKey = "NSErrorFailingURLStringKey";
inline constexpr const char* CocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr const char* DebugDescriptionKey = "NSDebugDescription";

enum CocoaErrorCode : long {
    PropertyListReadCorruptError = 3840, // also the code of every JSON reading error
    PropertyListWriteInvalidError = 3852, // also the code of every JSON writing error
};

enum URLErrorCode : long {
    URLErrorUnknown = -1,
    URLErrorCancelled = -999,
    URLErrorBadURL = -1000,
    URLErrorTimedOut = -1001,
    URLErrorUnsupportedURL = -1002,
    URLErrorCannotFindHost = -1003,
    URLErrorCannotConnectToHost = -1004,
    URLErrorNetworkConnectionLost = -1005,
    URLErrorNotConnectedToInternet = -1009,
    URLErrorBadServerResponse = -1011,
    URLErrorUserCancelledAuthentication = -1012,
    URLErrorFileDoesNotExist = -1100,
    URLErrorServerCertificateUntrusted = -1202,
};

class Error : public Object {
public:
    Error(std::string domain, long code, Dictionary userInfo = {});
    static Ref<Error> make(std::string domain, long code, Dictionary userInfo = {});
    // Shorthand with NSLocalizedDescription set.
    static Ref<Error> make(std::string domain, long code, const std::string& localizedDescription);

    const std::string& domain() const { return domain_; }
    long code() const { return code_; }
    const Dictionary& userInfo() const { return userInfo_; }
    // The description under NSLocalizedDescription, else a generated text naming domain and code.
    std::string localizedDescription() const;
    std::string description() const override;

private:
    std::string domain_;
    long code_;
    Dictionary userInfo_;
};

// A raised exception: name and reason, as the design raises them.
class Exception : public std::runtime_error {
public:
    Exception(std::string name, std::string reason);
    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }

private:
    std::string name_;
    std::string reason_;
};

} // namespace ns
