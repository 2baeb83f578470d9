#pragma once

#include <stdexcept>

namespace tavi::cli {

// A command line that asks for something impossible; exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

}  // namespace tavi::cli
