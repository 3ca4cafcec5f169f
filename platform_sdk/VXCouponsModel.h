#pragma once
// One voucher of the picker. cid, pay_money and coupon_money are their "%@" text ("(null)" when
// missing); the others are kept as they came (text or number).

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

class VXCouponsModel : public ns::Object {
public:
    static ns::Ref<VXCouponsModel> initWithDictionary(const ns::Value& dic);

    ns::Value gamename;
    std::string cid;
    ns::Value coupon_name;
    std::string pay_money;
    std::string coupon_money;
    ns::Value av_time;
    ns::Value av;  // "1": usable for this order
    ns::Value gid; // non-zero: bound to one game
};
