#include "host/files/write_plan.h"

#include <OpenImageIO/tiffutils.h>

#include <algorithm>
#include <cstring>

#include "host/files/file_reading.h"
#include "host/files/formats/tiff_labels.h"
#include "host/files/sample_types.h"

namespace fs = std::filesystem;

namespace tavi::host::files {

using detail::StoredLevel;
using detail::StoredPart;
using detail::StoredParts;

namespace {

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

    if (level.samples.empty()) return cut;  // a description only, for the checks before any work
    const std::size_t from = level.pixelBytes(), to = cut.pixelBytes();
    cut.samples.resize(level.pixelCount() * to);
    for (std::size_t i = 0; i < level.pixelCount(); ++i)
        for (std::size_t k = 0; k < kept.size(); ++k)
            std::memcpy(&cut.samples[i * to + std::size_t(cut.offsetOf(int(k)))],
                        &level.samples[i * from + std::size_t(level.offsetOf(kept[k]))], level.typeOf(kept[k]).size());
    return cut;
}

// Every sample of a level converted to `type`, interleaved, for a writer
// that takes one type and is handed several, or values to change first.
void convertSamples(LevelToWrite &level, OIIO::TypeDesc type) {
    const StoredLevel &held = *level.level;
    const int channels = held.spec.nchannels;
    level.own.resize(held.pixelCount() * std::size_t(channels) * type.size());
    for (int c = 0; c < channels; ++c)
        OIIO::convert_image(1, held.spec.width, held.spec.height, 1, held.samples.data() + held.offsetOf(c),
                            held.typeOf(c), OIIO::stride_t(held.pixelBytes()), OIIO::AutoStride, OIIO::AutoStride,
                            level.own.data() + std::size_t(c) * type.size(), type,
                            OIIO::stride_t(std::size_t(channels) * type.size()), OIIO::AutoStride, OIIO::AutoStride);
    level.handedAs = type;
}

void clipNegatives(LevelToWrite &level) {
    if (level.own.empty()) convertSamples(level, OIIO::TypeDesc::FLOAT);
    if (level.handedAs != OIIO::TypeDesc::FLOAT) return;
    for (std::size_t at = 0; at + sizeof(float) <= level.own.size(); at += sizeof(float)) {
        float value;
        std::memcpy(&value, &level.own[at], sizeof value);
        if (value < 0) {
            value = 0;
            std::memcpy(&level.own[at], &value, sizeof value);
        }
    }
}

// CIELAB's a* and b* go back to the signs they are stored with.
void signsBackForLab(LevelToWrite &level) {
    if (!level.own.empty()) return;  // only stored samples were flipped
    StoredLevel copy;
    copy.spec = level.level->spec;
    copy.heldAs = level.level->heldAs;
    copy.samples = level.level->samples;
    flipLabSigns(copy);
    level.own = std::move(copy.samples);
}

// The samples handed over with `slack` bytes after them, for a writer that
// reads past their end.
void withSlack(LevelToWrite &level, std::size_t slack) {
    if (level.own.empty()) level.own.assign(level.level->samples.begin(), level.level->samples.end());
    level.own.resize(level.own.size() + slack);
}

}  // namespace

WritePlan::WritePlan(const StoredParts &stored, const OIIO::ImageOutput &output, const fs::path &path,
                     const Encoding &encoding)
    : stored_(stored), output_(output), rules_(rulesFor(output.format_name())), path_(path), name_(path.string()),
      sameFormat_(rules_.name() == stored.format), encoding_(encoding) {}

std::optional<std::string> WritePlan::make() {
    const std::string &title = rules_.title();
    const bool everyPart = stored_.parts.size() == 1 || output_.supports("multiimage");
    if (!everyPart)
        note("the " + title + " format holds one image; only " +
             stored_.parts[std::size_t(stored_.treated)].name(stored_.treated) + " is written");
    withAlpha_ = stored_.channel[3] >= 0 && output_.supports("alpha");
    if (stored_.channel[3] >= 0 && !withAlpha_)
        note("the " + title + " format has no alpha channel; alpha not written");
    for (std::size_t p = 0; p < stored_.parts.size(); ++p) {
        if (!everyPart && int(p) != stored_.treated) continue;
        if (int(p) == stored_.treated) treatedWritten_ = int(parts.size());
        addPart(stored_.parts[p], int(p) == stored_.treated);
    }
    if (auto problem = shapeProblem()) return problem;
    noteLosses();
    return std::nullopt;
}

