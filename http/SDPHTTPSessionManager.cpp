#include "http/SDPHTTPSessionManager.h"

#include "http/SDPJSONResponseSerializer.h"
#include "os/dispatch/Queue.h"

#include <utility>

ns::Ref<SDPHTTPSessionManager> SDPHTTPSessionManager::create(ns::Ref<ns::URL> baseURL,
                                                             ns::Ref<ns::URLSessionConfiguration> configuration) {
    auto manager = std::make_shared<SDPHTTPSessionManager>();
    manager->initWithBaseURL(std::move(baseURL), std::move(configuration));
    return manager;
}

void SDPHTTPSessionManager::initWithBaseURL(ns::Ref<ns::URL> baseURL, ns::Ref<ns::URLSessionConfiguration> configuration) {
    initWithSessionConfiguration(std::move(configuration));
    if (baseURL) {
        const std::string& path = baseURL->path();
        const std::string& text = baseURL->absoluteString();
        if (!path.empty() && text.back() != '/') baseURL = ns::URL::fromString(text + "/");
    }
    baseURL_ = std::move(baseURL);
    requestSerializer_ = SDPHTTPRequestSerializer::serializer();
    setResponseSerializer(SDPJSONResponseSerializer::serializer());
}

ns::Ref<ns::URLSessionDataTask> SDPHTTPSessionManager::GET(const std::string& URLString, const ns::Value& parameters,
                                                          Progress progress, Success success, Failure failure) {
    return request("GET", URLString, parameters, nullptr, std::move(progress), std::move(success), std::move(failure));
}

ns::Ref<ns::URLSessionDataTask> SDPHTTPSessionManager::POST(const std::string& URLString, const ns::Value& parameters,
                                                           Progress progress, Success success, Failure failure) {
    return request("POST", URLString, parameters, std::move(progress), nullptr, std::move(success), std::move(failure));
}

ns::Ref<ns::URLSessionDataTask> SDPHTTPSessionManager::request(const std::string& method, const std::string& URLString,
                                                              const ns::Value& parameters, Progress uploadProgress,
                                                              Progress downloadProgress, Success success,
                                                              Failure failure) {
    std::string absolute = URLString;
    if (baseURL_) {
        auto resolved = ns::URL::fromString(URLString, baseURL_);
        absolute = resolved ? resolved->absoluteString() : std::string();
    }
    ns::Ref<ns::Error> error;
    auto req = requestSerializer_->requestWithMethod(method, absolute.empty() ? URLString : absolute, parameters, &error);
    if (!req) {
        if (failure)
            dispatch::async(dispatch::Queue::main(), [failure = std::move(failure), error] { failure(nullptr, error); });
        return nullptr;
    }
    // Filled right after creation; the completion is dropped once it has run, which ends the cycle.
    auto taskHolder = std::make_shared<ns::Ref<ns::URLSessionDataTask>>();
    auto task = dataTaskWithRequest(
        req, std::move(uploadProgress), std::move(downloadProgress),
        [taskHolder, success = std::move(success), failure = std::move(failure)](
            const ns::Ref<ns::URLResponse>&, const ns::Value& object, const ns::Ref<ns::Error>& err) {
            auto t = std::exchange(*taskHolder, nullptr);
            if (err) {
                if (failure) failure(t, err);
            } else if (success) {
                success(t, object);
            }
        });
    *taskHolder = task;
    task->resume();
    return task;
}
