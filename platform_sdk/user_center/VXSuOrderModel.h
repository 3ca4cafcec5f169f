#pragma once
// One bookable game of the booking lists: icon, welfare text, discount tag, players, size, name and
// up to three welfare tags (only texts are kept; anything else in "fuli" is dropped).

#include "foundation/VXKeyValue.h"
#include "os/foundation/Object.h"

#include <optional>
#include <string>
#include <vector>

class VXSuOrderModel : public ns::Object {
public:
    ns::Value gid; // a number
    std::optional<std::string> pic1, welfare, booking, box_discount;
    ns::Value downloadnum; // a number
    std::optional<std::string> gamesize, gamename;
    ns::Array fuli;

    static void vx_properties(VXKeyValue::Properties<VXSuOrderModel>& p) {
        p.addNumber("gid", &VXSuOrderModel::gid).add("pic1", &VXSuOrderModel::pic1);
        p.add("welfare", &VXSuOrderModel::welfare).add("booking", &VXSuOrderModel::booking);
        p.add("box_discount", &VXSuOrderModel::box_discount).addNumber("downloadnum", &VXSuOrderModel::downloadnum);
        p.add("gamesize", &VXSuOrderModel::gamesize).add("gamename", &VXSuOrderModel::gamename);
        p.add("fuli", &VXSuOrderModel::fuli);
    }
    static ns::Dictionary vx_replacedKeyFromPropertyName() { return {{"gid", "id"}}; }
};
using VXSuOrderModelRef = ns::Ref<VXSuOrderModel>;
