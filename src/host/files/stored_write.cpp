// Writing a StoredImage: the input file itself where nothing changed;
// otherwise every part, level and channel the output's format can hold
// (the write plan), each sample handed to OpenImageIO at its real type,
// through the careful write, with notices for whatever the format cannot
// take.
#include <algorithm>
#include <iterator>
#include <new>

#include "host/files/careful_write.h"
#include "host/files/file_messages.h"
#include "host/files/file_reading.h"
#include "host/files/write_plan.h"

namespace fs = std::filesystem;

namespace tavi::host::files {

using detail::StoredParts;

namespace {

// Metadata people expect to survive a conversion, for the notice of what
// a format could not take.
bool meaningfulMetadata(std::string_view name) {
    static const std::string_view families[] = {
        "Exif:",          "GPS:",          "IPTC:",        "XMP",     "ICCProfile", "Orientation", "ImageDescription",
        "Artist",         "Copyright",     "DocumentName", "Comment", "Keywords",   "XResolution", "YResolution",
        "ResolutionUnit", "chromaticities"};
    return std::any_of(std::begin(families), std::end(families),
                       [&](std::string_view family) { return name.starts_with(family); });
}

// The metadata of `source` a written file lost, named.
std::vector<std::string> lostMetadata(const OIIO::ImageSpec &source, const fs::path &written) {
    auto input = OIIO::ImageInput::open(written.string());
    if (!input) {
        (void)OIIO::geterror();
        return {};
    }
    std::vector<std::string> lost;
    for (const auto &attribute : source.extra_attribs) {
        const std::string name = attribute.name().string();
        if (!meaningfulMetadata(name) || input->spec().find_attribute(name)) continue;
        if (name == "Orientation" && attribute.get_int() == 1) continue;  // upright, as with none
        // "ICCProfile:flags" and the like say what "ICCProfile" holds.
        const std::size_t colon = name.find(':');
        if (colon != std::string::npos && source.find_attribute(name.substr(0, colon)) &&
            !input->spec().find_attribute(name.substr(0, colon)))
            continue;
        lost.push_back(name);
    }
    return lost;
}

// "source: cannot write output (problem)", or "output: cannot write
// (problem)" where the output is the input itself.
IoResult<Notices> refusal(const StoredParts &stored, const fs::path &path, const std::string &problem) {
    const std::string name = path.string();
    return IoResult<Notices>::failure(stored.source.empty() || stored.source == path
                                          ? name + ": cannot write (" + problem + ")"
                                          : stored.source.string() + ": cannot write " + name + " (" + problem + ")");
}

// Nothing changed and nothing asked of the encoding: the input is what it
// was, in every byte.
bool unchanged(const StoredParts &stored, std::string_view format, std::size_t changedPixels,
               const Encoding &encoding) {
    return changedPixels == 0 && encoding.asStored() && !stored.source.empty() && format == stored.format &&
           !stored.premultipliedOnReading;
}

IoResult<Notices> copyInput(const StoredParts &stored, const fs::path &path) {
    AtomicFile file(path);
    const std::vector<unsigned char> bytes = fileBytes(stored.source);
    if (bytes.empty()) return refusal(stored, path, "cannot read it again to copy it");
    if (auto problem = file.write(bytes)) return IoResult<Notices>::failure(cannotWrite(file, *problem, stored.source));
    if (auto problem = file.commit()) return IoResult<Notices>::failure(cannotWrite(file, *problem, stored.source));
    return Notices{};
}

// Opens the file (every part described at once for a multi-part file),
// then each level after the first as a part or a MIP level appended.
bool openLevel(OIIO::ImageOutput &out, const std::string &fileName, const WritePlan &plan, std::size_t p,
               std::size_t m) {
    const OIIO::ImageSpec &spec = plan.parts[p][m].spec;
    if (p > 0 || m > 0)
        return out.open(fileName, spec, m == 0 ? OIIO::ImageOutput::AppendSubimage : OIIO::ImageOutput::AppendMIPLevel);
    if (plan.parts.size() == 1) return out.open(fileName, spec);
    std::vector<OIIO::ImageSpec> firstLevels;
    for (const auto &levels : plan.parts) firstLevels.push_back(levels.front().spec);
    return out.open(fileName, int(firstLevels.size()), firstLevels.data());
}

// Every part and level of the plan through `out` into `fileName`.
bool writeLevels(OIIO::ImageOutput &out, const std::string &fileName, WritePlan &plan, const StoredParts &stored) {
    for (std::size_t p = 0; p < plan.parts.size(); ++p) {
        for (std::size_t m = 0; m < plan.parts[p].size(); ++m) {
            LevelToWrite &level = plan.parts[p][m];
            if (!openLevel(out, fileName, plan, p, m)) {
                out.close();
                return false;
            }
            if (p == 0 && m == 0 && stored.thumbnail && out.supports("thumbnail")) out.set_thumbnail(*stored.thumbnail);
            plan.handOver(level, out.spec(), m == 0);
            if (!out.write_image(level.handedAs, level.samples())) {
                out.close();
                return false;
            }
        }
    }
    return out.close();
}

// What the written file says besides: the plan's notices and the format's,
// the inks kept, the metadata the writer lost.
Notices noticesOf(WritePlan &plan, const Notices &formatNotices, const StoredParts &stored, const fs::path &path,
                  std::string_view title) {
    const std::string name = path.string();
    Notices notices = std::move(plan.notices);
    if (stored.inks)
        notices.push_back(name + ": CMYK; the filter smoothed C, M and Y as colour, and K is as it was stored");
    for (const std::string &notice : formatNotices) notices.push_back(name + ": " + notice);
    const std::vector<std::string> lost = lostMetadata(stored.parts[std::size_t(stored.treated)].spec(), path);
    if (!lost.empty()) {
        std::string names;
        for (const std::string &n : lost) names += (names.empty() ? "" : ", ") + n;
        notices.push_back(name + ": the " + std::string(title) + " writer keeps no " + names);
    }
    return notices;
}

}  // namespace

IoResult<Notices> writeStored(const fs::path &path, const StoredImage &image, std::size_t changedPixels,
                              const Encoding &encoding) {
    const StoredParts &stored = *image.parts_;
    if (auto reason = unwritableFolderReason(path)) return refusal(stored, path, *reason);
    OIIO::Filesystem::IOVecOutput memory;  // outlives the writer
    auto writer = writerFor(path);
    if (!writer) return refusal(stored, path, writer.error());
    OIIO::ImageOutput &output = *writer.value();
    const FormatRules &rules = rulesFor(output.format_name());
    if (unchanged(stored, rules.name(), changedPixels, encoding)) return copyInput(stored, path);
    if (auto why = rules.refusal(path)) return refusal(stored, path, *why);

    WritePlan plan(stored, output, path, encoding);
    try {
        if (auto problem = plan.make()) return refusal(stored, path, *problem);
    } catch (const std::bad_alloc &) {
        return refusal(stored, path, "not enough memory");
    }
    Notices formatNotices;
    const AfterWriting after = rules.afterWriting(stored, plan.levelsRead(), formatNotices);
    AtomicFile file(path);
    const WriteAll writeAll = [&](OIIO::ImageOutput &out, const std::string &fileName) {
        return writeLevels(out, fileName, plan, stored);
    };
    if (auto problem = writeThrough(file, output, writeAll, memory, plan.parts.size() == 1, after))
        return IoResult<Notices>::failure(cannotWrite(file, *problem, stored.source));
    return noticesOf(plan, formatNotices, stored, path, rules.title());
}

}  // namespace tavi::host::files
