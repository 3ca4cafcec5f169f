#include "platform_sdk/user_center/VXSuMyOrderVC.h"

#include "platform_sdk/VXEndpoints.h"

void VXSuMyOrderVC::viewDidLoad() {
    VXSuOrderListVC::viewDidLoad();
    setUp("我的预约");
}

std::string VXSuMyOrderVC::path() const { return VXEndpoints::MyBookingList; }
