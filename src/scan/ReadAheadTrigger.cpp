#include "scan/ReadAheadTrigger.h"

#include <bit>

bool ReadAheadTrigger::Note(bool slow, std::optional<std::uint64_t> waits) {
    if (slow && waits) {
        // The count is read only after slow readings: a wait since the one before counts,
        // which the walk's other waits (a full pipe for its rows) seldom make.
        slow = !lastWaits_ || *waits != *lastWaits_;
        lastWaits_ = waits;
    }
    lastReadings_ = (lastReadings_ << 1) | (slow ? 1u : 0u);
    return std::popcount(lastReadings_) >= SlowOfLast64;
}
