// Model mapping over arbitrary JSON: any document, any value types under any keys, never a crash.
#include "foundation/VXKeyValue.h"
#include "os/foundation/JSONSerialization.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Every kind of property the mapping fills, under keys a fuzzer finds quickly.
class FuzzModel : public ns::Object {
public:
    std::optional<std::string> text;
    ns::Value number;
    ns::Value any;
    ns::Value renamed;
    bool flag = false;
    int small = 0;
    long long big = 0;
    double real = 0;
    float single = 0;
    ns::Dictionary dictionary;
    ns::Array array;

    static void vx_properties(VXKeyValue::Properties<FuzzModel>& p) {
        p.add("a", &FuzzModel::text)
            .addNumber("b", &FuzzModel::number)
            .add("c", &FuzzModel::any)
            .addNumber("Id", &FuzzModel::renamed)
            .add("d", &FuzzModel::flag)
            .add("e", &FuzzModel::small)
            .add("f", &FuzzModel::big)
            .add("g", &FuzzModel::real)
            .add("h", &FuzzModel::single)
            .add("i", &FuzzModel::dictionary)
            .add("j", &FuzzModel::array);
    }
    static ns::Dictionary vx_replacedKeyFromPropertyName() { return {{"Id", "id"}}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ns::Data bytes(std::vector<uint8_t>(data, data + size));
    ns::Value document = ns::JSONSerialization::parse(bytes, ns::JSONSerialization::ReadingFragmentsAllowed);

    auto rows = VXKeyValue::vx_objectArrayWithKeyValuesArray<FuzzModel>(document);
    if (rows.size() > document.count()) std::abort();
    for (const auto& row : rows) {
        if (!row) std::abort();
        (void)row->number.description();
        (void)row->any.description();
    }
    auto single = VXKeyValue::vx_objectWithKeyValues<FuzzModel>(document);
    if (document.isDictionary() != static_cast<bool>(single)) std::abort();
    if (single && single->number.kind() != ns::Value::Kind::Nil && !single->number.isNumber()) std::abort();
    return 0;
}
