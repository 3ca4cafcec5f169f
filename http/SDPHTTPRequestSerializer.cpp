#include "http/SDPHTTPRequestSerializer.h"

#include "os/foundation/Format.h"

SDPHTTPRequestSerializer::SDPHTTPRequestSerializer() {
    headers_.set("Accept-Language", "zh-Hans-CN;q=1, en;q=0.9");
    headers_.set("User-Agent", "VorlixClient/1.0 (Linux; headless)");
}

ns::Ref<SDPHTTPRequestSerializer> SDPHTTPRequestSerializer::serializer() {
    return std::make_shared<SDPHTTPRequestSerializer>();
}

void SDPHTTPRequestSerializer::setValue(const std::optional<std::string>& value, const std::string& field) {
    headers_.set(field, ns::Value(value));
}

ns::Ref<ns::URLRequest> SDPHTTPRequestSerializer::requestWithMethod(const std::string& method, const std::string& URLString,
                                                                    const ns::Value& parameters,
                                                                    ns::Ref<ns::Error>* error) const {
    auto url = ns::URL::fromString(URLString);
    if (!url) {
        if (error) {
            ns::Dictionary info;
            info.set(ns::LocalizedDescriptionKey, ns::format("Invalid URL: %@", URLString));
            info.set(ns::URLErrorFailingURLStringKey, URLString);
            *error = ns::Error::make(ns::URLErrorDomain, ns::URLErrorBadURL, std::move(info));
        }
        return nullptr;
    }
    auto request = ns::URLRequest::requestWithURL(url);
    request->setHTTPMethod(method);
    request->setTimeoutInterval(timeout_);
    for (const auto& [field, value] : headers_)
        if (!request->valueForHTTPHeaderField(field)) request->setValue(value.stringValue(), field);

    const ns::Dictionary* dict = parameters.dictionaryPtr();
    if (!dict) return request;
    std::string query = ns::formEncode(*dict);
    if (method == "GET" || method == "HEAD" || method == "DELETE") {
        if (!query.empty()) {
            std::string text = url->absoluteString();
            auto withQuery = ns::URL::fromString(text + (url->query() ? "&" : "?") + query);
            if (withQuery) request->setURL(withQuery);
        }
    } else {
        if (!request->valueForHTTPHeaderField("Content-Type"))
            request->setValue("application/x-www-form-urlencoded", "Content-Type");
        request->setHTTPBody(ns::Data::fromString(query));
    }
    return request;
}
