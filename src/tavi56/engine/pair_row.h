// The edge tests along a row, a word at a time.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "engine/difference_word.h"
#include "engine/direct_source.h"

namespace engine::direct {

// The difference test along a row of positions lo..hi: position p compares
// pixel (p, yA) with pixel (p + dx, yB), clamped to the frame like every
// other read. Words come from whole rows where both pixels of all 64 pairs
// lie in the frame, and pair by pair elsewhere (only a preview window that
// reaches past the frame, or a frame narrower than a word).
//
// Words are aligned on lo and kept once made, so the two row passes and
// the resumptions after each blend find them ready (on rows of up to
// kKeptWords words; further words are made afresh when asked for).
template <class View>
class PairRow {
public:
    using Group = typename View::Group;

    PairRow(const View &view, int yA, int yB, int dx, int limit, int lo, int hi)
        : view_(view), yA_(yA), yB_(yB), dx_(dx), limit_(limit), lo_(lo), hi_(hi), wholeLo_(std::max(0, -dx)),
          wholeHi_(view.width() - 1 - std::max(0, dx)) {
        for (int c = 0; c < Group::count; ++c) {
            rowA_[c] = view.row(c, yA);
            rowB_[c] = view.row(c, yB);
        }
    }

    // Word k: positions lo + 64k .. lo + 64k + 63 as bits, bit i for
    // lo + 64k + i; those past hi read as alike.
    std::uint64_t word(int k) const {
        const int base = lo_ + k * kWordBits;
        if (base < wholeLo_ || base + (kWordBits - 1) > wholeHi_) return bitsFrom(base);
        const std::uint64_t bits = wordAt(base);
        return base + (kWordBits - 1) > hi_ ? bits & spanBits(base, base, hi_) : bits;
    }

    // Word k, made once and kept for the next time it is asked for.
    std::uint64_t keptWord(int k) {
        if (k >= kKeptWords) return word(k);
        const std::uint64_t bit = std::uint64_t{1} << (k % kWordBits);
        std::uint64_t &made = made_[k / kWordBits];
        if ((made & bit) == 0) {
            kept_[k] = word(k);
            made |= bit;
        }
        return kept_[k];
    }

    // The first position from `p` (lo <= p <= hi) on that differs, or hi + 1.
    int nextFrom(int p) {
        int k = (p - lo_) / kWordBits;
        std::uint64_t bits = keptWord(k) & (~std::uint64_t{0} << ((p - lo_) % kWordBits));
        while (bits == 0) {
            ++k;
            if (k > (hi_ - lo_) / kWordBits) return hi_ + 1;
            bits = keptWord(k);
        }
        return lo_ + k * kWordBits + std::countr_zero(bits);
    }

    // The last position up to `p` (lo <= p <= hi) that differs, or lo - 1.
    int previousFrom(int p) {
        int k = (p - lo_) / kWordBits;
        const int offset = (p - lo_) % kWordBits;
        std::uint64_t bits = keptWord(k) & spanBits(0, 0, offset);
        while (bits == 0) {
            if (k == 0) return lo_ - 1;
            bits = keptWord(--k);
        }
        return lo_ + k * kWordBits + (kWordBits - 1) - std::countl_zero(bits);
    }

private:
    static constexpr int kKeptWords = 128;

    // Bit i for position base + i; positions outside lo..hi read as alike.
    std::uint64_t bitsFrom(int base) const {
        const int from = std::max(base, lo_);
        const int to = std::min(base + (kWordBits - 1), hi_);
        if (from > to) return 0;
        std::uint64_t bits;
        if (wholeHi_ - wholeLo_ + 1 >= kWordBits && from >= wholeLo_ && to <= wholeHi_) {
            // A word of whole-row pixels that covers from..to.
            const int start = std::clamp(base, wholeLo_, wholeHi_ - (kWordBits - 1));
            const std::uint64_t word = wordAt(start);
            bits = start <= base ? word >> (base - start) : word << (start - base);
        } else {
            bits = 0;
            for (int p = from; p <= to; ++p)
                if (differ(view_.pixel(p, yA_), view_.pixel(p + dx_, yB_), limit_))
                    bits |= std::uint64_t{1} << (p - base);
        }
        return bits & spanBits(base, from, to);
    }

    std::uint64_t wordAt(int start) const {
        const std::uint8_t *a[Group::count];
        const std::uint8_t *b[Group::count];
        for (int c = 0; c < Group::count; ++c) {
            a[c] = rowA_[c] + start;
            b[c] = rowB_[c] + start + dx_;
        }
        return differenceWord<Group>(a, b, limit_);
    }

    const View &view_;
    int yA_;
    int yB_;
    int dx_;
    int limit_;
    int lo_;
    int hi_;
    int wholeLo_;  // positions whose pair lies in the frame, unclamped
    int wholeHi_;
    const std::uint8_t *rowA_[Group::count];
    const std::uint8_t *rowB_[Group::count];
    std::uint64_t made_[kKeptWords / kWordBits] = {};
    std::uint64_t kept_[kKeptWords];
};

}  // namespace engine::direct
