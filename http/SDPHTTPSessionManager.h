#pragma once
// Session manager with a base URL and a request serializer; GET and POST call exactly one of
// success and failure on the main queue.

#include "http/SDPHTTPRequestSerializer.h"
#include "http/SDPURLSessionManager.h"

class SDPHTTPSessionManager : public SDPURLSessionManager {
public:
    using Success = std::function<void(const ns::Ref<ns::URLSessionDataTask>& task, const ns::Value& responseObject)>;
    using Failure = std::function<void(const ns::Ref<ns::URLSessionDataTask>& task, const ns::Ref<ns::Error>& error)>;

    // A "/" is added to a base URL whose path is non-empty and lacks one.
    static ns::Ref<SDPHTTPSessionManager> create(ns::Ref<ns::URL> baseURL,
                                                 ns::Ref<ns::URLSessionConfiguration> configuration = nullptr);

    const ns::Ref<ns::URL>& baseURL() const { return baseURL_; }
    const ns::Ref<SDPHTTPRequestSerializer>& requestSerializer() const { return requestSerializer_; }
    void setRequestSerializer(ns::Ref<SDPHTTPRequestSerializer> serializer) { requestSerializer_ = std::move(serializer); }

    // URL strings are resolved against the base URL. Failure: transport, status, content type or
    // parsing; success otherwise. A URL that does not parse fails (on the main queue) with no task.
    ns::Ref<ns::URLSessionDataTask> GET(const std::string& URLString, const ns::Value& parameters, Progress progress,
                                        Success success, Failure failure);
    ns::Ref<ns::URLSessionDataTask> POST(const std::string& URLString, const ns::Value& parameters, Progress progress,
                                         Success success, Failure failure);

protected:
    void initWithBaseURL(ns::Ref<ns::URL> baseURL, ns::Ref<ns::URLSessionConfiguration> configuration);

private:
    ns::Ref<ns::URLSessionDataTask> request(const std::string& method, const std::string& URLString,
                                            const ns::Value& parameters, Progress uploadProgress,
                                            Progress downloadProgress, Success success, Failure failure);
    ns::Ref<ns::URL> baseURL_;
    ns::Ref<SDPHTTPRequestSerializer> requestSerializer_;
};
