#pragma once
// One sub-account of the player's account, as the list reply gives it.

#include "foundation/VXKeyValue.h"
#include "os/foundation/Object.h"

#include <optional>
#include <string>

class VXSubViewModel : public ns::Object {
public:
    std::optional<std::string> nickname, username, sign, login_time, lasttime;

    static void vx_properties(VXKeyValue::Properties<VXSubViewModel>& p) {
        p.add("nickname", &VXSubViewModel::nickname).add("username", &VXSubViewModel::username);
        p.add("sign", &VXSubViewModel::sign).add("login_time", &VXSubViewModel::login_time);
        p.add("lasttime", &VXSubViewModel::lasttime);
    }
    // Whether this is the sub-account used last ("lasttime" read as a boolean).
    bool isLast() const;
};
