#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "input/TouchModels.h"

namespace touchlane {

// What a multi-touch packet is, told by its contact count byte K and the
// number of contact slots L of its format.
enum class PacketKind {
    continuation,  // K = 0: more contacts of the frame being assembled
    singleFrame,   // 1 <= K <= L: a whole frame in one packet
    firstPacket,   // K > L: opens a frame of K contacts spread over several packets
};
PacketKind classifyPacket(uint8_t countByte, size_t slotCount);

// Assembles frames that the device splits over several packets. One partial
// frame at most, shared by both multi-touch formats:
//
//   no partial frame  + continuation          -> nothing
//   no partial frame  + single frame          -> the frame
//   any               + first packet (K)      -> assembling (K), earlier frame dropped
//   assembling (K)    + continuation, total K -> copy of the frame, no partial frame
//   assembling (K)    + continuation, else    -> keeps assembling
//   assembling (K)    + single frame          -> the frame, partial frame untouched
//   any               + reset                 -> no partial frame
//
// A frame completes only when the contacts collected equal the announced total
// exactly. One that has collected more can never complete; it stops taking
// contacts, so a device that keeps sending continuations cannot grow it.
class MultiPacketFrameAssembler {
public:
    enum class Step {
        ignored,    // continuation without a partial frame
        single,     // `frame` is a whole single-packet frame
        started,    // a first packet opened a new partial frame
        collecting, // a continuation was taken, the frame is not complete
        completed,  // `frame` is a copy of the completed frame
    };
    struct Outcome {
        Step step;
        std::shared_ptr<MultiTouchModel> frame;  // set for single and completed
    };

    Outcome accept(uint8_t countByte, size_t slotCount, TouchPointList contacts);
    void reset();
    std::shared_ptr<const MultiTouchModel> partialFrame() const { return oncompletedModel_; }

private:
    Outcome continueFrame(TouchPointList contacts);

    std::shared_ptr<MultiTouchModel> oncompletedModel_;
};

}  // namespace touchlane
