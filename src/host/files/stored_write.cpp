// Writing a StoredImage: the input file itself where nothing changed;
// otherwise every part, level and channel the output's format can hold,
// each sample handed to OpenImageIO at its real type, with notices for
// whatever the format cannot take.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

#include <OpenImageIO/tiffutils.h>

#include "host/files/formats/jpeg_markers.h"
#include "host/files/output_format.h"
#include "host/files/formats/png_chunks.h"
#include "host/files/stored_parts.h"
#include "host/files/formats/targa_extension.h"
#include "host/files/formats/tiff_labels.h"

namespace fs = std::filesystem;

namespace tavi::host::files {

using detail::StoredLevel;
using detail::StoredPart;
using detail::StoredParts;

namespace {

// Formats whose files hold any number of named channels.
bool holdsAnyChannels(std::string_view format) { return format == "openexr" || format == "tiff"; }

// Attributes that describe another format's storage.
bool anotherFormatsAttribute(std::string_view name, std::string_view format) {
    static const std::pair<std::string_view, std::string_view> prefixes[] = {
        {"png:", "png"},     {"tiff:", "tiff"}, {"targa:", "targa"}, {"openexr:", "openexr"},
        {"exr:", "openexr"}, {"jpeg:", "jpeg"}, {"bmp:", "bmp"},     {"gif:", "gif"}};
    for (const auto &[prefix, owner] : prefixes)
        if (name.starts_with(prefix)) return owner != format;
    return false;
}

// OpenImageIO reads some EXIF tags of several numbers (the four rationals
// of a lens's focal and aperture range) as one meaningless number, and its
// TIFF writer crashes writing that back.
bool misreadMetadata(const OIIO::ParamValue &attribute) {
    int tag = 0, tiffType = 0, count = 0;
    if (!attribute.name().string().starts_with("Exif:") || attribute.type().basetype == OIIO::TypeDesc::STRING ||
        !OIIO::exif_tag_lookup(attribute.name(), tag, tiffType, count))
        return false;
    return count > 1 && std::size_t(attribute.nvalues()) * attribute.type().aggregate < std::size_t(count);
}

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

bool isFloat(OIIO::TypeDesc type) { return type.basetype == OIIO::TypeDesc::HALF || type.is_floating_point(); }

// The type of several channels' that holds the most: floats over
// integers, wider over narrower.
OIIO::TypeDesc widest(const std::vector<OIIO::TypeDesc> &types) {
    OIIO::TypeDesc best = types.front();
    for (OIIO::TypeDesc type : types)
        if (std::make_pair(isFloat(type), type.size()) > std::make_pair(isFloat(best), best.size())) best = type;
    return best;
}

std::vector<unsigned char> fileBytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A level cut down to the treated colour and alpha, for formats that hold
// no more.
StoredLevel treatedOnly(const StoredLevel &level, const int channel[4], bool withAlpha) {
    std::vector<int> kept = {channel[0]};
    if (channel[1] != channel[0]) kept.push_back(channel[1]);
    if (channel[2] != channel[0]) kept.push_back(channel[2]);
    if (withAlpha && channel[3] >= 0) kept.push_back(channel[3]);

    StoredLevel cut;
    cut.heldAs = level.heldAs;
    cut.spec = level.spec;
    cut.spec.nchannels = int(kept.size());
    cut.spec.channelformats.clear();
    cut.spec.channelnames.clear();
    for (int c : kept) {
        const std::string own = level.spec.channel_name(c);
        cut.spec.channelnames.push_back(own.substr(own.rfind('.') + 1));
        cut.spec.channelformats.push_back(level.spec.channelformat(c));
    }
    cut.spec.format = cut.spec.channelformats.front();
    cut.spec.alpha_channel = withAlpha && channel[3] >= 0 ? int(kept.size()) - 1 : -1;
    cut.spec.z_channel = -1;

    const std::size_t from = level.pixelBytes(), to = cut.pixelBytes();
    cut.samples.resize(level.pixelCount() * to);
    for (std::size_t i = 0; i < level.pixelCount(); ++i)
        for (std::size_t k = 0; k < kept.size(); ++k)
            std::memcpy(&cut.samples[i * to + std::size_t(cut.offsetOf(int(k)))],
                        &level.samples[i * from + std::size_t(level.offsetOf(kept[k]))], level.typeOf(kept[k]).size());
    return cut;
}

// One level as it is written: the description the writer is handed and the
// samples, with their type (UNKNOWN: each channel's own, as the writer
// stores them).
struct LevelToWrite {
    OIIO::ImageSpec spec;
    OIIO::ImageSpec read;                    // as it was read, for relabelling and notices
    std::shared_ptr<const StoredLevel> cut;  // the level cut down, where it was
    const StoredLevel *level = nullptr;
    std::vector<unsigned char> own;  // samples made for writing, where the stored ones will not do
    OIIO::TypeDesc handedAs = OIIO::TypeDesc::UNKNOWN;

