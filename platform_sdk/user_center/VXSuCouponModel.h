#pragma once
// One discount coupon, as the coupon centre and "my coupons" list it.

#include "foundation/VXKeyValue.h"
#include "os/foundation/Object.h"

#include <optional>
#include <string>

class VXSuCouponModel;
using VXSuCouponModelRef = ns::Ref<VXSuCouponModel>;

class VXSuCouponModel : public ns::Object {
public:
    std::optional<std::string> gamename;
    std::optional<std::string> time;
    ns::Value cid; // sent back as it came when claiming
    std::optional<std::string> coupon_money;
    std::optional<std::string> pay_money;
    std::optional<std::string> is_get; // read with boolValue
    std::optional<std::string> end_time;

    static void vx_properties(VXKeyValue::Properties<VXSuCouponModel>& p) {
        p.add("gamename", &VXSuCouponModel::gamename)
            .add("time", &VXSuCouponModel::time)
            .addNumber("cid", &VXSuCouponModel::cid)
            .add("coupon_money", &VXSuCouponModel::coupon_money)
            .add("pay_money", &VXSuCouponModel::pay_money)
            .add("is_get", &VXSuCouponModel::is_get)
            .add("end_time", &VXSuCouponModel::end_time);
    }
};
