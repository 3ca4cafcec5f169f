#include "platform_sdk/NetWorkManager.h"

#include "http/SDPHTTPRequestSerializer.h"
#include "os/dispatch/Queue.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "platform_sdk/VXEndpoints.h"

ns::Ref<NetWorkManager> NetWorkManager::sharedInstance() {
    static const ns::Ref<NetWorkManager> shared = [] {
        auto manager = std::make_shared<NetWorkManager>();
        manager->initWithSessionConfiguration(ns::URLSessionConfiguration::defaultSessionConfiguration());
        auto serializer = SDPHTTPResponseSerializer::serializer();
        serializer->setAcceptableContentTypes(
            std::set<std::string>{"application/json", "text/html", "text/json", "text/javascript", "text/plain"});
        manager->setResponseSerializer(serializer);
        return manager;
    }();
    return shared;
}

void NetWorkManager::PostCouponURL(const std::string& path, const ns::Value& parameters, Success success,
                                   Failure failure) {
    POST(VXEndpoints::baseURL() + path, parameters, std::move(success), std::move(failure));
}

void NetWorkManager::POST(const std::string& URLString, const ns::Value& parameters, Success success, Failure failure) {
    ns::DataRef body = DecodeGzipBase64::codingJSON(parameters);
    ns::Ref<ns::Error> error;
    auto request = SDPHTTPRequestSerializer::serializer()->requestWithMethod("POST", URLString, {}, &error);
    if (!request) {
        // A URL that does not parse cannot be sent: report it like a transport failure.
        dispatch::async(dispatch::Queue::main(), [failure = std::move(failure), error] {
            if (failure) failure(error);
        });
        return;
    }
    request->setTimeoutInterval(10);
    request->setValue("text/html", "Content-Type");
    request->setHTTPBody(body ? body : ns::Data::make());
    auto task = dataTaskWithRequest(
        request, nullptr, nullptr,
        [success = std::move(success), failure = std::move(failure)](
            const ns::Ref<ns::URLResponse>&, const ns::Value& object, const ns::Ref<ns::Error>& err) {
            ns::DataRef data = object.data();
            if (!data || (data->length() == 0 && err)) {
                if (failure) failure(err);
                return;
            }
            if (success) success(DecodeGzipBase64::decodingJSON(data));
        });
    task->resume();
}
