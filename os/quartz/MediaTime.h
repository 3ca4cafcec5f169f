#pragma once
// Media time: the monotonic seconds of the one clock, so that it follows a manual clock in tests.

namespace ca {

double mediaTime();

} // namespace ca
