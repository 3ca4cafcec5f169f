#include "http/SDPJSONResponseSerializer.h"

#include "os/foundation/JSONSerialization.h"

ns::Ref<SDPJSONResponseSerializer> SDPJSONResponseSerializer::serializer() {
    auto s = std::make_shared<SDPJSONResponseSerializer>();
    s->setAcceptableContentTypes(std::set<std::string>{"application/json", "text/json", "text/javascript"});
    return s;
}

ns::Value SDPJSONResponseSerializer::responseObjectForResponse(const ns::Ref<ns::URLResponse>& response,
                                                               const ns::DataRef& data, ns::Ref<ns::Error>* error) const {
    if (!validateResponse(response, data, error)) return {};
    // An empty or blank body is no JSON: the caller gets the parser's error, never a success with nothing.
    ns::Ref<ns::Error> parseError;
    ns::Value object = ns::JSONSerialization::parse(data, ns::JSONSerialization::ReadingFragmentsAllowed, &parseError);
    if (object.isNil() && error) *error = parseError;
    return object;
}
