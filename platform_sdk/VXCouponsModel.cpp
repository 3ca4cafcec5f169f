#include "platform_sdk/VXCouponsModel.h"

ns::Ref<VXCouponsModel> VXCouponsModel::initWithDictionary(const ns::Value& d) {
    auto m = std::make_shared<VXCouponsModel>();
    m->gamename = d["gamename"];
    m->cid = d["cid"].description();
    m->coupon_name = d["coupon_name"];
    m->pay_money = d["pay_money"].description();
    m->coupon_money = d["coupon_money"].description();
    m->av_time = d["av_time"];
    m->av = d["av"];
    m->gid = d["gid"];
    return m;
}
