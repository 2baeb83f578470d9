#include "host/files/file_messages.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "host/files/formats/format_rules.h"
#include "host/files/oiio.h"

namespace fs = std::filesystem;

namespace tavi::host::files {

std::string oneLine(std::string text) {
    std::string result;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!result.empty() && result.back() != ' ') result += "; ";
        } else {
            result += c;
        }
    }
    while (!result.empty() && (result.back() == ' ' || result.back() == ';')) result.pop_back();
    return result.empty() ? "no reason given" : result;
}

std::string libraryDetail(const std::string &text) {
    // Libraries repeat a complaint for every strip or row they meet it in.
    constexpr std::size_t kMostLines = 3, kMostBytes = 300;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
        start = end + 1;
    }
    std::string joined;
    for (std::size_t i = 0; i < lines.size() && i < kMostLines; ++i) joined += (i ? "; " : "") + lines[i];
    if (lines.size() > kMostLines) joined += "; ...";
    if (joined.size() > kMostBytes) {
        std::size_t cut = kMostBytes;
        while (cut > 0 && (static_cast<unsigned char>(joined[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
        joined = joined.substr(0, cut) + "...";
    }
    return joined.empty() ? "no reason given" : joined;
}

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

std::string damagedFile(const fs::path &path, std::string format, const std::string &detail) {
    if (format.empty()) {
        // The reader OpenImageIO would have chosen, without opening the file.
        if (auto reader = OIIO::ImageInput::create(path.string(), false)) format = reader->format_name();
        (void)OIIO::geterror();
    }
    std::string words = libraryDetail(detail);
    if (words.find("bad_alloc") != std::string::npos)
        words = "it asks for more memory than any picture of its size needs";
    if (format.empty()) return path.string() + ": not an image file OpenImageIO can read (" + words + ")";
    return path.string() + ": damaged or unsupported " + rulesFor(format).title() + " file (" + words + ")";
}

namespace {

std::string replaceAll(std::string text, const std::string &from, const std::string &to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The system's reasons in words a user acts on; the reason itself follows.
std::string inOurWords(const std::string &problem) {
    static const std::pair<std::string_view, std::string_view> known[] = {
        {"No space left on device", "the disk is full"},
        {"File too large", "the file would pass a file-size limit"},
        {"Disk quota exceeded", "the disk quota is used up"},
        {"Permission denied", "no permission to write there"},
        {"Read-only file system", "the file system is read-only"},
    };
    for (const auto &[reason, words] : known)
        if (problem.find(reason) != std::string::npos) return std::string(words) + " (" + problem + ")";
    return problem;
}

}  // namespace

std::string cannotWrite(const AtomicFile &file, const std::string &problem, const fs::path &source) {
    const std::string name = file.target().string();
    const std::string reason = inOurWords(libraryDetail(replaceAll(problem, file.temporary().string(), name)));
    if (source.empty() || source == file.target()) return name + ": cannot write (" + reason + ")";
    return source.string() + ": cannot write " + name + " (" + reason + ")";
}

}  // namespace tavi::host::files
