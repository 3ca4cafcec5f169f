#pragma once
// "游戏预约": the bookable games, with a bar button to the player's own bookings.

#include "os/uikit/Button.h"
#include "platform_sdk/user_center/VXSuOrderListVC.h"

class VXSuOrderVC : public VXSuOrderListVC {
public:
    // "我的预约", made on first access.
    const ui::ButtonRef& navBtn();
    void viewDidLoad() override;
    void goToMyOrderVc();

protected:
    std::string path() const override;

private:
    ui::ButtonRef navBtn_;
};
