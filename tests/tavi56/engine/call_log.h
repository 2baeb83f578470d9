// Recorders for what the engine calls: the instance's accessor slots, and
// the blend routines the scan hands its steps to.
#pragma once

#include <array>
#include <ostream>
#include <vector>

#include "engine/scan.h"
#include "filter/instance.h"

namespace tavi::test {

enum class Slot {
    readSrc,
    readDst,
    writeDst,
    readSrcA,
    readDstA,
    writeDstA
};

struct SlotCall {
    Slot slot;
    const FrameAccess *frame;  // writers only
    int x;
    int y;
    PixelQuad quad;  // as the reader filled it or the writer got it
};

// Puts recording wrappers into the six slots of an instance, each passing
// the call on to what was bound before; puts the bound ones back when it
// goes. One log at a time.
class SlotLog {
public:
    explicit SlotLog(FilterInstance *inst) : inst_(inst) {
        active_ = this;
        bound_ = {inst->readSrc, inst->readDst, inst->readSrcA, inst->readDstA};
        boundWriters_ = {inst->writeDst, inst->writeDstA};
        inst->readSrc = &recordRead<Slot::readSrc, 0>;
        inst->readDst = &recordRead<Slot::readDst, 1>;
        inst->readSrcA = &recordRead<Slot::readSrcA, 2>;
        inst->readDstA = &recordRead<Slot::readDstA, 3>;
        inst->writeDst = &recordWrite<Slot::writeDst, 0>;
        inst->writeDstA = &recordWrite<Slot::writeDstA, 1>;
    }
    ~SlotLog() {
        inst_->readSrc = bound_[0];
        inst_->readDst = bound_[1];
        inst_->readSrcA = bound_[2];
        inst_->readDstA = bound_[3];
        inst_->writeDst = boundWriters_[0];
        inst_->writeDstA = boundWriters_[1];
        active_ = nullptr;
    }
    SlotLog(const SlotLog &) = delete;
    SlotLog &operator=(const SlotLog &) = delete;

    const std::vector<SlotCall> &calls() const { return calls_; }
    std::vector<SlotCall> callsTo(Slot slot) const {
        std::vector<SlotCall> picked;
        for (const SlotCall &c : calls_)
            if (c.slot == slot) picked.push_back(c);
        return picked;
    }
    void clear() { calls_.clear(); }

private:
    template <Slot S, int I>
    static void recordRead(FilterInstance *inst, int x, int y, PixelQuad *quad) {
        active_->bound_[I](inst, x, y, quad);
        active_->calls_.push_back({S, nullptr, x, y, *quad});
    }
    template <Slot S, int I>
    static void recordWrite(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad) {
        active_->calls_.push_back({S, frame, x, y, *quad});
        active_->boundWriters_[I](frame, inst, x, y, quad);
    }

    static inline SlotLog *active_ = nullptr;
    FilterInstance *inst_;
    std::array<PixelReader, 4> bound_{};
    std::array<PixelWriter, 2> boundWriters_{};
    std::vector<SlotCall> calls_;
};

struct BlendCall {
    int pass;  // 1 to 4
    bool alpha;
    int runStart;
    int stepAt;
    int runEnd;
    int line;
    const FrameAccess *frame = nullptr;
    bool operator==(const BlendCall &o) const {
        return pass == o.pass && alpha == o.alpha && runStart == o.runStart && stepAt == o.stepAt &&
               runEnd == o.runEnd && line == o.line;
    }
};

inline std::ostream &operator<<(std::ostream &os, const BlendCall &c) {
    return os << "smooth" << c.pass << (c.alpha ? "_a" : "") << "(" << c.runStart << ", " << c.stepAt << ", "
              << c.runEnd << ", line " << c.line << ")";
}

// Blend routines that only note the calls the scan makes.
class BlendLog {
public:
    BlendLog() { active_ = this; }
    ~BlendLog() { active_ = nullptr; }
    BlendLog(const BlendLog &) = delete;
    BlendLog &operator=(const BlendLog &) = delete;

    const BlendRoutines &routines() const { return kRecorders; }
    const std::vector<BlendCall> &calls() const { return calls_; }

private:
    template <int Pass, bool Alpha>
    static int record(const FrameAccess *frame, FilterInstance *, int runStart, int stepAt, int runEnd, int line) {
        active_->calls_.push_back({Pass, Alpha, runStart, stepAt, runEnd, line, frame});
        return 0;
    }
    static constexpr BlendRoutines kRecorders{
        {record<1, false>, record<2, false>, record<3, false>, record<4, false>},
        {record<1, true>, record<2, true>, record<3, true>, record<4, true>},
    };
    static inline BlendLog *active_ = nullptr;
    std::vector<BlendCall> calls_;
};

}  // namespace tavi::test
