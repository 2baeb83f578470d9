#include "support/png_maker.h"

#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tavi::test {

namespace {

std::uint32_t crc32(const std::string &bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t adler32(const std::string &bytes) {
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void putBigEndian(std::string &out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += char((value >> shift) & 0xFF);
}

void putChunk(std::string &out, const std::string &type, const std::string &data) {
    putBigEndian(out, std::uint32_t(data.size()));
    const std::string body = type + data;
    out += body;
    putBigEndian(out, crc32(body));
}

std::string header(std::uint32_t width, std::uint32_t height, int bitDepth, PngColour colour) {
    std::string ihdr;
    putBigEndian(ihdr, width);
    putBigEndian(ihdr, height);
    ihdr += char(bitDepth);
    ihdr += char(colour);
    ihdr += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
    return ihdr;
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(const std::string &raw) {
    std::string out("\x78\x01", 2);
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + length == raw.size();
        out += char(last ? 1 : 0);
        out += char(length & 0xFF);
        out += char(length >> 8);
        out += char(~length & 0xFF);
        out += char((~length >> 8) & 0xFF);
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    putBigEndian(out, adler32(raw));
    return out;
}

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

}  // namespace

int channelsOf(PngColour colour) {
    switch (colour) {
    case PngColour::Grey: return 1;
    case PngColour::GreyAlpha: return 2;
    case PngColour::Rgb: return 3;
    case PngColour::Rgba: return 4;
    }
    return 0;
}

std::string encodePng(const PngPicture &picture) {
    const std::size_t rowSamples = std::size_t(picture.width) * channelsOf(picture.colour);
    if (picture.samples.size() != rowSamples * std::size_t(picture.height))
        throw std::invalid_argument("encodePng: sample count does not match the size");
    std::string raw;
    for (int y = 0; y < picture.height; ++y) {
        raw += '\0';  // filter: none
        for (std::size_t i = 0; i < rowSamples; ++i) {
            const std::uint16_t v = picture.samples[std::size_t(y) * rowSamples + i];
            if (picture.bitDepth == 16) raw += char(v >> 8);
            raw += char(v & 0xFF);
        }
    }
    std::string file = kSignature;
    putChunk(file, "IHDR",
             header(std::uint32_t(picture.width), std::uint32_t(picture.height), picture.bitDepth, picture.colour));
    for (const auto &[keyword, text] : picture.text) putChunk(file, "tEXt", keyword + '\0' + text);
    putChunk(file, "IDAT", zlibStored(raw));
    putChunk(file, "IEND", "");
    return file;
}

std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    std::string file = kSignature;
    putChunk(file, "IHDR", header(width, height, 8, PngColour::Rgba));
    putChunk(file, "IDAT", zlibStored(std::string(16, '\0')));
    putChunk(file, "IEND", "");
    return file;
}

PngHeader readPngHeader(const std::filesystem::path &path) {
    const std::string bytes = readBytes(path);
    if (bytes.size() < 33 || bytes.compare(0, 8, kSignature) != 0 || bytes.compare(12, 4, "IHDR") != 0)
        throw std::runtime_error(path.string() + " is not a PNG file");
    auto word = [&](std::size_t at) {
        return std::uint32_t((unsigned char)bytes[at]) << 24 | std::uint32_t((unsigned char)bytes[at + 1]) << 16 |
               std::uint32_t((unsigned char)bytes[at + 2]) << 8 | std::uint32_t((unsigned char)bytes[at + 3]);
    };
    return {word(16), word(20), (unsigned char)bytes[24], PngColour((unsigned char)bytes[25])};
}

void writeBytes(const std::filesystem::path &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readBytes(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tavi::test
