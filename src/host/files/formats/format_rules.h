// What is peculiar to one image format, as far as reading a file for the
// filter and writing a filtered file go: what its files hold, which of the
// encodings asked for its writer honours and at what loss, and the hooks
// for what OpenImageIO's reader or writer of it gets wrong or leaves out.
// Each format with something of its own has its rules in a file of this
// folder; rulesFor() finds them by OpenImageIO's name for the format, and
// the generic reading and writing code asks them instead of testing the
// name itself.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/careful_write.h"
#include "host/files/oiio.h"
#include "host/files/stored_image.h"

namespace tavi::host::files {

namespace detail {
struct StoredParts;
}

// How a format stores colour with alpha.
enum class AlphaLabels {
    associatedOnly,  // premultiplied, always (OpenEXR)
    either,          // labelled one way or the other (TIFF)
    straightOnly,    // straight; its writer divides premultiplied colour (PNG, Targa)
};

// What a written file would hold, known before anything is read from the
// input's header: the treated picture's size, its colour and alpha
// channels as the output's format takes them, and the widest sample type
// written.
struct OutputShape {
    int width = 0;
    int height = 0;
    int colourChannels = 3;  // 1: grey
    bool alpha = false;
    OIIO::TypeDesc type = OIIO::TypeDesc::UINT8;

    int channels() const { return colourChannels + (alpha ? 1 : 0); }
};

// A compression as asked for: its name and level ("zip:9", "dwaa:45").
struct CompressionAsked {
    std::string name;
    std::optional<int> level;

    static CompressionAsked of(std::string_view text);
};

// A compression a format's writer honours, and the levels it takes after
// a colon (none where `lowest` > `highest`).
struct CompressionEntry {
    std::string_view name;
    int lowest = 1;
    int highest = 0;
};

class FormatRules {
public:
    FormatRules(std::string name, std::string title) : name_(std::move(name)), title_(std::move(title)) {}
    virtual ~FormatRules() = default;

    // OpenImageIO's name for the format ("png") and the one people know
    // it by ("PNG").
    const std::string &name() const { return name_; }
    const std::string &title() const { return title_; }

    // ---- Reading -------------------------------------------------------

    // What the file itself says its fourth channel is where the reader does
    // not (Targa's alpha type); -1: nothing beyond the reader's word.
    virtual int alphaType(const std::filesystem::path &) const { return -1; }
    // Whether a fourth channel of that alpha type is alpha at all, and
    // whether it is premultiplied; nothing where the reader's label holds.
    virtual bool alphaTypeIsAlpha(int) const { return true; }
    virtual std::optional<frame::AlphaForm> alphaTypeForm(int) const { return std::nullopt; }
    // Whether the reader must not premultiply straight colour itself (it
    // premultiplies some pixels twice): it is done after reading instead.
    virtual bool premultiplyAfterReading() const { return false; }
    // Damage its reader passes over without an error (a truncated JPEG is
    // decoded with its missing rows grey).
    virtual std::optional<std::string> damage(const std::filesystem::path &) const { return std::nullopt; }
    // Why the reader must not be asked for the pixels of a file whose first
    // subimage is `first`, with its colour converted to RGB (`converting`)
    // or as stored: a file that would take the reader down with it.
    virtual std::optional<std::string> readHazard(const OIIO::ImageSpec & /*first*/, bool /*converting*/) const {
        return std::nullopt;
    }

    // ---- What its files hold -------------------------------------------

