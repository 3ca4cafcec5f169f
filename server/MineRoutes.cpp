// The stand-in's answers for the mine page, phone binding, sub-account names, messages and bookings.
#include "server/ServerState.h"

namespace server {

ns::Value answerMine(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    return {};
}

} // namespace server
