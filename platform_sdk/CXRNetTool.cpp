#include "platform_sdk/CXRNetTool.h"

#include "platform_sdk/DecodeGzipBase64.h"

#include <mutex>

namespace {

std::mutex& classLock() {
    static std::mutex m;
    return m;
}

ns::Ref<CXRNetTool>& sharedSlot() {
    static ns::Ref<CXRNetTool> shared;
    return shared;
}

} // namespace

ns::Ref<CXRNetTool> CXRNetTool::sharedInstance() {
    std::lock_guard lock(classLock());
    if (!sharedSlot()) sharedSlot() = std::make_shared<CXRNetTool>();
    return sharedSlot();
}

void CXRNetTool::distroyInstance() {
    std::lock_guard lock(classLock());
    sharedSlot() = nullptr;
}

void CXRNetTool::POST(const std::string& URLString, const ns::Value& parameters, Success success, Failure failure) {
    {
        std::lock_guard lock(mutex_);
        success_ = std::move(success);
        failure_ = std::move(failure);
    }
    ns::DataRef body = DecodeGzipBase64::codingJSON(parameters);
    auto url = ns::URL::fromString(URLString);
    if (!url) {
        didFailWithError(nullptr, ns::Error::make(ns::URLErrorDomain, ns::URLErrorBadURL, "unsupported URL"));
        return;
    }
    auto request = ns::URLRequest::requestWithURL(url, ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, 10);
    request->setValue("text/html", "Content-Type");
    request->setHTTPMethod("POST");
    request->setHTTPBody(body ? body : ns::Data::make());
    ns::URLConnection::create(request, std::static_pointer_cast<ns::URLConnectionDelegate>(ref<CXRNetTool>()));
}

void CXRNetTool::didReceiveData(const ns::Ref<ns::URLConnection>&, const ns::DataRef& data) {
    Success success;
    {
        std::lock_guard lock(mutex_);
        success = success_;
    }
    if (success) success(DecodeGzipBase64::cxr_decodingJSON(data));
}

void CXRNetTool::didFailWithError(const ns::Ref<ns::URLConnection>&, const ns::Ref<ns::Error>& error) {
    Failure failure;
    {
        std::lock_guard lock(mutex_);
        failure = failure_;
    }
    if (failure) failure(error);
}
