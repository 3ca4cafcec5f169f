#include "platform_sdk/user_center/VXSuBillCell.h"

#include "os/foundation/Format.h"

void VXSuBillCell::setDic(const ns::Value& dic) {
    dic_ = dic;
    if (auto l = timeL.lock()) l->setText(dic["time"].stringValue());
    if (auto l = extL.lock()) l->setText(dic["remark"].stringValue());
}

void VXSuBillCell::setIsGet(bool isGet) {
    isGet_ = isGet;
    if (auto l = numL.lock()) l->setText(ns::format("%@%@", isGet ? "+" : "-", dic_["money"]));
}
