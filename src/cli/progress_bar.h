// A one-line progress bar for long runs, drawn on a terminal; on a pipe or a
// file (a farm manager's log) a plain line instead, every so many seconds
// while the run goes on.
#pragma once

#include <chrono>
#include <cstdio>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tavi::cli {

class ProgressBar {
public:
    // Draws on `out` when it is a terminal and `enabled` is set. Elsewhere,
    // with `logSeconds` above 0, prints "tavi: N of M frames done in T s"
    // every `logSeconds` seconds until finish().
    ProgressBar(std::FILE *out, std::size_t total, bool enabled, double logSeconds = 0);
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    // One more item done. Safe from several threads.
    void advance();
    // Prints a line above the bar (an error or a notice) without garbling it.
    void message(std::FILE *stream, const std::string &line);
    // Removes the bar, and stops the plain lines.
    void finish();

    // The bar's text for `done` of `total` after `seconds`, `width` columns wide.
    static std::string render(std::size_t done, std::size_t total, double seconds, int width);

private:
    void drawLocked();
    void clearLocked();
    void logUntilFinished(double seconds);

    std::FILE *out_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool active_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
    std::mutex lock_;
    bool finished_ = false;
    std::condition_variable finishing_;
    std::thread logger_;
};

}  // namespace tavi::cli
