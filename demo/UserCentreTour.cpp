// The demo's walk through the user centre, as a player taps and types.
#include "demo/Demo.h"

namespace demo {

void playUserCentreTour(Context& context) {}

} // namespace demo
