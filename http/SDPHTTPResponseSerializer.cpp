#include "http/SDPHTTPResponseSerializer.h"

#include "os/foundation/Format.h"
#include "os/net/URLError.h"

namespace {

ns::Ref<ns::Error> validationError(long code, const std::string& description, const ns::Ref<ns::URLResponse>& response,
                                   const ns::DataRef& data) {
    ns::Dictionary info;
    info.set(ns::LocalizedDescriptionKey, description);
    if (response && response->url()) info.set(ns::URLErrorFailingURLStringKey, response->url()->absoluteString());
    info.set(SDPNetworkingOperationFailingURLResponseErrorKey, ns::Value(response));
    info.set(SDPNetworkingOperationFailingURLResponseDataErrorKey, ns::Value(data));
    return ns::Error::make(SDPURLResponseSerializationErrorDomain, code, std::move(info));
}

} // namespace

ns::Ref<SDPHTTPResponseSerializer> SDPHTTPResponseSerializer::serializer() {
    return std::make_shared<SDPHTTPResponseSerializer>();
}

bool SDPHTTPResponseSerializer::validateResponse(const ns::Ref<ns::URLResponse>& response, const ns::DataRef& data,
                                                 ns::Ref<ns::Error>* error) const {
    auto http = std::dynamic_pointer_cast<ns::HTTPURLResponse>(response);
    if (!http) return true;
    ns::Ref<ns::Error> failure;
    if (contentTypes_) {
        const auto& mime = http->mimeType();
        if (!mime || !contentTypes_->count(*mime))
            failure = validationError(ns::URLErrorCannotDecodeContentData,
                                      ns::format("Request failed: unacceptable content-type: %@", mime), response, data);
    }
    if (!failure && !acceptsStatusCode(http->statusCode()))
        failure = validationError(ns::URLErrorBadServerResponse,
                                  ns::format("Request failed: status code %ld", http->statusCode()), response, data);
    if (failure && error) *error = failure;
    return !failure;
}

ns::Value SDPHTTPResponseSerializer::responseObjectForResponse(const ns::Ref<ns::URLResponse>& response,
                                                               const ns::DataRef& data, ns::Ref<ns::Error>* error) const {
    validateResponse(response, data, error);
    return data;
}
