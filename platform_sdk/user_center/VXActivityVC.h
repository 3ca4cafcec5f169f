#pragma once
// The game's activities ("Sdkdetail/gameActivity"): self-sizing rows with a coloured tag, and the
// pull-down header to load the first page again.

#include "platform_sdk/user_center/VXArticleListVC.h"

class VXActivityVC : public VXArticleListVC {
protected:
    Kind kind() const override;
};
