#include "scheduling/clock.h"

namespace tintwell::scheduling {

Instant SystemClock::now() const {
    return instantFromSystemClock(std::chrono::system_clock::now());
}

} // namespace tintwell::scheduling
