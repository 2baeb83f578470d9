// SIGINT and SIGTERM while a command writes files: the temporary files of
// the writes under way are removed, the command says what it got done, and
// the program exits with 128 + the signal's number (130, 143).
//
// The signals are taken by a thread of the guard's own, with sigwait:
// every thread started while the guard lives has them blocked (the mask is
// inherited), so no signal handler runs and nothing here has to be
// async-signal-safe. The thread takes the lock of the live temporaries
// (host/base/live_temporaries.h) and keeps it, so that no write starts or
// is put in place after the listed temporaries are removed; a write that
// another library makes by name is waited for, unless the signal comes
// again. Then it reports and calls _exit.
//
// A signal that is ignored when the guard starts (a script's background
// job: `trap '' INT; tavi ... &`) is left alone and stays ignored: a
// blocked signal would reach sigwait even so.
#pragma once

#include <csignal>
#include <cstddef>
#include <functional>
#include <thread>

namespace tavi::cli {

class InterruptGuard {
public:
    // `report(signal, placed)` prints the closing line; `placed` is how many
    // temporaries this process has put in place (host::live_temporaries::placed).
    explicit InterruptGuard(std::function<void(int signal, std::size_t placed)> report);
    // Stops listening and unblocks the signals again.
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

private:
    void listen(std::stop_token stop);

    std::function<void(int, std::size_t)> report_;
    sigset_t signals_{};
    sigset_t previous_{};
    std::jthread listener_;
};

}  // namespace tavi::cli
