#pragma once
// Validates like the plain serializer, then parses the body as JSON.

#include "http/SDPHTTPResponseSerializer.h"

class SDPJSONResponseSerializer : public SDPHTTPResponseSerializer {
public:
    // Accepts "application/json", "text/json" and "text/javascript".
    static ns::Ref<SDPJSONResponseSerializer> serializer();

    // A body that fails validation or parsing gives an error and no object.
    ns::Value responseObjectForResponse(const ns::Ref<ns::URLResponse>& response, const ns::DataRef& data,
                                        ns::Ref<ns::Error>* error) const override;
};
