// Writing a file so that readers see either the old file or the whole new
// one: the data go to a hidden temporary file beside it, are flushed to the
// disk, and the temporary is renamed into place. An existing file's
// permissions carry over (the temporary has them from the start). A
// symbolic link at the target is written through: the file at the end of
// its chain of links is replaced the same way (made, where the link
// dangles), and the link stays. Anything else that is not a regular file
// (a device, a FIFO, a folder) is never replaced. The temporary's name
// (temporary_names.h) fits wherever the replaced file's does, and while it
// exists it is listed in live_temporaries.h.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavi::host {

// The file a write to `path` replaces: `path` itself, or where it is a
// symbolic link, the end of its chain of links (a relative link read from
// the link's folder). Nothing, with `problem` set, for a chain that loops or
// cannot be read.
std::optional<std::filesystem::path> writtenFile(const std::filesystem::path &path, std::string *problem = nullptr);

// Why this user may not replace `target` (the file its links lead to):
// "Permission denied" where it is there and its permissions do not let
// them write it, as open() for writing would find. Nothing where it may be
// written or is not there. A rename into place would replace it all the
// same, which is why writers ask.
std::optional<std::string> replacementRefused(const std::filesystem::path &target);

// One replacement of `target`. The temporary file is removed on
// destruction unless commit() put it in place. Failures are returned as the
// system's reason, without the file name, for the caller to word.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // The path as given, for messages.
    const std::filesystem::path &target() const { return target_; }
    // The file replaced: the target, or the file its links lead to.
    const std::filesystem::path &replaced() const { return replaced_; }
    // A name in the replaced file's folder that no file has, ending in the
    // target's extension so that nothing which looks at the name mistakes
    // the format. For writers that need a path rather than bytes.
    const std::filesystem::path &temporary() const { return temporary_; }

    // Creates the temporary file with `bytes` and flushes it to the disk;
    // fails, making nothing, where replacementRefused says so.
    std::optional<std::string> write(std::span<const unsigned char> bytes);
    // Before another writer makes the temporary by its name: lists it as
    // lent. Fails when the process is being stopped, or where
    // replacementRefused says so.
    std::optional<std::string> lend();
    // Flushes a temporary file some other writer has made.
    std::optional<std::string> flush();
    // Gives the temporary the target's permissions and renames it into place.
    std::optional<std::string> commit();

private:
    std::filesystem::path target_;
    std::filesystem::path replaced_;
    std::optional<std::string> unresolved_;  // why the links lead nowhere
    std::filesystem::path temporary_;
    bool committed_ = false;
};

// Replaces `target` with `bytes`. On failure the temporary file is removed,
// `target` is untouched, and std::runtime_error says
// "target: cannot write (reason)".
void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes);

}  // namespace tavi::host