void WritePlan::handOver(LevelToWrite &level, const OIIO::ImageSpec &writer, bool firstLevel) {
    const StoredLevel &held = *level.level;
    if (firstLevel && encoding_.sampleType.empty()) noteNarrowing(held, writer);
    if (held.heldAs != OIIO::TypeDesc::UNKNOWN) {
        level.handedAs = held.heldAs;
    } else if (OIIO::TypeDesc uniform = held.uniformType(); uniform != OIIO::TypeDesc::UNKNOWN) {
        level.handedAs = uniform;
    } else if (writer.channelformats.size() == std::size_t(held.spec.nchannels) &&
               std::equal(writer.channelformats.begin(), writer.channelformats.end(),
                          held.spec.channelformats.begin())) {
        level.handedAs = OIIO::TypeDesc::UNKNOWN;
    } else {
        // Channels of several types for a writer of one: every value goes
        // through double, which holds each exactly.
        convertSamples(level, OIIO::TypeDesc::DOUBLE);
    }
    if (stored_.rawColour && storesSignedLab(held.spec)) signsBackForLab(level);
    if (rules_.clipsNegatives() && isFloat(writer.format)) clipNegatives(level);
    if (const std::size_t slack = rules_.readsPastSamples(writer)) withSlack(level, slack);
}

std::vector<OIIO::ImageSpec> WritePlan::levelsRead() const {
    std::vector<OIIO::ImageSpec> read;
    for (const auto &levels : parts)
        for (const LevelToWrite &level : levels) read.push_back(level.read);
    return read;
}

void WritePlan::note(const std::string &text) {
    const std::string line = name_ + ": " + text;
    if (std::find(notices.begin(), notices.end(), line) == notices.end()) notices.push_back(line);
}

void WritePlan::addPart(const StoredPart &part, bool treated) {
    const std::string &title = rules_.title();
    const bool everyLevel = part.levels.size() == 1 || output_.supports("mipmap");
    if (!everyLevel)
        note("the " + title + " format holds no MIP levels; only the full-size picture is written");
    else if (part.levels.size() > 1)
        note("its " + std::to_string(part.levels.size() - 1) +
             " smaller MIP levels are written as stored, not filtered again");
    // A file of the format it was read from holds what it held.
    const bool asRead = sameFormat_ && part.spec().nchannels <= 4;
    const bool cut = treated && !asRead && (!rules_.holdsAnyChannels() || (stored_.channel[3] >= 0 && !withAlpha_));
    std::vector<LevelToWrite> levels;
    for (std::size_t m = 0; m < part.levels.size() && (m == 0 || everyLevel); ++m)
        levels.push_back(levelFor(part.levels[m], treated, cut, part.levels.size() > 1 && everyLevel));
    if (cut && levels.front().level->spec.nchannels < part.spec().nchannels && withAlpha_ == (stored_.channel[3] >= 0))
        note("the " + title + " format holds colour and alpha only; " +
             std::to_string(part.spec().nchannels - levels.front().level->spec.nchannels) +
             " other channels not written");
    parts.push_back(std::move(levels));
}

LevelToWrite WritePlan::levelFor(const StoredLevel &stored, bool treated, bool cut, bool mipmapped) {
    LevelToWrite level;
    level.read = stored.spec;
    if (cut) {
        level.cut = std::make_shared<const StoredLevel>(treatedOnly(stored, stored_.channel, withAlpha_));
        level.level = level.cut.get();
    } else {
        level.level = &stored;
    }
    level.spec = specFor(*level.level, treated, mipmapped);
    return level;
}

OIIO::ImageSpec WritePlan::specFor(const StoredLevel &level, bool treated, bool mipmapped) {
    OIIO::ImageSpec spec = level.spec;
    keepAttributes(spec, level.spec);
    if (!output_.supports("tiles")) spec.tile_width = spec.tile_height = spec.tile_depth = 0;
    if (mipmapped && spec.tile_width == 0) {
        spec.tile_width = spec.tile_height = 64;  // levels need tiles
        spec.tile_depth = 1;
    }
    if (!sameFormat_) chooseTypes(spec);
    keepLossless(spec);
    encodeAsAsked(spec);
    labelAlpha(spec, treated);
    if (treated && !resolvedYet_) {
        resolved_.compression = spec.get_string_attribute("compression");
        resolved_.sampleType = encoding_.sampleType;
        resolvedYet_ = true;
    }
    rules_.adjustSpec(spec, path_, sameFormat_);
    return spec;
}

// The picture's own metadata, without what describes another format's or
// the reader's storage.
void WritePlan::keepAttributes(OIIO::ImageSpec &spec, const OIIO::ImageSpec &read) const {
    spec.extra_attribs.clear();
    for (const auto &attribute : read.extra_attribs) {
        const std::string name = attribute.name().string();
        const bool keep = (!describesStorage(name) || name == "oiio:subimagename") &&
                          name != "oiio:UnassociatedAlpha" && !anotherFormatsAttribute(name, rules_.name()) &&
                          !misreadMetadata(attribute) && (sameFormat_ || name != "compression");
        if (keep) spec.extra_attribs.push_back(attribute);
    }
}

void WritePlan::chooseTypes(OIIO::ImageSpec &spec) const {
    std::vector<OIIO::TypeDesc> types;
    for (int c = 0; c < spec.nchannels; ++c) types.push_back(rules_.typeFor(spec.channelformat(c)));
    if (!rules_.typePerChannel() || std::all_of(types.begin(), types.end(), [&](auto t) { return t == types[0]; })) {
        spec.set_format(widest(types));
        spec.channelformats.clear();
    } else {
        spec.channelformats = types;
        spec.format = widest(types);
    }
}

