// The demo's walk through the payment centre, as a player taps and types.
#include "demo/Demo.h"

namespace demo {

void playPayTour(Context& context) {}

} // namespace demo
