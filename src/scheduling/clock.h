#pragma once

#include "core/instant.h"

namespace tintwell::scheduling {

/// The time source every evaluation of the schedule reads. Holders keep a std::shared_ptr<Clock>
/// so that the debug time controls can swap the source without the holder knowing its type.
class Clock {
public:
    virtual ~Clock() = default;
    /// The current instant as this clock sees it.
    virtual Instant now() const = 0;
};

/// The system's wall clock, read afresh on every call.
class SystemClock final : public Clock {
public:
    Instant now() const override;
};

/// A clock that stands still at `current` until someone assigns a new instant.
class FakeClock final : public Clock {
public:
    explicit FakeClock(Instant start) : current(start) {}
    Instant now() const override { return current; }

    Instant current;
};

} // namespace tintwell::scheduling
