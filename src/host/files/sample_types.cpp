#include "host/files/sample_types.h"

#include <utility>

namespace tavi::host::files {

using OIIO::TypeDesc;

namespace {

// Significant bits of an integer type, sign not counted.
int integerBits(TypeDesc type) { return int(type.size() * 8) - (type.is_signed() ? 1 : 0); }

}  // namespace

bool isFloat(TypeDesc type) { return type.basetype == TypeDesc::HALF || type.is_floating_point(); }

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

TypeDesc widest(const std::vector<TypeDesc> &types) {
    TypeDesc best = types.front();
    for (TypeDesc type : types)
        if (std::make_pair(isFloat(type), type.size()) > std::make_pair(isFloat(best), best.size())) best = type;
    return best;
}

std::string typeWords(TypeDesc type) {
    if (type.basetype == TypeDesc::HALF) return "half float";
    if (type == TypeDesc::FLOAT) return "32-bit float";
    if (type == TypeDesc::DOUBLE) return "64-bit float";
    return std::to_string(type.size() * 8) + "-bit " + (type.is_signed() ? "signed " : "") + "integer";
}

}  // namespace tavi::host::files
