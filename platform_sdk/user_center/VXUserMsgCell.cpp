#include "platform_sdk/user_center/VXUserMsgCell.h"

void VXUserMsgCell::setModel(const VXUserMsgModelRef& model) {
    model_ = model;
    if (!model) return;
    if (auto l = nameL.lock()) l->setText(model->title);
    if (auto l = timeL.lock()) l->setText(model->addtime);
    if (auto l = showL.lock()) l->setText(model->content);
    if (auto dot = pointView.lock()) dot->setHidden(model->isRead());
}
