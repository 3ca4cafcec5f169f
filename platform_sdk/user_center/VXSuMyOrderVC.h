#pragma once
// "我的预约": the player's bookings.

#include "platform_sdk/user_center/VXSuOrderListVC.h"

class VXSuMyOrderVC : public VXSuOrderListVC {
public:
    void viewDidLoad() override;

protected:
    std::string path() const override;
};
