#pragma once
// The plain transport: form-encoded parameters, JSON replies ("text/html" accepted too).

#include "http/SDPHTTPSessionManager.h"

class CXRSdpNetTool : public SDPHTTPSessionManager {
public:
    using Success = std::function<void(const ns::Value& object)>;
    using Failure = std::function<void(const ns::Ref<ns::Error>& error)>;

    static ns::Ref<CXRSdpNetTool> sharedTool();

    // POST to the base URL + path; a failure is logged "error = %@" here as well.
    void PostWithURLString(const std::string& path, const ns::Value& parameters, Success success, Failure failure);
    // Method 0 POST, 1 GET; any other method sends nothing and calls no block.
    void requestWithURLString(const std::string& URLString, const ns::Value& parameters, long method, Success success,
                              Failure failure);
};
