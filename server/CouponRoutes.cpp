// The stand-in's answers for coupons and bills.
#include "server/ServerState.h"

namespace server {

ns::Value answerCoupons(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    return {};
}

} // namespace server