    const unsigned char *samples() const { return own.empty() ? level->samples.data() : own.data(); }
};

class WritePlan {
public:
    WritePlan(const StoredParts &stored, const OIIO::ImageOutput &output, const fs::path &path, Encoding encoding)
        : stored_(stored), output_(output), format_(output.format_name()), name_(path.string()),
          sameFormat_(format_ == stored.format), encoding_(std::move(encoding)) {}

    // Every part and level to write; notices for what is left out.
    void make() {
        const bool everyPart = stored_.parts.size() == 1 || output_.supports("multiimage");
        if (!everyPart)
            note("the " + formatTitle(format_) + " format holds one image; only " +
                 stored_.parts[std::size_t(stored_.treated)].name(stored_.treated) + " is written");
        withAlpha_ = stored_.channel[3] >= 0 && output_.supports("alpha");
        if (stored_.channel[3] >= 0 && !withAlpha_)
            note("the " + formatTitle(format_) + " format has no alpha channel; alpha not written");
        for (std::size_t p = 0; p < stored_.parts.size(); ++p)
            if (everyPart || int(p) == stored_.treated) addPart(stored_.parts[p], int(p) == stored_.treated);
    }

    std::vector<std::vector<LevelToWrite>> parts;
    Notices notices;

    // Readies a level's samples once its writer has said how it stores
    // them, and notes what that loses.
    void handOver(LevelToWrite &level, const OIIO::ImageSpec &writer, bool firstLevel) {
        const StoredLevel &held = *level.level;
        if (firstLevel) noteNarrowing(held, writer);
        if (held.heldAs != OIIO::TypeDesc::UNKNOWN) {
            level.handedAs = held.heldAs;
        } else if (OIIO::TypeDesc uniform = held.uniformType(); uniform != OIIO::TypeDesc::UNKNOWN) {
            level.handedAs = uniform;
        } else if (writer.channelformats.size() == std::size_t(held.spec.nchannels) &&
                   std::equal(writer.channelformats.begin(), writer.channelformats.end(),
                              held.spec.channelformats.begin())) {
            level.handedAs = OIIO::TypeDesc::UNKNOWN;
        } else {
            // Channels of several types for a writer of one: every value
            // goes through double, which holds each exactly.
            widenToDouble(level);
        }
        if (stored_.rawColour && storesSignedLab(held.spec)) signsBackForLab(level);
    }

private:
    void note(const std::string &text) {
        const std::string line = name_ + ": " + text;
        if (std::find(notices.begin(), notices.end(), line) == notices.end()) notices.push_back(line);
    }

    void addPart(const StoredPart &part, bool treated) {
        std::vector<LevelToWrite> levels;
        const bool everyLevel = part.levels.size() == 1 || output_.supports("mipmap");
        if (!everyLevel)
            note("the " + formatTitle(format_) + " format holds no MIP levels; only the full-size picture is written");
        else if (part.levels.size() > 1)
            note("its " + std::to_string(part.levels.size() - 1) +
                 " smaller MIP levels are written as stored, not filtered again");
        // A file of the format it was read from holds what it held.
        const bool asRead = sameFormat_ && part.spec().nchannels <= 4;
        const bool cut = treated && !asRead && (!holdsAnyChannels(format_) || (stored_.channel[3] >= 0 && !withAlpha_));
        for (std::size_t m = 0; m < part.levels.size() && (m == 0 || everyLevel); ++m) {
            LevelToWrite level;
            level.read = part.levels[m].spec;
            if (cut) {
                auto reduced =
                    std::make_shared<const StoredLevel>(treatedOnly(part.levels[m], stored_.channel, withAlpha_));
                if (m == 0 && reduced->spec.nchannels < part.levels[m].spec.nchannels &&
                    withAlpha_ == (stored_.channel[3] >= 0))
                    note("the " + formatTitle(format_) + " format holds colour and alpha only; " +
                         std::to_string(part.levels[m].spec.nchannels - reduced->spec.nchannels) +
                         " other channels not written");
                level.cut = reduced;
                level.level = reduced.get();
            } else {
                level.level = &part.levels[m];
            }
            level.spec = specFor(*level.level, treated, part.levels.size() > 1 && everyLevel);
            levels.push_back(std::move(level));
        }
        parts.push_back(std::move(levels));
    }

