#pragma once
// The scrambled transport: parameters encoded with the body codec, posted as "text/html", and the
// reply body decoded back into JSON. Any reply with a body goes to success, decoded or nil.

#include "http/SDPURLSessionManager.h"

class NetWorkManager : public SDPURLSessionManager {
public:
    using Success = std::function<void(const ns::Value& reply)>;
    using Failure = std::function<void(const ns::Ref<ns::Error>& error)>;

    static ns::Ref<NetWorkManager> sharedInstance();

    // POST to the base URL + path.
    void PostCouponURL(const std::string& path, const ns::Value& parameters, Success success, Failure failure);
    // POST to a full URL; blocks run on the main queue.
    void POST(const std::string& URLString, const ns::Value& parameters, Success success, Failure failure);
};
