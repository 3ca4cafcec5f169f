#include "os/quartz/MediaTime.h"

#include "os/foundation/Clock.h"

namespace ca {

double mediaTime() { return ns::Clock::now(); }

} // namespace ca