    // The description the writer is handed.
    OIIO::ImageSpec specFor(const StoredLevel &level, bool treated, bool mipmapped) {
        OIIO::ImageSpec spec = level.spec;
        spec.extra_attribs.clear();
        for (const auto &attribute : level.spec.extra_attribs) {
            const std::string name = attribute.name().string();
            const bool keep = (!describesStorage(name) || name == "oiio:subimagename") &&
                              name != "oiio:UnassociatedAlpha" && !anotherFormatsAttribute(name, format_) &&
                              !misreadMetadata(attribute) && (sameFormat_ || name != "compression");
            if (keep) spec.extra_attribs.push_back(attribute);
        }
        if (!output_.supports("tiles")) spec.tile_width = spec.tile_height = spec.tile_depth = 0;
        if (mipmapped && spec.tile_width == 0) {
            spec.tile_width = spec.tile_height = 64;  // levels need tiles
            spec.tile_depth = 1;
        }
        if (!sameFormat_) chooseTypes(spec);
        keepLossless(spec);
        encodeAsAsked(spec);
        labelAlpha(spec, treated);
        if (format_ == "tiff") {
            spec = plainSamplesSpec(std::move(spec));
            spec.erase_attribute("tiff:PhotometricInterpretation");
            // TIFF has no display window: one the size of the picture,
            // placed where it is, is what a page position says.
            if (spec.full_x == spec.x && spec.full_y == spec.y && spec.full_width == spec.width &&
                spec.full_height == spec.height)
                spec.full_x = spec.full_y = 0;
        }
        return spec;
    }

    void chooseTypes(OIIO::ImageSpec &spec) const {
        std::vector<OIIO::TypeDesc> types;
        for (int c = 0; c < spec.nchannels; ++c) types.push_back(typeToWrite(format_, spec.channelformat(c)));
        // Only OpenEXR files hold a type for each channel.
        if (format_ != "openexr" || std::all_of(types.begin(), types.end(), [&](auto t) { return t == types[0]; })) {
            spec.set_format(widest(types));
            spec.channelformats.clear();
        } else {
            spec.channelformats = types;
            spec.format = widest(types);
        }
    }

    // What the user asked for: a sample type for every channel, a
    // compression, a quality; a JPEG file otherwise at its input's quality.
    void encodeAsAsked(OIIO::ImageSpec &spec) {
        if (!encoding_.sampleType.empty()) {
            spec.set_format(OIIO::TypeDesc(encoding_.sampleType));
            spec.channelformats.clear();
        }
        std::string compression = encoding_.compression;
        int quality = encoding_.quality;
        if (format_ == "jpeg" && quality == 0 && compression.empty()) quality = jpegQualityToKeep();
        if (quality != 0) {
            std::string name = compression.substr(0, compression.find(':'));
            if (name.empty())
                name = format_ == "jpeg" || format_ == "webp" ? format_
                                                              : std::string(spec.get_string_attribute("compression"));
            compression = name + ":" + std::to_string(quality);
        }
        if (!compression.empty()) {
            spec.attribute("compression", compression);
            spec.erase_attribute("tiff:Compression");
        }
    }

    // A JPEG input's own quality, or the stated default.
    int jpegQualityToKeep() {
        constexpr int kDefault = 95;
        if (stored_.format != "jpeg") return kDefault;
        if (const std::optional<int> quality = jpegQuality(stored_.source)) return *quality;
        note("the quality of " + stored_.source.string() +
             " cannot be told from its quantisation tables; written at quality " + std::to_string(kDefault) +
             " (--quality sets it)");
        return kDefault;
    }

