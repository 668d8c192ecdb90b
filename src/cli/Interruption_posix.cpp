#include "cli/Interruption.h"

#include <atomic>
#include <csignal>
#include <iterator>

namespace {

constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction formerActions[std::size(Signals)];
// Lock-free, so a handler may set it on any thread, the read-ahead's among them.
std::atomic<int> caughtSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void NoteSignal(int signal) {
    caughtSignal.store(signal);
}

} // namespace

// SA_RESTART: a signal between rows must not fail the write or the removal it lands in.
InterruptionCatcher::InterruptionCatcher() {
    caughtSignal.store(0);
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t index = 0; index < std::size(Signals); ++index) {
        ::sigaction(Signals[index], &action, &formerActions[index]);
    }
}

InterruptionCatcher::~InterruptionCatcher() {
    for (std::size_t index = 0; index < std::size(Signals); ++index) {
        ::sigaction(Signals[index], &formerActions[index], nullptr);
    }
}

int InterruptionCatcher::Caught() const {
    return caughtSignal.load();
}

const char* InterruptionCatcher::CaughtName() const {
    switch (caughtSignal.load()) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "no signal";
    }
}
