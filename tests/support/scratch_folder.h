// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends. Its name is unique to the run,
// so suites built in several trees can run at once.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace tavi::test {

// Makes a new folder whose name starts with `prefix`; throws when it cannot.
inline std::filesystem::path makeUniqueFolder(const std::string &prefix) {
    std::string name = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(name.data()) == nullptr)
        throw std::filesystem::filesystem_error("cannot make a scratch folder", name,
                                                std::error_code(errno, std::generic_category()));
    return name;
}

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string &prefix = "tavi-test") : path_(makeUniqueFolder(prefix)) {}
    ~ScratchFolder() {
        std::error_code ignored;
        // Also where a test took permissions away.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const { return path_ / name; }

    // Names of the entries in the folder, sorted.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace tavi::test