    // Lossy compression would change the pixels the filter left alone.
    void keepLossless(OIIO::ImageSpec &spec) {
        const std::string compression = spec.get_string_attribute("compression");
        bool floats = false;
        for (int c = 0; c < spec.nchannels; ++c) floats = floats || spec.channelformat(c) == OIIO::TypeDesc::FLOAT;
        if (!sameFormat_ || !isLossy(format_, compression, floats)) return;
        const std::string lossless = losslessFor(format_);
        spec.attribute("compression", lossless);
        spec.erase_attribute("tiff:Compression");
        note(compression + " compression is lossy and would change pixels the filter left alone; written with " +
             lossless + " compression");
    }

    // Whether colour is written as it is, or divided by alpha by the
    // writer, as OpenImageIO converts premultiplied colour for a format
    // that holds straight colour.
    void labelAlpha(OIIO::ImageSpec &spec, bool treated) const {
        if (treated) spec.alpha_channel = withAlpha_ ? spec.alpha_channel : -1;
        if (spec.alpha_channel < 0 && !(format_ == "targa" && sameFormat_)) return;
        const frame::AlphaForm label =
            treated ? stored_.label
                    : (alphaAssociated(spec) ? frame::AlphaForm::associated : frame::AlphaForm::straight);
        const frame::AlphaForm form = treated ? stored_.form : label;
        bool asItIs = true;
        switch (alphaLabelsOf(format_)) {
        case AlphaLabels::associatedOnly: return;
        case AlphaLabels::either: asItIs = form == frame::AlphaForm::straight; break;
        case AlphaLabels::straightOnly:
            asItIs = sameFormat_ || !(label == frame::AlphaForm::associated && form == frame::AlphaForm::associated);
            break;
        }
        if (asItIs) spec.attribute("oiio:UnassociatedAlpha", 1);
    }

    void noteNarrowing(const StoredLevel &held, const OIIO::ImageSpec &writer) {
        for (int c = 0; c < held.spec.nchannels && c < writer.nchannels; ++c) {
            const OIIO::TypeDesc from = held.spec.channelformat(c), to = writer.channelformat(c);
            if (holdsEveryValue(to, from)) continue;
            note("the " + formatTitle(format_) + " format holds no " + typeWords(from) + " samples; written as " +
                 typeWords(to) + (isFloat(from) && !isFloat(to) ? ", values outside 0-1 clamped" : ""));
        }
    }

    static void widenToDouble(LevelToWrite &level) {
        const StoredLevel &held = *level.level;
        const int channels = held.spec.nchannels;
        level.own.resize(held.pixelCount() * std::size_t(channels) * sizeof(double));
        for (int c = 0; c < channels; ++c)
            OIIO::convert_image(1, held.spec.width, held.spec.height, 1, held.samples.data() + held.offsetOf(c),
                                held.typeOf(c), OIIO::stride_t(held.pixelBytes()), OIIO::AutoStride, OIIO::AutoStride,
                                level.own.data() + std::size_t(c) * sizeof(double), OIIO::TypeDesc::DOUBLE,
                                OIIO::stride_t(channels * sizeof(double)), OIIO::AutoStride, OIIO::AutoStride);
        level.handedAs = OIIO::TypeDesc::DOUBLE;
    }

    // CIELAB's a* and b* go back to the signs they are stored with.
    static void signsBackForLab(LevelToWrite &level) {
        if (!level.own.empty()) return;  // only stored samples were flipped
        StoredLevel copy;
        copy.spec = level.level->spec;
        copy.heldAs = level.level->heldAs;
        copy.samples = level.level->samples;
        flipLabSigns(copy);
        level.own = std::move(copy.samples);
    }

