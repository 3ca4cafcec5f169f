#pragma once
// The strategy guides of the current game ("Sdkdetail/gonglue"): fixed 243 pt rows, no pull-down.

#include "platform_sdk/user_center/VXArticleListVC.h"

class VXStrategyVC : public VXArticleListVC {
protected:
    Kind kind() const override;
};
