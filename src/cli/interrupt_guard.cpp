#include "cli/interrupt_guard.h"

#include <pthread.h>
#include <unistd.h>

#include <ctime>

#include "host/base/live_temporaries.h"

namespace tavi::cli {

namespace {

// How often the listener looks whether it should stop listening.
constexpr long kPollNanoseconds = 20'000'000;

bool ignored(int signal) {
    struct sigaction action {};
    return ::sigaction(signal, nullptr, &action) == 0 && !(action.sa_flags & SA_SIGINFO) &&
           action.sa_handler == SIG_IGN;
}

}  // namespace

InterruptGuard::InterruptGuard(std::function<void(int, std::size_t)> report) : report_(std::move(report)) {
    sigemptyset(&signals_);
    for (int signal : {SIGINT, SIGTERM})
        if (!ignored(signal)) sigaddset(&signals_, signal);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    listener_ = std::jthread([this](std::stop_token stop) { listen(stop); });
}

InterruptGuard::~InterruptGuard() {
    listener_.request_stop();
    listener_.join();
    // A signal that came after the listener stopped now ends the program
    // the ordinary way; every write has been put in place or removed.
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void InterruptGuard::listen(std::stop_token stop) {
    const timespec poll{0, kPollNanoseconds};
    while (!stop.stop_requested()) {
        const int signal = sigtimedwait(&signals_, nullptr, &poll);
        if (signal != SIGINT && signal != SIGTERM) continue;
        // A second signal stops the wait for writes other libraries make.
        const std::size_t placed = host::live_temporaries::removeAllAndHold([this] {
            const timespec now{0, 0};
            return sigtimedwait(&signals_, nullptr, &now) > 0;
        });
        report_(signal, placed);
        ::_exit(128 + signal);
    }
}

}  // namespace tavi::cli
