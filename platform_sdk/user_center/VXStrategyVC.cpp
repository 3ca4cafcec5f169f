#include "platform_sdk/user_center/VXStrategyVC.h"

VXArticleListVC::Kind VXStrategyVC::kind() const {
    return {"Sdkdetail/gonglue", "VXStrategyCell", 243, false, "此游戏暂无攻略，敬请期待哦~"};
}
