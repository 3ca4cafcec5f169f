// The demo's walk through the login window and its panels, as a player taps and types.
#include "demo/Demo.h"

namespace demo {

void playLoginTour(Context& context) {}

} // namespace demo
