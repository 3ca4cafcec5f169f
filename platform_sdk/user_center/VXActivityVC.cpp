#include "platform_sdk/user_center/VXActivityVC.h"

VXArticleListVC::Kind VXActivityVC::kind() const {
    return {"Sdkdetail/gameActivity", "VXActivityCell", ui::TableViewAutomaticDimension, true, "此游戏暂无活动，敬请期待哦~"};
}
