#pragma once
// TLS trust settings of a session manager. The default policy pins nothing and lets the system
// verify certificates and host names.

#include "os/foundation/Object.h"

class SDPSecurityPolicy : public ns::Object {
public:
    enum class SSLPinningMode { None, PublicKey, Certificate };
    static ns::Ref<SDPSecurityPolicy> defaultPolicy();

    SSLPinningMode pinningMode() const { return mode_; }
    bool allowInvalidCertificates() const { return allowInvalid_; }
    bool validatesDomainName() const { return validatesDomain_; }

private:
    SSLPinningMode mode_ = SSLPinningMode::None;
    bool allowInvalid_ = false;
    bool validatesDomain_ = true;
};
