#include "host/imaging/stored_image.h"

#include "host/imaging/input_checks.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "host/imaging/oiio_files.h"

namespace fs = std::filesystem;

namespace tavi::host {

using namespace files;

namespace detail {

// One subimage: its description as read and its samples, pixel after
// pixel, each channel at its stored type, or all as float where a type is
// one the filter's frame cannot be made from.
struct StoredPart {
    OIIO::ImageSpec spec;
    OIIO::TypeDesc heldAs = OIIO::TypeDesc::UNKNOWN;  // UNKNOWN: each channel's own type
    std::vector<unsigned char> samples;

    std::size_t pixelBytes() const {
        return heldAs == OIIO::TypeDesc::UNKNOWN ? spec.pixel_bytes(true) : std::size_t(spec.nchannels) * heldAs.size();
    }
    OIIO::TypeDesc typeOf(int c) const { return heldAs == OIIO::TypeDesc::UNKNOWN ? spec.channelformat(c) : heldAs; }
    int offsetOf(int c) const {
        int offset = 0;
        for (int before = 0; before < c; ++before) offset += int(typeOf(before).size());
        return offset;
    }
    std::string name(int index) const {
        const std::string given = spec.get_string_attribute("oiio:subimagename");
        return given.empty() ? "part " + std::to_string(index + 1) : given;
    }
};

struct StoredParts {
    std::vector<StoredPart> parts;
    // The bytes the samples of every part take (or will) in memory.
    std::uint64_t bytes() const {
        std::uint64_t total = 0;
        for (const StoredPart &part : parts)
            total += std::uint64_t(part.pixelBytes()) * std::uint64_t(part.spec.width) * std::uint64_t(part.spec.height);
        return total;
    }
    int treated = 0;                     // the part whose colour is filtered
    int channel[4] = {-1, -1, -1, -1};   // its red, green, blue, alpha; alpha -1: none
    AlphaForm form = AlphaForm::straight;
};

}  // namespace detail

using detail::StoredPart;
using detail::StoredParts;

StoredImage::StoredImage() : parts_(std::make_unique<StoredParts>()) {}
StoredImage::~StoredImage() = default;
StoredImage::StoredImage(StoredImage &&) noexcept = default;
StoredImage &StoredImage::operator=(StoredImage &&) noexcept = default;

namespace {

std::optional<SampleType> sampleTypeOf(OIIO::TypeDesc type) {
    if (type == OIIO::TypeDesc::UINT8) return SampleType::uint8;
    if (type == OIIO::TypeDesc::UINT16) return SampleType::uint16;
    if (type == OIIO::TypeDesc::HALF) return SampleType::half;
    if (type == OIIO::TypeDesc::FLOAT) return SampleType::float32;
    return std::nullopt;
}

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
    const OIIO::ImageSpec &spec = stored.parts[std::size_t(part)].spec;
    stored.treated = part;
    stored.channel[0] = findChannel(spec, layer, "R");
    stored.channel[1] = findChannel(spec, layer, "G");
    stored.channel[2] = findChannel(spec, layer, "B");
    stored.channel[3] = findChannel(spec, layer, "A");
}

// Without named colour channels: the first three that are not alpha, or
// grey where there are fewer.
void pickByPosition(StoredParts &stored) {
    const OIIO::ImageSpec &spec = stored.parts.front().spec;
    stored.treated = 0;
    const int alpha = spec.alpha_channel >= 0 && spec.alpha_channel < spec.nchannels ? spec.alpha_channel : -1;
    std::vector<int> colour;
    for (int c = 0; c < spec.nchannels && colour.size() < 3; ++c)
        if (c != alpha) colour.push_back(c);
    if (colour.size() < 3) colour.assign(3, colour.empty() ? 0 : colour.front());
    std::copy(colour.begin(), colour.end(), stored.channel);
    stored.channel[3] = alpha;
}

// The RGBA to filter: `wanted` names a layer or part; otherwise the
// unnamed layer of the first part, or its first layer.
std::optional<std::string> pickTreated(StoredParts &stored, const std::string &wanted) {
    if (wanted.empty()) {
        const std::vector<std::string> layers = colourLayers(stored.parts.front().spec);
        if (layers.empty())
            pickByPosition(stored);
        else
            pickLayer(stored, 0, std::find(layers.begin(), layers.end(), "") != layers.end() ? "" : layers.front());
        return std::nullopt;
    }
    std::string known;
    for (std::size_t p = 0; p < stored.parts.size(); ++p) {
        const StoredPart &part = stored.parts[p];
        const std::vector<std::string> layers = colourLayers(part.spec);
        if (part.spec.get_string_attribute("oiio:subimagename") == wanted && !layers.empty()) {
            pickLayer(stored, int(p), std::find(layers.begin(), layers.end(), "") != layers.end() ? "" : layers.front());
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

// Every channel at its own type where the frame can be made from the
// treated ones; otherwise the whole part as float.
OIIO::TypeDesc holdingFor(const OIIO::ImageSpec &spec, const int channel[4]) {
    OIIO::TypeDesc first = spec.channelformat(channel[0]);
    for (int c = 0; c < spec.nchannels; ++c)
        if (!sampleTypeOf(spec.channelformat(c))) return OIIO::TypeDesc::FLOAT;
    for (int i = 0; i < 4; ++i)
        if (channel[i] >= 0 && spec.channelformat(channel[i]) != first) return OIIO::TypeDesc::FLOAT;
    return OIIO::TypeDesc::UNKNOWN;
}

}  // namespace

PixelView StoredImage::pixels() const {
    StoredPart &part = parts_->parts[std::size_t(parts_->treated)];
    PixelView view;
    view.data = part.samples.data();
    view.type = *sampleTypeOf(part.typeOf(parts_->channel[0]));
    view.width = part.spec.width;
    view.height = part.spec.height;
    view.pixelStride = std::ptrdiff_t(part.pixelBytes());
    view.rowStride = view.pixelStride * part.spec.width;
    for (int i = 0; i < 4; ++i) view.channel[i] = parts_->channel[i] < 0 ? -1 : part.offsetOf(parts_->channel[i]);
    return view;
}

AlphaForm StoredImage::storedForm() const { return parts_->form; }

std::uint64_t StoredImage::storedBytes() const { return parts_->bytes(); }

std::string StoredImage::treatedChannels() const {
    const StoredPart &part = parts_->parts[std::size_t(parts_->treated)];
    std::string names;
    for (int i = 0; i < 4; ++i)
        if (parts_->channel[i] >= 0 && (i == 0 || parts_->channel[i] != parts_->channel[0]))
            names += (names.empty() ? "" : ", ") + std::string(part.spec.channel_name(parts_->channel[i]));
    return names + (parts_->parts.size() > 1 ? " of " + part.name(parts_->treated) : "");
}

std::vector<std::string> StoredImage::passedChannels() const {
    std::vector<std::string> passed;
    for (std::size_t p = 0; p < parts_->parts.size(); ++p) {
        const StoredPart &part = parts_->parts[p];
        for (int c = 0; c < part.spec.nchannels; ++c) {
            if (int(p) == parts_->treated && std::find(parts_->channel, parts_->channel + 4, c) != parts_->channel + 4)
                continue;
            passed.push_back(std::string(part.spec.channel_name(c)) + (parts_->parts.size() > 1 ? " of " + part.name(int(p)) : ""));
        }
    }
    return passed;
}

IoResult<LoadedStored> readStored(const fs::path &path, const std::string &layer, std::size_t filters) {
    const std::string name = path.string();
    using Result = IoResult<LoadedStored>;
    auto opened = openStored(path);
    if (!opened) return Result::failure(opened.error());
    OIIO::ImageInput *input = opened.value().get();

    LoadedStored loaded;
    StoredParts &stored = *loaded.image.parts_;
    for (int index = 0; input->seek_subimage(index, 0); ++index) {
        StoredPart part;
        part.spec = input->spec();
        if (auto problem = pictureProblem(part.spec)) return Result::failure(name + ": " + *problem);
        stored.parts.push_back(std::move(part));
    }
    (void)input->geterror();  // the failed probe past the last subimage is no error
    if (stored.parts.empty()) return Result::failure(name + ": the file holds no image");
    if (auto problem = pickTreated(stored, layer)) return Result::failure(name + ": " + *problem);

    for (std::size_t p = 0; p < stored.parts.size(); ++p) {
        const int none[4] = {0, -1, -1, -1};
        stored.parts[p].heldAs = holdingFor(stored.parts[p].spec, int(p) == stored.treated ? stored.channel : none);
    }
    const OIIO::ImageSpec &treatedSpec = stored.parts[std::size_t(stored.treated)].spec;
    if (auto shortfall = memoryShortfall(treatedSpec.width, treatedSpec.height, stored.bytes(), filters))
        return Result::failure(name + ": " + *shortfall);

    for (std::size_t p = 0; p < stored.parts.size(); ++p) {
        StoredPart &part = stored.parts[p];
        try {
            part.samples.resize(part.pixelBytes() * std::size_t(part.spec.width) * std::size_t(part.spec.height));
        } catch (const std::bad_alloc &) {
            return Result::failure(name + ": not enough memory for an image of " +
                                   sizeText(part.spec.width, part.spec.height));
        }
        if (!input->read_image(int(p), 0, 0, part.spec.nchannels, part.heldAs, part.samples.data()))
            return Result::failure(name + ": cannot read the pixels (" + oneLine(input->geterror()) + ")");
        if (part.heldAs != OIIO::TypeDesc::UNKNOWN)
            loaded.notices.push_back(name + ": " + part.name(int(p)) +
                                     " has samples of a type the filter cannot take as they are; held as float");
    }
    const StoredPart &treated = stored.parts[std::size_t(stored.treated)];
    stored.form = stored.channel[3] >= 0 && alphaAssociated(treated.spec) ? AlphaForm::associated : AlphaForm::straight;
    input->close();
    return loaded;
}

namespace {

// Formats whose files hold any number of named channels.
bool holdsAnyChannels(std::string_view format) { return format == "openexr" || format == "tiff"; }

// A part cut down to the treated colour and alpha, for formats that hold
// no more.
StoredPart treatedOnly(const StoredPart &part, const int channel[4], bool withAlpha) {
    std::vector<int> kept = {channel[0]};
    if (channel[1] != channel[0]) kept.push_back(channel[1]);
    if (channel[2] != channel[0]) kept.push_back(channel[2]);
    if (withAlpha && channel[3] >= 0) kept.push_back(channel[3]);

    StoredPart cut;
    cut.heldAs = part.typeOf(channel[0]);
    cut.spec = part.spec;
    cut.spec.nchannels = int(kept.size());
    cut.spec.format = cut.heldAs;
    cut.spec.channelformats.clear();
    cut.spec.channelnames.clear();
    for (int c : kept) cut.spec.channelnames.push_back(splitChannel(part.spec.channel_name(c)).second);
    cut.spec.alpha_channel = withAlpha && channel[3] >= 0 ? int(kept.size()) - 1 : -1;
    cut.spec.z_channel = -1;

    const std::size_t pixels = std::size_t(part.spec.width) * std::size_t(part.spec.height);
    const std::size_t from = part.pixelBytes(), to = cut.pixelBytes(), size = cut.heldAs.size();
    cut.samples.resize(pixels * to);
    for (std::size_t i = 0; i < pixels; ++i)
        for (std::size_t k = 0; k < kept.size(); ++k)
            std::memcpy(&cut.samples[i * to + k * size], &part.samples[i * from + std::size_t(part.offsetOf(kept[k]))],
                        size);
    return cut;
}

// Attributes that describe how the reader stored pixels, not the picture,
// except those that must survive: the alpha label and part names.
OIIO::ImageSpec specToWrite(const OIIO::ImageSpec &read) {
    OIIO::ImageSpec spec = read;
    spec.extra_attribs.clear();
    for (const auto &attribute : read.extra_attribs) {
        const std::string name = attribute.name().string();
        if (!describesStorage(name) || name == "oiio:UnassociatedAlpha" || name == "oiio:subimagename")
            spec.extra_attribs.push_back(attribute);
    }
    return spec;
}

}  // namespace

IoResult<Notices> writeStored(const fs::path &path, const StoredImage &image) {
    const std::string name = path.string();
    using Result = IoResult<Notices>;
    if (auto reason = unwritableFolderReason(path)) return Result::failure(name + ": " + *reason);
    OIIO::Filesystem::IOVecOutput memory;  // outlives the writer
    auto writer = writerFor(path);
    if (!writer) return Result::failure(name + ": cannot write (" + writer.error() + ")");
    OIIO::ImageOutput &output = *writer.value();
    const std::string format = output.format_name();
    const StoredParts &stored = *image.parts_;
    const StoredPart &treated = stored.parts[std::size_t(stored.treated)];
    if (format == "jpeg" && (treated.spec.width > 65500 || treated.spec.height > 65500))
        return Result::failure(name + ": cannot write (JPEG files are at most 65500 pixels wide and high)");

    Notices notices;
    // What this format can take: every part, or the treated one; every
    // channel, or the treated colour and alpha.
    std::vector<const StoredPart *> parts;
    std::vector<StoredPart> cut;
    const bool everyPart = stored.parts.size() == 1 || output.supports("multiimage");
    if (!everyPart)
        notices.push_back(name + ": the " + format + " format holds one image; only " +
                          treated.name(stored.treated) + " is written");
    const bool withAlpha = stored.channel[3] >= 0 && output.supports("alpha");
    if (stored.channel[3] >= 0 && !withAlpha)
        notices.push_back(name + ": the " + format + " format has no alpha channel; alpha not written");
    for (std::size_t p = 0; p < stored.parts.size(); ++p) {
        if (!everyPart && int(p) != stored.treated) continue;
        const StoredPart &part = stored.parts[p];
        const bool alphaDropped = stored.channel[3] >= 0 && !withAlpha;
        if (int(p) == stored.treated && (alphaDropped || !holdsAnyChannels(format))) {
            const StoredPart reduced = treatedOnly(part, stored.channel, withAlpha);
            if (reduced.spec.nchannels < part.spec.nchannels && withAlpha == (stored.channel[3] >= 0))
                notices.push_back(name + ": the " + format + " format holds colour and alpha only; " +
                                  std::to_string(part.spec.nchannels - reduced.spec.nchannels) +
                                  " other channels not written");
            cut.push_back(std::move(reduced));
            parts.push_back(nullptr);
        } else {
            parts.push_back(&part);
        }
    }
    std::size_t nextCut = 0;
    for (const StoredPart *&part : parts)
        if (part == nullptr) part = &cut[nextCut++];

    std::vector<OIIO::ImageSpec> specs;
    for (const StoredPart *part : parts) specs.push_back(specToWrite(part->spec));
    const auto writeAll = [&](OIIO::ImageOutput &out, const std::string &fileName) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const bool opened = i == 0 ? (parts.size() == 1 ? out.open(fileName, specs[0])
                                                             : out.open(fileName, int(specs.size()), specs.data()))
                                       : out.open(fileName, specs[i], OIIO::ImageOutput::AppendSubimage);
            if (!opened || !out.write_image(parts[i]->heldAs, parts[i]->samples.data())) {
                out.close();
                return false;
            }
        }
        return out.close();
    };
    AtomicFile file(path);
    if (auto problem = writeThrough(file, output, writeAll, memory, parts.size() == 1))
        return Result::failure(cannotWrite(file, *problem));
    return notices;
}

}  // namespace tavi::host
