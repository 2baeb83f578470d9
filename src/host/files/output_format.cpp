#include "host/files/output_format.h"

#include "host/files/stored_image.h"

#include <algorithm>
#include <vector>

namespace tavi::host::files {

AlphaLabels alphaLabelsOf(std::string_view format) {
    if (format == "openexr") return AlphaLabels::associatedOnly;
    if (format == "tiff") return AlphaLabels::either;
    return AlphaLabels::straightOnly;
}

namespace {

using OIIO::TypeDesc;

bool isFloat(TypeDesc type) { return type.basetype == TypeDesc::HALF || type.is_floating_point(); }

// Significant bits of an integer type, sign not counted.
int integerBits(TypeDesc type) { return int(type.size() * 8) - (type.is_signed() ? 1 : 0); }

}  // namespace

TypeDesc typeToWrite(std::string_view format, TypeDesc stored) {
    const bool integer = !isFloat(stored);
    if (format == "png") return stored == TypeDesc::UINT8 ? TypeDesc::UINT8 : TypeDesc::UINT16;
    if (format == "openexr") {
        // Half holds every 8-bit value as a fraction that rounds back to
        // it; wider integers need float, 32-bit ones stay integers.
        if (stored == TypeDesc::HALF || stored == TypeDesc::FLOAT || stored == TypeDesc::UINT32) return stored;
        if (integer && integerBits(stored) <= 8) return TypeDesc::HALF;
        return TypeDesc::FLOAT;
    }
    // Other writers take what they can and pick the nearest they have.
    return stored;
}

bool holdsEveryValue(TypeDesc to, TypeDesc from) {
    if (to == from) return true;
    if (isFloat(from)) {
        if (!isFloat(to)) return false;
        return to.size() >= from.size();  // half < float < double
    }
    if (isFloat(to)) {
        // An integer's values as fractions round back from a float with a
        // few bits to spare: half (11 significant bits) holds 8-bit values,
        // float (24) 16-bit ones, double (53) 32-bit ones.
        const int significant = to.basetype == TypeDesc::HALF ? 11 : to == TypeDesc::FLOAT ? 24 : 53;
        return integerBits(from) <= significant - 3;
    }
    // Integers stand for fractions of their largest value: a wider type
    // holds a narrower one's values exactly only if unsigned to unsigned.
    return !from.is_signed() && !to.is_signed() && to.size() >= from.size();
}

std::string typeWords(TypeDesc type) {
    if (type.basetype == TypeDesc::HALF) return "half float";
    if (type == TypeDesc::FLOAT) return "32-bit float";
    if (type == TypeDesc::DOUBLE) return "64-bit float";
    return std::to_string(type.size() * 8) + "-bit " + (type.is_signed() ? "signed " : "") + "integer";
}

bool isLossy(std::string_view format, std::string_view compression, bool floats) {
    const std::string_view name = compression.substr(0, compression.find(':'));
    if (format == "openexr")
        return name == "b44" || name == "b44a" || name == "dwaa" || name == "dwab" || (name == "pxr24" && floats);
    if (format == "tiff") return name == "jpeg" || name == "ojpeg" || name == "webp" || name == "jxl" || name == "lerc";
    return false;
}

std::string losslessFor(std::string_view format) { return format == "openexr" || format == "tiff" ? "zip" : "none"; }

namespace {

struct FormatEncodings {
    std::string_view format;
    std::vector<std::string_view> types;         // empty: any the writer takes
    std::vector<std::string_view> compressions;  // empty: any name OpenImageIO passes on
    std::vector<std::string_view> lossy;         // compressions a quality applies to
};

const FormatEncodings *encodingsOf(std::string_view format) {
    static const FormatEncodings known[] = {
        {"png", {"uint8", "uint16"}, {"zip", "deflate", "none"}, {}},
        {"jpeg", {"uint8"}, {"jpeg"}, {"jpeg"}},
        {"targa", {"uint8"}, {"none", "rle"}, {}},
        {"bmp", {"uint8"}, {"none", "rle4", "rle8"}, {}},
        {"tiff", {"uint8", "uint16", "float"}, {"none", "lzw", "zip", "deflate", "packbits", "jpeg"}, {"jpeg"}},
        {"openexr",
         {"half", "float"},
         {"none", "rle", "zips", "zip", "piz", "pxr24", "b44", "b44a", "dwaa", "dwab"},
         {"dwaa", "dwab"}},
        {"webp", {"uint8"}, {}, {"webp"}},
    };
    for (const FormatEncodings &entry : known)
        if (entry.format == format) return &entry;
    return nullptr;
}

std::string listed(const std::vector<std::string_view> &names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += std::string(i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + std::string(names[i]);
    return text;
}

bool contains(const std::vector<std::string_view> &names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<std::string> encodingProblem(const OutputFormat &format, const Encoding &encoding) {
    static const std::vector<std::string_view> kTypes = {"uint8", "uint16", "half", "float"};
    const FormatEncodings *known = encodingsOf(format.name);
    const std::string title = formatTitle(format.name);
    if (!encoding.sampleType.empty()) {
        if (!contains(kTypes, encoding.sampleType))
            return "-d " + encoding.sampleType + " is no sample type (" + listed(kTypes) + ")";
        if (known && !known->types.empty() && !contains(known->types, encoding.sampleType))
            return title + " files hold " + listed(known->types) + " samples, not " + encoding.sampleType;
    }
    const std::string name = encoding.compression.substr(0, encoding.compression.find(':'));
    if (!encoding.compression.empty()) {
        if (known && !known->compressions.empty() && !contains(known->compressions, name))
            return title + " files have no compression " + name + " (" + listed(known->compressions) + ")";
        if (const std::size_t colon = encoding.compression.find(':'); colon != std::string::npos) {
            const std::string level = encoding.compression.substr(colon + 1);
            if (level.empty() || level.size() > 3 || level.find_first_not_of("0123456789") != std::string::npos)
                return "the compression level in " + encoding.compression + " is no whole number";
        }
    }
    if (encoding.quality != 0) {
        if (encoding.quality < 1 || encoding.quality > 100) return "--quality takes 1 to 100";
        const std::string lossy = name.empty() ? format.name : name;
        if (!known || !contains(known->lossy, lossy))
            return "--quality applies to lossy compression, and " + title + " files are written losslessly" +
                   (known && !known->lossy.empty() ? " unless --compression names " + listed(known->lossy) : "");
    }
    return std::nullopt;
}

IoResult<OutputFormat> outputFormatFor(const std::filesystem::path &path) {
    auto writer = writerFor(path);
    if (!writer) return IoResult<OutputFormat>::failure(writer.error());
    OutputFormat format;
    format.name = writer.value()->format_name();
    format.associatedOnly = alphaLabelsOf(format.name) == AlphaLabels::associatedOnly;
    format.keepsColourModels = format.name == "tiff";
    return format;
}

}  // namespace tavi::host::files
