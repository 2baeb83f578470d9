// The names of the atomic write's hidden temporary files:
// ".<stem>.tavi-<host>-<machine>-<pid>-<serial><ext>" beside the file they
// will replace. <host> is the host name (letters, digits and dashes of it,
// for people to read); <machine> is 16 hexadecimal digits that tell this
// host, this boot of it and this process-id namespace (a container has its
// own) from every other. A process id means something only where it was
// given out, so a later run removes a temporary only when the same host,
// boot and namespace made it and its process is gone; a temporary of a run
// on another farm node or in another container sharing the folder may
// still be being written, and stays.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace tavi::host {

// The temporary name for `target` with this machine, this process's id and
// `serial`. It fits the folder's limit on the length of a name: the stem is
// shortened (never inside a UTF-8 character) and the extension kept, so
// that any name the file system accepts for the target works.
std::filesystem::path temporaryNameFor(const std::filesystem::path &target, unsigned long serial);

// Who made a temporary, as its name says.
struct TemporaryOwner {
    std::string machine;  // "<host>-<machine>"; empty in the names of older versions, which had none
    pid_t pid = 0;
    bool operator==(const TemporaryOwner &) const = default;
};

// The owner a file name of that form carries; nothing for other names.
std::optional<TemporaryOwner> temporaryOwner(std::string_view fileName);

// This process's "<host>-<machine>", as its temporary names carry it.
const std::string &thisMachine();

struct LeftoverSweep {
    std::size_t removed = 0;  // made here by a process that is gone
    std::size_t foreign = 0;  // made elsewhere, or where this run cannot tell: left alone
};

// Removes the temporaries in `folder` (regular files only) that this host,
// boot and namespace made in a process that is gone. Those of running
// processes, this one's included, stay, and so do those of other machines,
// boots and namespaces, which are counted. Where this run cannot tell its
// own boot or namespace, it removes none.
LeftoverSweep sweepLeftoverTemporaries(const std::filesystem::path &folder);

}  // namespace tavi::host