    virtual AlphaLabels alphaLabels() const { return AlphaLabels::straightOnly; }
    // Files with any number of named channels, kept as they are.
    virtual bool holdsAnyChannels() const { return false; }
    // A type for each channel rather than one for all.
    virtual bool typePerChannel() const { return false; }
    // CMYK and CIELAB kept as they are, not converted to RGB.
    virtual bool keepsColourModels() const { return false; }
    // Its writer is handed the encoding in memory and its bytes written
    // here: its library misses write errors or ends the program on them.
    virtual bool encodedInMemory() const { return false; }
    // How many bytes past the end of the samples it is handed its writer
    // may read: the samples are handed over with that much to spare.
    virtual std::size_t readsPastSamples(const OIIO::ImageSpec &) const { return 0; }
    // The sample type to ask the writer for, for samples stored as
    // `stored`, when a file of another format is converted to this one.
    virtual OIIO::TypeDesc typeFor(OIIO::TypeDesc stored) const { return stored; }
    // The sample types `-d` may ask for (empty: any of uint8, uint16,
    // half and float).
    virtual std::vector<std::string_view> sampleTypes() const { return {}; }
    // The largest width and height it holds.
    virtual int largestSide() const { return 1 << 30; }

    // ---- What may be asked of its writer -------------------------------

    // Why no file of this format is written at all, and what to write
    // instead; nothing where its files can be written.
    virtual std::optional<std::string> refusal(const std::filesystem::path & /*output*/) const { return std::nullopt; }
    // Why a picture of this shape cannot be written in it, or not so
    // encoded (a channel count it has no layout for, a compression it
    // offers only for some pictures); nothing where it can.
    virtual std::optional<std::string> shapeProblem(const OutputShape &, const Encoding &,
                                                    const std::filesystem::path & /*output*/) const {
        return std::nullopt;
    }
    // The compressions `--compression` may name, as its writer honours
    // them; why `asked` is none of them or its level is out of range.
    virtual std::vector<CompressionEntry> compressions() const { return {}; }
    std::optional<std::string> compressionProblem(const CompressionAsked &asked) const;
    // Whether a file so compressed differs from the pixels it was given,
    // for a picture of that shape.
    virtual bool lossy(const CompressionAsked &, const OutputShape &) const { return false; }
    // Whether `--quality` means anything for that compression (a quality
    // or a lossy level), and the compression a quality goes with where
    // none is named (empty: none does).
    virtual bool takesQuality(const CompressionAsked &) const { return false; }
    virtual std::string qualityCompression(const std::filesystem::path &) const { return ""; }
    // The lossless compression a lossy one as stored gives way to.
    virtual std::string losslessCompression() const { return "none"; }
    // What every file written loses of the picture it is handed, whatever
    // it is (a lossy format), for the notice; empty where nothing is lost.
    virtual std::string losses(const OutputShape &, const Encoding &) const { return ""; }

    // ---- Hooks into the write ------------------------------------------

    // The quality to write a lossy file at where none is asked for; the
    // notice when the input cannot tell it.
    virtual int defaultQuality(const detail::StoredParts &, Notices &) const { return 0; }
    // The description the writer is handed, as this format's writer needs
    // it, once the encoding is resolved (the "compression" attribute holds
    // what is asked, or as stored).
    virtual void adjustSpec(OIIO::ImageSpec &, const std::filesystem::path & /*output*/, bool /*sameFormat*/) const {}
    // Whether values below 0 are clipped before they are handed over: its
    // writer garbles them.
    virtual bool clipsNegatives() const { return false; }
    // What to change in the file after its writer is done, for what the
    // writer cannot say itself; `levelsRead` are the descriptions of every
    // level written, as read. Notices for what it could not keep.
    virtual AfterWriting afterWriting(const detail::StoredParts &, const std::vector<OIIO::ImageSpec> & /*levelsRead*/,
                                      Notices &) const {
        return {};
    }
    // Whether the writer keeps a fourth channel that is no alpha labelled
    // as it was read (Targa's alpha types).
    virtual bool keepsAlphaType() const { return false; }

private:
    std::string name_;
    std::string title_;
};

// The rules of the format OpenImageIO calls `format`; a format without
// rules of its own gets plain ones titled by its name.
const FormatRules &rulesFor(std::string_view format);

// Whether an attribute describes another format's storage ("png:" for a
// TIFF file), which a file of `format` does not carry.
bool anotherFormatsAttribute(std::string_view attribute, std::string_view format);

}  // namespace tavi::host::files
