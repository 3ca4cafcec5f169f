#pragma once
// One comment (or one reply) of the strategy tab's comment pages. The list and the thread page share
// the very same object, so a like given on one shows on the other.

#include "foundation/VXKeyValue.h"
#include "os/foundation/Object.h"

#include <optional>
#include <string>

class VXPingModel;
using VXPingModelRef = ns::Ref<VXPingModel>;

class VXPingModel : public ns::Object {
public:
    std::optional<std::string> full_name;
    std::optional<std::string> content;
    std::optional<std::string> createtime;
    std::optional<std::string> plpic;
    std::optional<std::string> avatar;
    ns::Value number_reply;
    ns::Value good;
    ns::Value isgood;
    ns::Value level;
    ns::Value goldcoin;
    ns::Value Id;
    std::optional<std::string> vippic;
    ns::Dictionary paypic;

    // Height of the thread page's head: the content's height at the screen width − 32 in the
    // system font of size 13, plus 147.5; measured once, then kept.
    double headH();
    void setHeadH(double h) { headH_ = h; }

    static void vx_properties(VXKeyValue::Properties<VXPingModel>& p);
    static ns::Dictionary vx_replacedKeyFromPropertyName() { return {{"Id", "id"}}; }

private:
    double headH_ = 0;
};
