#include "cli/progress_bar.h"

#include <pthread.h>
#include <unistd.h>

#include <cmath>
#include <csignal>

namespace tavi::cli {

ProgressBar::ProgressBar(std::FILE *out, std::size_t total, bool enabled, double logSeconds)
    : out_(out), total_(total), active_(enabled && ::isatty(::fileno(out)) != 0),
      start_(std::chrono::steady_clock::now()) {
    if (!active_ && logSeconds > 0 && ::isatty(::fileno(out)) == 0) {
        // The run's interrupt guard takes SIGINT and SIGTERM on a thread of
        // its own; the logger is born with them blocked, or one landing here
        // would kill the process in mid-write.
        sigset_t stops, previous;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stops, &previous);
        logger_ = std::thread([this, logSeconds] { logUntilFinished(logSeconds); });
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::logUntilFinished(double seconds) {
    std::unique_lock guard(lock_);
    const auto every =
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    for (auto next = start_ + every; !finishing_.wait_until(guard, next, [this] { return finished_; }); next += every) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        std::fprintf(out_, "tavi: %zu of %zu frame%s done in %.1f s\n", done_, total_, total_ == 1 ? "" : "s", elapsed);
        std::fflush(out_);
    }
}

std::string ProgressBar::render(std::size_t done, std::size_t total, double seconds, int width) {
    const std::string counts = " " + std::to_string(done) + "/" + std::to_string(total) + " frames";
    std::string rate;
    if (seconds > 0 && done > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "  %.1f frames/s", double(done) / seconds);
        rate = text;
    }
    const int barWidth = std::max(10, width - int(counts.size() + rate.size()) - 2);
    const int filled = total == 0 ? barWidth : int(std::lround(double(barWidth) * double(done) / double(total)));
    return "[" + std::string(std::size_t(filled), '#') + std::string(std::size_t(barWidth - filled), ' ') + "]" +
           counts + rate;
}

void ProgressBar::drawLocked() {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(out_, "\r%s", render(done_, total_, seconds, 60).c_str());
    std::fflush(out_);
    drawn_ = true;
}

void ProgressBar::clearLocked() {
    if (!drawn_) return;
    std::fprintf(out_, "\r\033[K");
    drawn_ = false;
}

void ProgressBar::advance() {
    std::lock_guard guard(lock_);
    ++done_;
    if (active_) drawLocked();
}

void ProgressBar::message(std::FILE *stream, const std::string &line) {
    std::lock_guard guard(lock_);
    if (active_) clearLocked();
    std::fprintf(stream, "%s\n", line.c_str());
    std::fflush(stream);
    if (active_ && done_ > 0) drawLocked();
}

void ProgressBar::finish() {
    {
        std::lock_guard guard(lock_);
        if (active_) clearLocked();
        finished_ = true;
    }
    finishing_.notify_all();
    if (logger_.joinable()) logger_.join();
}

}  // namespace tavi::cli
