#include "platform_sdk/VXNoticeVC.h"

#include "foundation/URLEncode.h"
#include "os/uikit/Storyboard.h"

VXNoticeVCRef VXNoticeVC::instantiate() {
    registerInterfaceFile();
    auto board = ui::Storyboard::storyboardWithName("VXUserShow", URLEncode::getSdkBundle());
    return std::dynamic_pointer_cast<VXNoticeVC>(board->instantiateViewControllerWithIdentifier("VXNoticeVC"));
}

void VXNoticeVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    if (auto text = textView.lock()) text->setEditable(false);
}

void VXNoticeVC::doCloseBtnClick() {
    if (noticeHiddenBlock) noticeHiddenBlock(ref<VXNoticeVC>());
}
