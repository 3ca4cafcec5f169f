#include "platform_sdk/VXSubViewModel.h"

bool VXSubViewModel::isLast() const { return lasttime && ns::Value(*lasttime).boolValue(); }
