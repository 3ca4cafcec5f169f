#include "os/foundation/Error.h"

#include "os/foundation/Format.h"

namespace ns {

Error::Error(std::string domain, long code, Dictionary userInfo)
    : domain_(std::move(domain)), code_(code), userInfo_(std::move(userInfo)) {}

Ref<Error> Error::make(std::string domain, long code, Dictionary userInfo) {
    return std::make_shared<Error>(std::move(domain), code, std::move(userInfo));
}

Ref<Error> Error::make(std::string domain, long code, const std::string& localizedDescription) {
    Dictionary info;
    info.set(LocalizedDescriptionKey, localizedDescription);
    return make(std::move(domain), code, std::move(info));
}

std::string Error::localizedDescription() const {
    if (auto text = userInfo_[LocalizedDescriptionKey].string()) return *text;
    return format("The operation couldn’t be completed. (%@ error %ld.)", domain_, code_);
}

std::string Error::description() const {
    return format("Error Domain=%@ Code=%ld \"%@\" UserInfo=%@", domain_, code_, localizedDescription(),
                  Value(userInfo_));
}

Exception::Exception(std::string name, std::string reason)
    : std::runtime_error(name + ": " + reason), name_(std::move(name)), reason_(std::move(reason)) {}

} // namespace ns
