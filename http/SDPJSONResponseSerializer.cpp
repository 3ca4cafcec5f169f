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
    // A lone space is what some servers send for "no content".
    if (!data || data->length() == 0 || data->view() == " ") return {};
    ns::Ref<ns::Error> parseError;
    ns::Value object = ns::JSONSerialization::parse(data, ns::JSONSerialization::ReadingFragmentsAllowed, &parseError);
    if (object.isNil() && error) *error = parseError;
    return object;
}
