// What is asked of an output's format, checked before any frame is read:
// that it is a format files are written in, and that its writer honours
// the encoding asked for.
#include <algorithm>
#include <vector>

#include "host/files/careful_write.h"
#include "host/files/formats/format_rules.h"
#include "host/files/stored_image.h"

namespace tavi::host::files {

namespace {

std::string listed(const std::vector<std::string_view> &names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += std::string(i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + std::string(names[i]);
    return text;
}

std::optional<std::string> sampleTypeProblem(const FormatRules &rules, const std::string &type) {
    static const std::vector<std::string_view> kTypes = {"uint8", "uint16", "half", "float"};
    if (std::find(kTypes.begin(), kTypes.end(), type) == kTypes.end())
        return "-d " + type + " is no sample type (" + listed(kTypes) + ")";
    const std::vector<std::string_view> held = rules.sampleTypes();
    if (!held.empty() && std::find(held.begin(), held.end(), type) == held.end())
        return rules.title() + " files hold " + listed(held) + " samples, not " + type;
    return std::nullopt;
}

std::optional<std::string> qualityProblem(const FormatRules &rules, const Encoding &encoding,
                                          const std::filesystem::path &output) {
    if (encoding.quality < 1 || encoding.quality > 100) return "--quality takes 1 to 100";
    const CompressionAsked named = CompressionAsked::of(encoding.compression);
    if (!named.name.empty()) {
        if (rules.takesQuality(named)) return std::nullopt;
        return "--quality applies to lossy compression, and " + named.name + " compression is lossless";
    }
    if (!rules.qualityCompression(output).empty()) return std::nullopt;
    return "--quality applies to lossy compression, and " + rules.title() +
           " files are written losslessly unless --compression names a lossy one";
}

}  // namespace

std::optional<std::string> encodingProblem(const OutputFormat &format, const Encoding &encoding) {
    const FormatRules &rules = rulesFor(format.name);
    if (auto why = rules.refusal(format.file)) return why;
    if (!encoding.sampleType.empty())
        if (auto problem = sampleTypeProblem(rules, encoding.sampleType)) return problem;
    if (!encoding.compression.empty())
        if (auto problem = rules.compressionProblem(CompressionAsked::of(encoding.compression))) return problem;
    if (encoding.quality != 0)
        if (auto problem = qualityProblem(rules, encoding, format.file)) return problem;
    return std::nullopt;
}

IoResult<OutputFormat> outputFormatFor(const std::filesystem::path &path) {
    auto writer = writerFor(path);
    if (!writer) return IoResult<OutputFormat>::failure(writer.error());
    const FormatRules &rules = rulesFor(writer.value()->format_name());
    OutputFormat format;
    format.name = rules.name();
    format.file = path;
    format.associatedOnly = rules.alphaLabels() == AlphaLabels::associatedOnly;
    format.keepsColourModels = rules.keepsColourModels();
    return format;
}

}  // namespace tavi::host::files
