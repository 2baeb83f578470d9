// The atomic write's temporary files that exist right now, listed for the
// whole process, so that a run that is told to stop (SIGINT, SIGTERM) can
// remove them before it exits.
//
// Every step that makes, puts in place or removes a temporary holds one
// lock. The stop takes that lock and keeps it until the process ends, so
// no temporary appears or moves after the stop has removed the listed ones.
// It runs in an ordinary thread (see cli/interrupt_guard.h), not in a
// signal handler, so it may lock and wait.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tavi::host::live_temporaries {

// Creates `path` (O_EXCL, `mode`) and lists it. Returns the open
// descriptor, or -1 with errno set; EINTR once the process is stopping.
int create(const std::filesystem::path &path, mode_t mode);

// Lists `path`, which another writer is about to create by name; until
// settled, a stop waits for that writer. False once the process is stopping.
bool lend(const std::filesystem::path &path);
// The other writer is done with `path`; it is listed as an existing file.
void settle(const std::filesystem::path &path);

// Renames `path` over `target`, first giving it the permissions of the file
// it replaces, and unlists it. Returns the reason on failure (an existing
// target that is neither a regular file nor a symbolic link is never
// replaced), "interrupted" once the process is stopping.
std::optional<std::string> place(const std::filesystem::path &path, const std::filesystem::path &target);

// Removes `path` if it exists and unlists it.
void discard(const std::filesystem::path &path);

// How many temporaries place() has put in place in this process.
std::size_t placed();

// For the stop: refuses every later create, lend and place; waits for lent
// temporaries to be settled or discarded, asking `stopWaiting` every tenth
// of a second whether to give up; removes every listed file; and returns
// placed(). The lock stays held: the caller ends the process.
std::size_t removeAllAndHold(const std::function<bool()> &stopWaiting);

}  // namespace tavi::host::live_temporaries
