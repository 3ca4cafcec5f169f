// Which status codes the response serializers pass, and which content types the JSON one takes.

#include "http/SDPJSONResponseSerializer.h"
#include "os/net/URLError.h"

#include <gtest/gtest.h>

namespace {

ns::Ref<ns::HTTPURLResponse> reply(long status, const std::string& contentType) {
    return ns::HTTPURLResponse::create(ns::URL::fromString("http://127.0.0.1/api"), status,
                                       ns::Dictionary{{"Content-Type", contentType}});
}

TEST(ResponseSerializer, StatusCodesFrom200To299PassAndTheirNeighboursFail) {
    const auto body = ns::Data::fromString(R"({"a":1})");
    const ns::Ref<SDPHTTPResponseSerializer> serializers[] = {SDPHTTPResponseSerializer::serializer(),
                                                              SDPJSONResponseSerializer::serializer()};
    for (const auto& serializer : serializers) {
        for (long status : {200L, 299L}) {
            ns::Ref<ns::Error> error;
            EXPECT_TRUE(serializer->validateResponse(reply(status, "application/json"), body, &error)) << status;
            EXPECT_FALSE(error) << status;
            EXPECT_FALSE(serializer->responseObjectForResponse(reply(status, "application/json"), body, &error).isNil());
        }
        for (long status : {199L, 300L}) {
            ns::Ref<ns::Error> error;
            EXPECT_FALSE(serializer->validateResponse(reply(status, "application/json"), body, &error)) << status;
            ASSERT_TRUE(error) << status;
            EXPECT_EQ(error->domain(), SDPURLResponseSerializationErrorDomain);
            EXPECT_EQ(error->code(), ns::URLErrorBadServerResponse);
        }
    }
}

TEST(ResponseSerializer, JSONSerializerTakesTheThreeJSONContentTypesByDefault) {
    auto json = SDPJSONResponseSerializer::serializer();
    const auto body = ns::Data::fromString(R"({"a":1})");
    for (const char* type : {"application/json", "text/json", "text/javascript", "application/json; charset=utf-8"}) {
        ns::Ref<ns::Error> error;
        EXPECT_EQ(json->responseObjectForResponse(reply(200, type), body, &error)["a"].intValue(), 1) << type;
        EXPECT_FALSE(error) << type;
    }
    for (const char* type : {"text/html", "text/plain", "application/javascript"}) {
        ns::Ref<ns::Error> error;
        EXPECT_TRUE(json->responseObjectForResponse(reply(200, type), body, &error).isNil()) << type;
        ASSERT_TRUE(error) << type;
        EXPECT_EQ(error->code(), ns::URLErrorCannotDecodeContentData) << type;
    }
}

} // namespace
