#include "cli/Interruption.h"

#include <atomic>
#include <csignal>
#include <iterator>

namespace {

// The requests to end the program that are caught, with their names for a person.
struct CaughtSignal {
    int number;
    const char* name;
};
constexpr CaughtSignal Signals[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
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
        ::sigaction(Signals[index].number, &action, &formerActions[index]);
    }
}

InterruptionCatcher::~InterruptionCatcher() {
    for (std::size_t index = 0; index < std::size(Signals); ++index) {
        ::sigaction(Signals[index].number, &formerActions[index], nullptr);
    }
}

int InterruptionCatcher::Caught() const {
    return caughtSignal.load();
}

const char* InterruptionCatcher::CaughtName() const {
    for (const CaughtSignal& signal : Signals) {
        if (signal.number == caughtSignal.load()) {
            return signal.name;
        }
    }
    return "no signal";
}