// What the user asked for: a sample type for every channel, a compression,
// a quality; a lossy format otherwise at its default quality.
void WritePlan::encodeAsAsked(OIIO::ImageSpec &spec) {
    if (!encoding_.sampleType.empty()) {
        spec.set_format(OIIO::TypeDesc(encoding_.sampleType));
        spec.channelformats.clear();
    }
    std::string compression = encoding_.compression;
    int quality = encoding_.quality;
    const std::string ownCompression = rules_.qualityCompression(path_);
    if (quality == 0 && compression.empty() && !ownCompression.empty())
        quality = rules_.defaultQuality(stored_, notices);
    if (quality != 0) {
        std::string name = CompressionAsked::of(compression).name;
        if (name.empty())
            name = !ownCompression.empty() ? ownCompression : std::string(spec.get_string_attribute("compression"));
        compression = name + ":" + std::to_string(quality);
    }
    if (!compression.empty()) {
        spec.attribute("compression", compression);
        spec.erase_attribute("tiff:Compression");
    }
    if (!resolvedYet_) resolved_.quality = quality;
}

// As stored, a lossy compression would change the pixels the filter left
// alone, and one this format's writer does not write would be replaced
// without a word: either gives way to a lossless one, saying so.
void WritePlan::keepLossless(OIIO::ImageSpec &spec) {
    const std::string compression = spec.get_string_attribute("compression");
    if (!sameFormat_ || compression.empty() || !encoding_.compression.empty()) return;
    const CompressionAsked asStored = CompressionAsked::of(compression);
    OutputShape picture = shape();
    picture.type = spec.format;
    const bool lossy = rules_.lossy(asStored, picture);
    const bool written = !rules_.compressionProblem(asStored);
    if (!lossy && written) return;
    const std::string lossless = rules_.losslessCompression();
    spec.attribute("compression", lossless);
    spec.erase_attribute("tiff:Compression");
    note(compression +
         (lossy ? " compression is lossy and would change pixels the filter left alone"
                : " compression is one OpenImageIO does not write") +
         "; written with " + lossless + " compression");
}

// Whether colour is written as it is, or divided by alpha by the writer,
// as OpenImageIO converts premultiplied colour for a format that holds
// straight colour.
void WritePlan::labelAlpha(OIIO::ImageSpec &spec, bool treated) const {
    if (treated) spec.alpha_channel = withAlpha_ ? spec.alpha_channel : -1;
    if (spec.alpha_channel < 0 && !(rules_.keepsAlphaType() && sameFormat_)) return;
    const frame::AlphaForm label =
        treated ? stored_.label : (alphaAssociated(spec) ? frame::AlphaForm::associated : frame::AlphaForm::straight);
    const frame::AlphaForm form = treated ? stored_.form : label;
    bool asItIs = true;
    switch (rules_.alphaLabels()) {
    case AlphaLabels::associatedOnly: return;
    case AlphaLabels::either: asItIs = form == frame::AlphaForm::straight; break;
    case AlphaLabels::straightOnly:
        asItIs = sameFormat_ || !(label == frame::AlphaForm::associated && form == frame::AlphaForm::associated);
        break;
    }
    if (asItIs) spec.attribute("oiio:UnassociatedAlpha", 1);
}

void WritePlan::noteNarrowing(const StoredLevel &held, const OIIO::ImageSpec &writer) {
    for (int c = 0; c < held.spec.nchannels && c < writer.nchannels; ++c) {
        const OIIO::TypeDesc from = held.spec.channelformat(c), to = writer.channelformat(c);
        if (holdsEveryValue(to, from)) continue;
        note("the " + rules_.title() + " format holds no " + typeWords(from) + " samples; written as " + typeWords(to) +
             (isFloat(from) && !isFloat(to) ? ", values outside 0-1 clamped" : ""));
    }
}

// The treated picture as it is written.
OutputShape WritePlan::shape() const {
    OutputShape shape;
    const StoredPart &part = stored_.parts[std::size_t(stored_.treated)];
    shape.width = part.spec().width;
    shape.height = part.spec().height;
    shape.colourChannels = stored_.channel[0] == stored_.channel[1] ? 1 : 3;
    shape.alpha = withAlpha_;
    if (treatedWritten_ >= 0 && std::size_t(treatedWritten_) < parts.size())
        shape.type = parts[std::size_t(treatedWritten_)].front().spec.format;
    return shape;
}

std::optional<std::string> WritePlan::shapeProblem() const {
    const OutputShape picture = shape();
    if (std::max(picture.width, picture.height) > rules_.largestSide())
        return rules_.title() + " files are at most " + std::to_string(rules_.largestSide()) + " pixels wide and high";
    return rules_.shapeProblem(picture, resolved_, path_);
}

void WritePlan::noteLosses() {
    const std::string lost = rules_.losses(shape(), resolved_);
    if (!lost.empty()) note(lost);
}

}  // namespace tavi::host::files
