// A one-line progress bar for long runs, drawn on a terminal only: on a pipe
// or a file it stays silent, so logs get just the summary.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace tavi::cli {

class ProgressBar {
public:
    // Draws on `out` only when it is a terminal and `enabled` is set.
    ProgressBar(std::FILE *out, std::size_t total, bool enabled);

    // One more item done. Safe from several threads.
    void advance();
    // Prints a line above the bar (an error or a notice) without garbling it.
    void message(std::FILE *stream, const std::string &line);
    // Removes the bar.
    void finish();

    // The bar's text for `done` of `total` after `seconds`, `width` columns wide.
    static std::string render(std::size_t done, std::size_t total, double seconds, int width);

private:
    void drawLocked();
    void clearLocked();

    std::FILE *out_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool active_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
    std::mutex lock_;
};

}  // namespace tavi::cli
