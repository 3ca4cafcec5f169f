#pragma once
// One sub-account in the sub-account screen: its last role, server and level, whether it was used
// last, its display name and identifier, and whether its row is expanded (local, NO at start).

#include "foundation/VXKeyValue.h"
#include "os/foundation/Object.h"

#include <optional>
#include <string>

class VXSuSubNameModel : public ns::Object {
public:
    std::optional<std::string> rolename, zonename, rolelevel, lasttime, nickname, username;
    bool isShow = false;

    static void vx_properties(VXKeyValue::Properties<VXSuSubNameModel>& p) {
        p.add("rolename", &VXSuSubNameModel::rolename).add("zonename", &VXSuSubNameModel::zonename);
        p.add("rolelevel", &VXSuSubNameModel::rolelevel).add("lasttime", &VXSuSubNameModel::lasttime);
        p.add("nickname", &VXSuSubNameModel::nickname).add("username", &VXSuSubNameModel::username);
    }
};
using VXSuSubNameModelRef = ns::Ref<VXSuSubNameModel>;