    const StoredParts &stored_;
    const OIIO::ImageOutput &output_;
    const std::string format_;
    const std::string name_;
    const bool sameFormat_;
    const Encoding encoding_;
    bool withAlpha_ = false;
};

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

}  // namespace

IoResult<Notices> writeStored(const fs::path &path, const StoredImage &image, std::size_t changedPixels,
                              const Encoding &encoding) {
    const StoredParts &stored = *image.parts_;
    const std::string name = path.string();
    const auto refuse = [&](const std::string &problem) {
        return IoResult<Notices>::failure(stored.source.empty() || stored.source == path
                                              ? name + ": cannot write (" + problem + ")"
                                              : stored.source.string() + ": cannot write " + name + " (" + problem +
                                                    ")");
    };
    if (auto reason = unwritableFolderReason(path)) return refuse(*reason);
    OIIO::Filesystem::IOVecOutput memory;  // outlives the writer
    auto writer = writerFor(path);
    if (!writer) return refuse(writer.error());
    OIIO::ImageOutput &output = *writer.value();
    const std::string format = output.format_name();

    // Nothing changed: the input is what it was, in every byte.
    if (changedPixels == 0 && encoding.asStored() && !stored.source.empty() && format == stored.format &&
        !stored.premultipliedOnReading) {
        AtomicFile file(path);
        const std::vector<unsigned char> bytes = fileBytes(stored.source);
        if (bytes.empty()) return refuse("cannot read it again to copy it");
        if (auto problem = file.write(bytes))
            return IoResult<Notices>::failure(cannotWrite(file, *problem, stored.source));
        if (auto problem = file.commit()) return IoResult<Notices>::failure(cannotWrite(file, *problem, stored.source));
        return Notices{};
    }
    const OIIO::ImageSpec &treatedSpec = stored.treatedLevel().spec;
    if (format == "jpeg" && (treatedSpec.width > 65500 || treatedSpec.height > 65500))
        return refuse("JPEG files are at most 65500 pixels wide and high");

    WritePlan plan(stored, output, path, encoding);
    try {
        plan.make();
    } catch (const std::bad_alloc &) {
        return refuse("not enough memory");
    }

    std::vector<OIIO::ImageSpec> firstSpecs, everyLevelRead;
    for (const auto &levels : plan.parts) {
        firstSpecs.push_back(levels.front().spec);
        for (const LevelToWrite &level : levels) everyLevelRead.push_back(level.read);
    }
    const auto writeAll = [&](OIIO::ImageOutput &out, const std::string &fileName) {
        for (std::size_t p = 0; p < plan.parts.size(); ++p) {
            for (std::size_t m = 0; m < plan.parts[p].size(); ++m) {
                LevelToWrite &level = plan.parts[p][m];
                bool opened;
                if (p == 0 && m == 0)
                    opened = plan.parts.size() == 1 ? out.open(fileName, level.spec)
                                                    : out.open(fileName, int(firstSpecs.size()), firstSpecs.data());
                else
                    opened = out.open(fileName, level.spec,
                                      m == 0 ? OIIO::ImageOutput::AppendSubimage : OIIO::ImageOutput::AppendMIPLevel);
                if (!opened) {
                    out.close();
                    return false;
                }
                if (p == 0 && m == 0 && stored.thumbnail && out.supports("thumbnail"))
                    out.set_thumbnail(*stored.thumbnail);
                plan.handOver(level, out.spec(), m == 0);
                if (!out.write_image(level.handedAs, level.samples())) {
                    out.close();
                    return false;
                }
            }
        }
        return out.close();
    };

    AfterWriting after;
    Notices chunkNotices;
    if (format == "png" && stored.format == "png")
        after.bytes = [&](std::vector<unsigned char> &encoded) -> std::optional<std::string> {
            for (const std::string &notice : carryPngChunks(fileBytes(stored.source), encoded))
                chunkNotices.push_back(name + ": " + notice);
            return std::nullopt;
        };
    if (format == "targa" && stored.format == "targa" && stored.targaAlphaType >= 0)
        after.bytes = [&](std::vector<unsigned char> &encoded) {
            copyTargaPostageStamp(fileBytes(stored.source), encoded);
            return setTargaAlphaType(encoded, stored.targaAlphaType);
        };
    if (format == "tiff" && std::any_of(everyLevelRead.begin(), everyLevelRead.end(), needsRelabelling))
        after.file = [&](const fs::path &written) { return relabelTiff(written, everyLevelRead); };

    AtomicFile file(path);
    if (auto problem = writeThrough(file, output, writeAll, memory, plan.parts.size() == 1, after))
        return IoResult<Notices>::failure(cannotWrite(file, *problem, stored.source));

    Notices notices = std::move(plan.notices);
    if (stored.inks)
        notices.push_back(name + ": CMYK; the filter smoothed C, M and Y as colour, and K is as it was stored");
    notices.insert(notices.end(), chunkNotices.begin(), chunkNotices.end());
    const std::vector<std::string> lost = lostMetadata(stored.parts[std::size_t(stored.treated)].spec(), path);
    if (!lost.empty()) {
        std::string names;
        for (const std::string &n : lost) names += (names.empty() ? "" : ", ") + n;
        notices.push_back(name + ": the " + formatTitle(format) + " writer keeps no " + names);
    }
    return notices;
}

}  // namespace tavi::host::files
