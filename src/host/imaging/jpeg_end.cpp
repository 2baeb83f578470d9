#include "host/imaging/jpeg_end.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace tavi::host {

bool jpegIsWhole(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 2;  // past the start-of-image marker
    while (at + 1 < bytes.size()) {
        if (bytes[at] != 0xFF) return false;
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xD9) return true;  // end of image
        if (marker == 0xFF) {             // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            at += 2;
            continue;
        }
        if (at + 3 >= bytes.size()) return false;
        at += 2 + (std::size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
        if (marker != 0xDA) continue;
        // Entropy-coded data after a start of scan, up to the next marker
        // (0xFF 0x00 is a stuffed byte, 0xFF 0xD0-0xD7 a restart).
        while (at + 1 < bytes.size() &&
               !(bytes[at] == 0xFF && bytes[at + 1] != 0x00 && !(bytes[at + 1] >= 0xD0 && bytes[at + 1] <= 0xD7)))
            ++at;
    }
    return false;
}

}  // namespace tavi::host
