#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/foundation/Log.h"
#include "os/foundation/Object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ns;

namespace {
class Holder : public Object {};
const char kFirst = 0, kSecond = 0;
} // namespace

TEST(Object, AssociatedValuesPerKeyAndNilRemoves) {
    auto object = make<Holder>();
    auto payload = Data::fromString("extended");
    object->setAssociated(&kFirst, Value(payload));
    object->setAssociated(&kSecond, Value(2));
    EXPECT_EQ(object->associated(&kFirst).data(), payload); // the very same data object
    EXPECT_EQ(object->associated(&kSecond).intValue(), 2);
    object->setAssociated(&kFirst, Value());
    EXPECT_TRUE(object->associated(&kFirst).isNil());
    EXPECT_EQ(object->associated(&kSecond).intValue(), 2);
    EXPECT_TRUE(make<Holder>()->associated(&kSecond).isNil());

    EXPECT_EQ(object->className(), "Holder");
    EXPECT_EQ(object->description().rfind("<Holder: 0x", 0), 0u);
    EXPECT_EQ(as<Holder>(Ref<Object>(object)), object);
    EXPECT_EQ(as<Data>(Ref<Object>(object)), nullptr);
}

TEST(Error, DescriptionsAndLogLines) {
    auto named = Error::make("支付失败", 3, "ErrorInfo memo");
    EXPECT_EQ(named->localizedDescription(), "ErrorInfo memo");
    auto plain = Error::make(URLErrorDomain, URLErrorTimedOut);
    EXPECT_EQ(plain->localizedDescription(), "The operation couldn’t be completed. (NSURLErrorDomain error -1001.)");
    EXPECT_EQ(plain->description().rfind("Error Domain=NSURLErrorDomain Code=-1001 ", 0), 0u);
    Exception raised("NSInvalidArgumentException", "bad");
    EXPECT_STREQ(raised.what(), "NSInvalidArgumentException: bad");

    std::vector<std::string> lines;
    auto previous = Log::setSink([&](const std::string& line) { lines.push_back(line); });
    log("error = %@", plain->code());
    log("开始加载");
    Log::setSink(previous);
    EXPECT_EQ(lines, (std::vector<std::string>{"error = -1001", "开始加载"}));
}

TEST(Data, RangeSearchStaysInsideTheSearchRange) {
    auto data = Data::fromString("abcabc");
    const std::string bc = "bc";
    auto needle = std::span(reinterpret_cast<const uint8_t*>(bc.data()), bc.size());
    EXPECT_EQ(data->rangeOf(needle), (Range{1, 2}));
    EXPECT_EQ(data->rangeOf(needle, {2, 4}), (Range{4, 2}));
    EXPECT_EQ(data->rangeOf(needle, {2, 2}).location, Range::NotFound); // "ca": the match would leave the range
    EXPECT_EQ(data->rangeOf(needle, {9, 1}).location, Range::NotFound);
    EXPECT_EQ(data->rangeOf({}).location, Range::NotFound);
    EXPECT_EQ(data->subdata({4, 10})->toString(), "bc");
}
