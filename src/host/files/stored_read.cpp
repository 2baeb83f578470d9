// Reading a file into a StoredImage: every part and level at its stored
// types, the RGBA to filter picked, the alpha's meaning settled.
#include <algorithm>
#include <new>

#include "host/files/file_messages.h"
#include "host/files/file_reading.h"
#include "host/files/formats/format_rules.h"
#include "host/files/formats/tiff_labels.h"
#include "host/files/input_checks.h"
#include "host/files/stored_parts.h"
#include "host/files/write_plan.h"
#include "host/files/careful_write.h"

namespace fs = std::filesystem;

namespace tavi::host::files {

using detail::StoredLevel;
using detail::StoredPart;
using detail::StoredParts;

namespace {

// The layer a channel belongs to ("diffuse" of "diffuse.R"), and its own
// name within it ("R").
std::pair<std::string, std::string> splitChannel(const std::string &name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {"", name};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

int findChannel(const OIIO::ImageSpec &spec, const std::string &layer, const std::string &own) {
    for (int c = 0; c < spec.nchannels; ++c) {
        const auto [l, o] = splitChannel(spec.channel_name(c));
        if (l == layer && o == own) return c;
    }
    return -1;
}

// The layers of a part that hold red, green and blue, in channel order.
std::vector<std::string> colourLayers(const OIIO::ImageSpec &spec) {
    std::vector<std::string> layers;
    for (int c = 0; c < spec.nchannels; ++c) {
        const std::string layer = splitChannel(spec.channel_name(c)).first;
        if (std::find(layers.begin(), layers.end(), layer) == layers.end() && findChannel(spec, layer, "R") >= 0 &&
            findChannel(spec, layer, "G") >= 0 && findChannel(spec, layer, "B") >= 0)
            layers.push_back(layer);
    }
    return layers;
}

void pickLayer(StoredParts &stored, int part, const std::string &layer) {
    const OIIO::ImageSpec &spec = stored.parts[std::size_t(part)].spec();
    stored.treated = part;
    stored.channel[0] = findChannel(spec, layer, "R");
    stored.channel[1] = findChannel(spec, layer, "G");
    stored.channel[2] = findChannel(spec, layer, "B");
    stored.channel[3] = findChannel(spec, layer, "A");
}

// Without named colour channels: the first three that are not alpha, or
// grey where there are fewer.
void pickByPosition(StoredParts &stored, int alpha) {
    const OIIO::ImageSpec &spec = stored.parts.front().spec();
    stored.treated = 0;
    std::vector<int> colour;
    for (int c = 0; c < spec.nchannels && colour.size() < 3; ++c)
        if (c != alpha) colour.push_back(c);
    if (colour.size() < 3) colour.assign(3, colour.empty() ? 0 : colour.front());
    std::copy(colour.begin(), colour.end(), stored.channel);
    stored.channel[3] = alpha;
}

// The RGBA to filter: `wanted` names a layer or part; otherwise the
// unnamed layer of the first part, or its first layer.
std::optional<std::string> pickTreated(StoredParts &stored, const std::string &wanted, int alpha) {
    if (wanted.empty()) {
        const std::vector<std::string> layers = colourLayers(stored.parts.front().spec());
        if (layers.empty())
            pickByPosition(stored, alpha);
        else
            pickLayer(stored, 0, std::find(layers.begin(), layers.end(), "") != layers.end() ? "" : layers.front());
        return std::nullopt;
    }
    std::string known;
    for (std::size_t p = 0; p < stored.parts.size(); ++p) {
        const StoredPart &part = stored.parts[p];
        const std::vector<std::string> layers = colourLayers(part.spec());
        if (part.spec().get_string_attribute("oiio:subimagename") == wanted && !layers.empty()) {
            pickLayer(stored, int(p),
                      std::find(layers.begin(), layers.end(), "") != layers.end() ? "" : layers.front());
            return std::nullopt;
        }
        if (std::find(layers.begin(), layers.end(), wanted) != layers.end()) {
            pickLayer(stored, int(p), wanted);
            return std::nullopt;
        }
        for (const std::string &layer : layers)
            if (!layer.empty()) known += (known.empty() ? "" : ", ") + layer;
    }
    return "no layer " + wanted + " with R, G and B channels" + (known.empty() ? "" : " (layers: " + known + ")");
}

// The first part's alpha channel, where its fourth channel really is one:
// the file itself can say it is no alpha (a Targa file's alpha type); a
// CMYK file's fourth channel is black.
int alphaOf(const OIIO::ImageSpec &spec, const FormatRules &rules, int alphaType) {
    int alpha = spec.alpha_channel >= 0 && spec.alpha_channel < spec.nchannels ? spec.alpha_channel : -1;
    if (!rules.alphaTypeIsAlpha(alphaType)) alpha = -1;
    if (holdsInks(spec) && alpha == 3) alpha = spec.nchannels > 4 ? 4 : -1;
    return alpha;
}

// How the file labels the treated colour: premultiplied or straight.
frame::AlphaForm labelOf(const OIIO::ImageSpec &spec, const FormatRules &rules, int alphaType, bool hasAlpha) {
    if (!hasAlpha) return frame::AlphaForm::straight;
    if (std::optional<frame::AlphaForm> form = rules.alphaTypeForm(alphaType)) return *form;
    return alphaAssociated(spec) ? frame::AlphaForm::associated : frame::AlphaForm::straight;
}

// Every channel at its own type where a frame can be made from each;
// otherwise the whole level as double, which holds every other type's
// values exactly.
OIIO::TypeDesc holdingFor(const OIIO::ImageSpec &spec) {
    for (int c = 0; c < spec.nchannels; ++c)
        if (!sampleTypeOf(spec.channelformat(c))) return OIIO::TypeDesc::DOUBLE;
    return OIIO::TypeDesc::UNKNOWN;
}

// The parts and levels of the open file, described, without pixels.
std::optional<std::string> describeParts(OIIO::ImageInput &input, StoredParts &stored) {
    for (int index = 0; input.seek_subimage(index, 0); ++index) {
        StoredPart part;
        for (int level = 0; input.seek_subimage(index, level); ++level) {
            StoredLevel described;
            described.spec = input.spec();
            if (level == 0)
                if (auto problem = pictureProblem(described.spec)) return problem;
            part.levels.push_back(std::move(described));
        }
        stored.parts.push_back(std::move(part));
    }
    (void)input.geterror();  // the failed probes past the last part and level are no error
    if (stored.parts.empty()) return "the file holds no image";
    return std::nullopt;
}

// Reads the samples of every part and level; returns the problem.
// Premultiplied on reading, samples are held as float: some readers
// premultiply only what they hand over as float, and OpenImageIO's own
// conversions start from that.
std::optional<std::string> readPixels(const fs::path &path, OIIO::ImageInput &input, StoredParts &stored,
                                      std::size_t filters, Notices &notices) {
    const std::string name = path.string();
    for (std::size_t p = 0; p < stored.parts.size(); ++p) {
        StoredPart &part = stored.parts[p];
        for (std::size_t m = 0; m < part.levels.size(); ++m) {
            StoredLevel &level = part.levels[m];
            level.heldAs = holdingFor(level.spec);
            if (stored.premultipliedOnReading && level.heldAs == OIIO::TypeDesc::UNKNOWN) {
                level.heldAs = OIIO::TypeDesc::FLOAT;
                continue;
            }
            if (m == 0 && level.heldAs != OIIO::TypeDesc::UNKNOWN)
                notices.push_back(name + ": " + part.name(int(p)) +
                                  " has samples of a type the filter cannot take as they are; held as "
                                  "64-bit float");
        }
    }
    const OIIO::ImageSpec &treatedSpec = stored.treatedLevel().spec;
    if (auto shortfall = memoryShortfall(treatedSpec.width, treatedSpec.height, stored.bytes(), filters))
        return name + ": " + *shortfall;

    for (std::size_t p = 0; p < stored.parts.size(); ++p) {
        StoredPart &part = stored.parts[p];
        for (std::size_t m = 0; m < part.levels.size(); ++m) {
            StoredLevel &level = part.levels[m];
            try {
                level.samples.resize(level.pixelBytes() * level.pixelCount());
            } catch (const std::bad_alloc &) {
                return name + ": not enough memory for an image of " + sizeText(level.spec.width, level.spec.height);
            }
            if (!input.read_image(int(p), int(m), 0, level.spec.nchannels, level.heldAs, level.samples.data()))
                return damagedFile(path, input.format_name(), input.geterror());
            // Some readers fill in what a truncated file lacks and only warn.
            if (std::string warning = input.geterror(); !warning.empty())
                return damagedFile(path, input.format_name(), warning);
        }
    }
    return std::nullopt;
}

// Straight colour held as float, multiplied by its alpha: every channel
// but alpha and depth, as OpenImageIO premultiplies.
void premultiplyFloats(StoredLevel &level) {
    const OIIO::ImageSpec &spec = level.spec;
    if (spec.alpha_channel < 0 || level.heldAs != OIIO::TypeDesc::FLOAT) return;
    float *pixel = reinterpret_cast<float *>(level.samples.data());
    for (std::size_t i = 0; i < level.pixelCount(); ++i, pixel += spec.nchannels)
        for (int c = 0; c < spec.nchannels; ++c)
            if (c != spec.alpha_channel && c != spec.z_channel) pixel[c] *= pixel[spec.alpha_channel];
}

}  // namespace

namespace {

// The file's parts and levels as its header describes them, held as they
// would be.
IoResult<StoredParts> describeFile(const fs::path &path) {
    try {
        auto opened = openStored(path);
        if (!opened) return IoResult<StoredParts>::failure(opened.error());
        StoredParts stored;
        stored.format = opened.value()->format_name();
        if (auto problem = describeParts(*opened.value(), stored))
            return IoResult<StoredParts>::failure(path.string() + ": " + *problem);
        for (StoredPart &part : stored.parts)
            for (StoredLevel &level : part.levels) level.heldAs = holdingFor(level.spec);
        return stored;
    } catch (const std::bad_alloc &) {
        return IoResult<StoredParts>::failure(damagedFile(path, "", "std::bad_alloc"));
    }
}

}  // namespace

std::optional<std::string> readProblem(const fs::path &path, const ReadRequest &request) {
    const IoResult<StoredParts> stored = describeFile(path);
    if (!stored) return stored.error();
    const OIIO::ImageSpec &first = stored->parts.front().spec();
    const bool converting = holdsOtherColourModel(first) && request.output && !request.output->keepsColourModels;
    if (auto hazard = rulesFor(stored->format).readHazard(first, converting)) return path.string() + ": " + *hazard;
    if (auto shortfall = memoryShortfall(first.width, first.height, stored->bytes(), request.filters))
        return path.string() + ": " + *shortfall;
    return std::nullopt;
}

IoResult<std::uint64_t> frameMemory(const fs::path &path, const ReadRequest &request) {
    const IoResult<StoredParts> stored = describeFile(path);
    if (!stored) return IoResult<std::uint64_t>::failure(stored.error());
    const OIIO::ImageSpec &first = stored->parts.front().spec();
    return frameBytesNeeded(first.width, first.height, stored->bytes(), request.filters);
}

namespace {

// How a file is read for the output it goes to, decided from a first look
// at its header.
struct ReadPlan {
    const FormatRules *rules = nullptr;
    OIIO::ImageSpec first;
    int alphaType = -1;
    ReaderSettings settings;
    bool premultiply = false;       // straight colour premultiplied as it is read
    bool premultiplyAfter = false;  // that done here after reading, not by the reader
};

ReadPlan planRead(const fs::path &path, OIIO::ImageInput &look, const ReadRequest &request) {
    ReadPlan plan;
    plan.rules = &rulesFor(look.format_name());
    plan.first = look.spec();
    plan.alphaType = plan.rules->alphaType(path);
    // CMYK and CIELAB are read as stored where the output keeps them, and
    // as RGB otherwise, as OpenImageIO converts them.
    plan.settings.rawColour =
        holdsOtherColourModel(plan.first) && (!request.output || request.output->keepsColourModels);
    // Straight colour bound for a format that holds only premultiplied
    // colour is premultiplied as it is read, as OpenImageIO converts it;
    // unless the user says the file's colour is premultiplied already.
    const bool hasAlpha = alphaOf(plan.first, *plan.rules, plan.alphaType) >= 0;
    plan.premultiply = request.output && request.output->associatedOnly && request.output->name != plan.rules->name() &&
                       hasAlpha &&
                       labelOf(plan.first, *plan.rules, plan.alphaType, true) == frame::AlphaForm::straight &&
                       request.alpha != AlphaChoice::premultiplied;
    plan.premultiplyAfter = plan.premultiply && plan.rules->premultiplyAfterReading();
    plan.settings.keepStraight = !plan.premultiply || plan.premultiplyAfter;
    return plan;
}

// The treated layer, its alpha, and the forms the colour is taken in and
// labelled with.
std::optional<std::string> settleTreated(StoredParts &stored, const ReadPlan &plan, const ReadRequest &request) {
    const int alpha = alphaOf(stored.parts.front().spec(), *plan.rules, plan.alphaType);
    if (auto problem = pickTreated(stored, request.layer, alpha)) return problem;
    if (!plan.rules->alphaTypeIsAlpha(plan.alphaType)) stored.channel[3] = -1;  // named A, but no alpha
    const bool treatedAlpha = stored.channel[3] >= 0;
    stored.label = plan.premultiply ? frame::AlphaForm::associated
                                    : labelOf(stored.treatedLevel().spec, *plan.rules, plan.alphaType, treatedAlpha);
    stored.form = request.alpha == AlphaChoice::straight        ? frame::AlphaForm::straight
                  : request.alpha == AlphaChoice::premultiplied ? frame::AlphaForm::associated
                                                                : stored.label;
    stored.inks = plan.settings.rawColour && holdsInks(plan.first);
    return std::nullopt;
}

// What is left once the samples are in: premultiplying where the reader
// must not, the thumbnail, CIELAB's signs.
void finishSamples(StoredParts &stored, OIIO::ImageInput &input, const ReadPlan &plan) {
    if (plan.premultiplyAfter)
        for (StoredPart &part : stored.parts)
            for (StoredLevel &level : part.levels) premultiplyFloats(level);
    auto thumbnail = std::make_shared<OIIO::ImageBuf>();
    if (input.get_thumbnail(*thumbnail, 0) && thumbnail->initialized()) stored.thumbnail = std::move(thumbnail);
    (void)input.geterror();
    if (plan.settings.rawColour)
        for (StoredPart &part : stored.parts)
            for (StoredLevel &level : part.levels) flipLabSigns(level);
    stored.rawColour = plan.settings.rawColour;
}

}  // namespace

std::optional<std::string> writeProblem(const fs::path &input, const fs::path &output, const ReadRequest &request,
                                        const Encoding &encoding) {
    try {
        auto writer = writerFor(output);
        if (!writer) return std::nullopt;  // the output's checks say why
        ReadRequest toOutput = request;
        if (IoResult<OutputFormat> format = outputFormatFor(output)) toOutput.output = format.value();
        auto opened = openStored(input);
        if (!opened) return std::nullopt;  // the frame's own failure, when it is read
        const ReadPlan plan = planRead(input, *opened.value(), toOutput);
        StoredImage image;
        StoredParts &stored = *image.parts_;
        stored.source = input;
        stored.format = plan.rules->name();
        stored.alphaType = plan.alphaType;
        if (describeParts(*opened.value(), stored) || settleTreated(stored, plan, toOutput)) return std::nullopt;
        WritePlan written(stored, *writer.value(), output, encoding);
        return written.make();
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

IoResult<LoadedStored> readStored(const fs::path &path, const ReadRequest &request) {
    using Result = IoResult<LoadedStored>;
    const std::string name = path.string();
    try {
        // A first look, with the samples as stored, says what the file holds.
        auto opened = openStored(path);
        if (!opened) return Result::failure(opened.error());
        const ReadPlan plan = planRead(path, *opened.value(), request);
        if (auto hazard = plan.rules->readHazard(plan.first, !plan.settings.rawColour))
            return Result::failure(name + ": " + *hazard);
        if (plan.settings.rawColour || plan.premultiply) {
            opened = openStored(path, plan.settings);
            if (!opened) return Result::failure(opened.error());
        }
        OIIO::ImageInput &input = *opened.value();

        LoadedStored loaded;
        StoredParts &stored = *loaded.image.parts_;
        stored.source = path;
        stored.format = plan.rules->name();
        stored.alphaType = plan.alphaType;
        stored.premultipliedOnReading = plan.premultiply;
        if (auto problem = describeParts(input, stored)) return Result::failure(name + ": " + *problem);
        if (auto problem = settleTreated(stored, plan, request)) return Result::failure(name + ": " + *problem);
        if (auto problem = readPixels(path, input, stored, request.filters, loaded.notices))
            return Result::failure(*problem);
        if (auto damage = plan.rules->damage(path))
            return Result::failure(damagedFile(path, plan.rules->name(), *damage));
        finishSamples(stored, input, plan);
        input.close();
        return loaded;
    } catch (const std::bad_alloc &) {
        // Past the memory check, only a reader taking a damaged header at
        // its word asks for that much.
        return Result::failure(damagedFile(path, "", "std::bad_alloc"));
    }
}

}  // namespace tavi::host::files
