// A Targa version 2 file's extension area: its alpha type and its postage
// stamp. The alpha type says what the fourth channel is: 0 no alpha, 1
// data to ignore, 2 data to keep, 3 alpha, 4 premultiplied alpha. Files
// without an extension area hold straight alpha.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavi::host::files {

// The alpha type a Targa file's extension area gives, or -1 when it has
// none (or the file cannot be read: the reader says why).
int targaAlphaType(const std::filesystem::path &file);

inline bool targaHasAlpha(int alphaType) { return alphaType < 0 || alphaType == 3 || alphaType == 4; }
inline bool targaPremultiplied(int alphaType) { return alphaType == 4; }

// Sets the alpha type in an encoded Targa file; returns the problem.
std::optional<std::string> setTargaAlphaType(std::vector<unsigned char> &encoded, int alphaType);

// Gives an encoded Targa file the source file's postage stamp, byte for
// byte, where both have one of the same size: the writer stores the
// stamp's channels in another order than the reader hands them over.
void copyTargaPostageStamp(std::span<const unsigned char> source, std::vector<unsigned char> &encoded);

}  // namespace tavi::host::files
