// Runs the tavi command as a user does, from a shell in a folder of its
// own, and keeps what it printed.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "support/scratch_folder.h"

namespace tavi::test {

// Whether the command under test runs with AddressSanitizer, which needs
// more memory and address space than a test's tight limits allow.
constexpr bool builtWithAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

struct CommandRun {
    int status;  // the exit status, or -1 when the command did not exit
    std::string out;
    std::string err;
};

inline std::string slurp(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `program args` in `dir`, with stdin empty; `environment` (e.g.
// "SDL_VIDEODRIVER=offscreen", or "-u DISPLAY") goes to env first. The
// output files are removed again, so they never show among the outputs.
inline CommandRun runIn(const std::filesystem::path &dir, const std::string &program, const std::string &args,
                        const std::string &environment = "") {
    const std::filesystem::path out = dir / ".tavi-stdout";
    const std::filesystem::path err = dir / ".tavi-stderr";
    const std::string command = "cd '" + dir.string() + "' && env " + environment + " '" + program + "' " + args +
                                " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    CommandRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

// `program args` started in `dir` as runIn does, but in the background, so
// that a test can signal it while it works.
class BackgroundRun {
public:
    BackgroundRun(const std::filesystem::path &dir, const std::string &program, const std::string &args)
        : out_(dir / ".tavi-stdout"), err_(dir / ".tavi-stderr") {
        const std::string command = "cd '" + dir.string() + "' && exec '" + program + "' " + args + " >'" +
                                    out_.string() + "' 2>'" + err_.string() + "' </dev/null";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
            ::_exit(127);
        }
    }
    ~BackgroundRun() {
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    BackgroundRun(const BackgroundRun &) = delete;
    BackgroundRun &operator=(const BackgroundRun &) = delete;

    // The command itself: sh replaces itself with it.
    pid_t pid() const { return pid_; }
    // Whether it has ended, without waiting.
    bool ended() {
        if (waited_) return true;
        int raw = 0;
        if (::waitpid(pid_, &raw, WNOHANG) != pid_) return false;
        waited_ = true;
        raw_ = raw;
        return true;
    }
    // Waits for it to end; what it printed.
    CommandRun finish() {
        if (!waited_) {
            ::waitpid(pid_, &raw_, 0);
            waited_ = true;
        }
        CommandRun run{WIFEXITED(raw_) ? WEXITSTATUS(raw_) : -1, slurp(out_), slurp(err_)};
        std::filesystem::remove(out_);
        std::filesystem::remove(err_);
        return run;
    }

private:
    std::filesystem::path out_, err_;
    pid_t pid_ = -1;
    bool waited_ = false;
    int raw_ = 0;
};

// A fresh folder for each test, named after it, where the command under
// test runs; removed afterwards.
class CommandFolder : public ::testing::Test {
protected:
    std::filesystem::path dir;

    void SetUp() override {
        const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
        scratch_.emplace("tavi_" + std::string(test->test_suite_name()) + "_" + test->name());
        dir = scratch_->path();
    }
    void TearDown() override { scratch_.reset(); }

private:
    std::optional<ScratchFolder> scratch_;
};

}  // namespace tavi::test
