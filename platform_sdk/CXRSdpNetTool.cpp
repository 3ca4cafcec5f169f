#include "platform_sdk/CXRSdpNetTool.h"

#include "http/SDPJSONResponseSerializer.h"
#include "os/foundation/Log.h"
#include "platform_sdk/VXEndpoints.h"

ns::Ref<CXRSdpNetTool> CXRSdpNetTool::sharedTool() {
    static const ns::Ref<CXRSdpNetTool> shared = [] {
        auto tool = std::make_shared<CXRSdpNetTool>();
        tool->initWithBaseURL(nullptr, nullptr);
        auto serializer = tool->responseSerializer();
        auto types = serializer->acceptableContentTypes().value_or(std::set<std::string>{});
        types.insert("text/html");
        serializer->setAcceptableContentTypes(types);
        return tool;
    }();
    return shared;
}

void CXRSdpNetTool::PostWithURLString(const std::string& path, const ns::Value& parameters, Success success,
                                      Failure failure) {
    requestWithURLString(VXEndpoints::baseURL() + path, parameters, 0, std::move(success),
                         [failure = std::move(failure)](const ns::Ref<ns::Error>& error) {
                             ns::log("error = %@", error);
                             if (failure) failure(error);
                         });
}

void CXRSdpNetTool::requestWithURLString(const std::string& URLString, const ns::Value& parameters, long method,
                                         Success success, Failure failure) {
    if (method != 0 && method != 1) return;
    auto onSuccess = [success = std::move(success)](const auto&, const ns::Value& object) {
        if (success) success(object);
    };
    auto onFailure = [failure = std::move(failure), method](const auto&, const ns::Ref<ns::Error>& error) {
        ns::log(method == 0 ? "error = %@" : "%@", error);
        if (failure) failure(error);
    };
    if (method == 0) POST(URLString, parameters, nullptr, onSuccess, onFailure);
    else GET(URLString, parameters, nullptr, onSuccess, onFailure);
}
