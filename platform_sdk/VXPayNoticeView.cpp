#include "platform_sdk/VXPayNoticeView.h"

#include "widgets/UIView+Extension.h"

#include <mutex>

VXPayNoticeViewRef VXPayNoticeView::load() {
    static std::once_flag registered;
    std::call_once(registered, registerVXPayNoticeViewNib);
    return Extension::ViewFromXib<VXPayNoticeView>();
}

void VXPayNoticeView::awakeFromNib() {
    ui::View::awakeFromNib();
    layer()->setCornerRadius(5);
    setClipsToBounds(true);
}

void VXPayNoticeView::doCancel(const ui::ButtonRef&) {
    if (!goToGameBlock) return;
    auto keep = ref<VXPayNoticeView>();
    Block block = goToGameBlock;
    removeFromSuperview();
    block(payError, payStatus);
}

void VXPayNoticeView::doGo(const ui::ButtonRef&) {
    if (!goToApplyBlock) return;
    Block block = goToApplyBlock;
    block(payError, payStatus);
}
