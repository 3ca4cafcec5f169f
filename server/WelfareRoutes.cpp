// The stand-in's answers for welfare, strategy and activity lists, gifts and the server list.
#include "server/ServerState.h"

namespace server {

ns::Value answerWelfare(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    return {};
}

} // namespace server
