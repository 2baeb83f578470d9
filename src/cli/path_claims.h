// The files that the paths of one command name, so that a command which
// would write over one of its own inputs, write one file twice, or replace
// something that is not a regular file is refused before any work starts.
//
// Each path is looked at once: an existing file is known by its device and
// inode, so that links and other spellings of it match; a path with nothing
// there yet by its absolute form, its folder's links resolved (each folder
// once). Checking a path against all the earlier ones is then one lookup,
// so a command with many thousands of files is checked at once.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace tavi::cli {

class PathClaims {
public:
    // A file the command reads.
    void addInput(const std::filesystem::path &path);
    // Where the command writes the result of `input`. Throws UsageError
    // when it names an input or an earlier output, or something there that
    // is not a regular file.
    void addFrameOutput(const std::filesystem::path &path, const std::filesystem::path &input);
    // Where an option (such as "--save-scene") makes the command write;
    // throws UsageError as addFrameOutput does.
    void addOptionOutput(const std::filesystem::path &path, const std::string &option);

private:
    struct Key {
        bool existing = false;  // dev and ino, else path
        dev_t dev = 0;
        ino_t ino = 0;
        std::string path;
        bool operator==(const Key &) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key &key) const;
    };
    struct Seen {
        Key key;
        std::string refusal;  // why nothing may be written there, if so
    };

    Seen look(const std::filesystem::path &path);
    std::string normalisedFolder(const std::filesystem::path &folder);
    void addOutput(const std::filesystem::path &path, const std::string &writer, const std::string &what);

    std::unordered_set<Key, KeyHash> inputs_;
    std::unordered_map<Key, std::string, KeyHash> outputs_;  // to what writes there
    std::unordered_map<std::string, std::string> folders_;   // as given, normalised
};

}  // namespace tavi::cli
