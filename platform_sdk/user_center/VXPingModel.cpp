#include "platform_sdk/user_center/VXPingModel.h"

#include "foundation/URLEncode.h"
#include "os/uikit/Screen.h"

double VXPingModel::headH() {
    if (headH_ != 0) return headH_;
    double width = ui::Screen::mainScreen().bounds().size.width - 32;
    headH_ = URLEncode::getHeightWithText(content, width, 13) + 147.5;
    return headH_;
}

void VXPingModel::vx_properties(VXKeyValue::Properties<VXPingModel>& p) {
    p.add("full_name", &VXPingModel::full_name)
        .add("content", &VXPingModel::content)
        .add("createtime", &VXPingModel::createtime)
        .add("plpic", &VXPingModel::plpic)
        .add("avatar", &VXPingModel::avatar)
        .addNumber("number_reply", &VXPingModel::number_reply)
        .addNumber("good", &VXPingModel::good)
        .addNumber("isgood", &VXPingModel::isgood)
        .addNumber("level", &VXPingModel::level)
        .addNumber("goldcoin", &VXPingModel::goldcoin)
        .addNumber("Id", &VXPingModel::Id)
        .add("vippic", &VXPingModel::vippic)
        .add("paypic", &VXPingModel::paypic);
}
