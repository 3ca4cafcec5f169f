#pragma once
// A third transport that nothing calls: the scrambled request over a URL connection, with each data
// chunk of the reply decoded as plain gzip JSON.

#include "os/foundation/Error.h"
#include "os/foundation/Object.h"
#include "os/foundation/Value.h"
#include "os/net/URLConnection.h"

#include <functional>
#include <string>

class CXRNetTool : public ns::Object, public ns::URLConnectionDelegate {
public:
    using Success = std::function<void(const ns::Value& reply)>;
    using Failure = std::function<void(const ns::Ref<ns::Error>& error)>;

    static ns::Ref<CXRNetTool> sharedInstance();
    // Drops the shared instance; the next sharedInstance() makes a fresh one.
    static void distroyInstance();

    // Stores the blocks (replacing earlier ones) and starts the load on the calling thread's run
    // loop; success runs once per data chunk, failure with the connection's error.
    void POST(const std::string& URLString, const ns::Value& parameters, Success success, Failure failure);

    void didReceiveData(const ns::Ref<ns::URLConnection>& connection, const ns::DataRef& data) override;
    void didFailWithError(const ns::Ref<ns::URLConnection>& connection, const ns::Ref<ns::Error>& error) override;

    CXRNetTool() = default; // use sharedInstance()

private:
    std::mutex mutex_;
    Success success_;
    Failure failure_;
};
