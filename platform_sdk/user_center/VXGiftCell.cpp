#include "platform_sdk/user_center/VXGiftCell.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Format.h"
#include "os/uikit/Pasteboard.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "widgets/UIButton+FillColor.h"
#include "widgets/UIColor+XTExtention.h"

void VXGiftCell::setDic(const ns::Value& dic) {
    dic_ = dic;
    if (nameL) nameL->setText(dic["name"].stringValue());
    bool claimed = dic["status"].boolValue();
    if (btn) {
        btn->setTitle(claimed ? "复制" : "领取", ui::ControlStateNormal);
        btn->setBackgroundColor(claimed ? ui::Color::lightGrayColor() : XTExtention::colorWithHexString("#6137E7"));
    }
    if (claimed) {
        if (showL) showL->setText(ns::format("礼包码：%@", dic["code"]));
        if (timeL) timeL->setText(dic["card_context"].stringValue());
    } else {
        if (timeL) timeL->setText(ns::format("有效期至：%@", dic["end_time"]));
        if (showL) showL->setText(dic["excerpt"].stringValue());
    }
}

void VXGiftCell::doBtnClick() {
    if (dic_["status"].boolValue()) {
        // A pack without a code has nothing to copy.
        auto code = dic_["code"].stringValue();
        if (!code || code->empty()) return;
        ui::Pasteboard::generalPasteboard().setString(code);
        dispatch::after(0.1, dispatch::Queue::main(), [] { CXRMessage::showMessage(std::string("复制成功")); });
        return;
    }
    ns::Dictionary parameters{{"cardid", dic_["id"]}, {"username", ShareVale::sharedInstance()->userName()}};
    ns::Weak<VXGiftCell> weak = ref<VXGiftCell>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        "Card/receive", parameters,
        [weak](const ns::Value& reply) {
            // A reply that did not decode is a server failure, not a silent nothing.
            if (!reply.isDictionary()) return CXRMessage::showMessage(std::string("服务器错误"));
            CXRMessage::showMessage(reply["b"].stringValue());
            auto self = weak.lock();
            if (self && reply["a"].integerValue() != 0 && self->doRefrsh) self->doRefrsh();
        },
        [](const ns::Ref<ns::Error>&) { CXRMessage::showMessage(std::string("服务器错误")); });
}
