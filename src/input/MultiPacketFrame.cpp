#include "input/MultiPacketFrame.h"

namespace touchlane {

PacketKind classifyPacket(uint8_t countByte, size_t slotCount) {
    if (countByte == 0) return PacketKind::continuation;
    if (countByte <= slotCount) return PacketKind::singleFrame;
    return PacketKind::firstPacket;
}

namespace {

std::shared_ptr<MultiTouchModel> makeFrame(uint8_t count, TouchPointList contacts) {
    auto frame = std::make_shared<MultiTouchModel>();
    frame->count = count;
    frame->touchDataArray = std::move(contacts);
    return frame;
}

}  // namespace

MultiPacketFrameAssembler::Outcome MultiPacketFrameAssembler::accept(uint8_t countByte, size_t slotCount,
                                                                     TouchPointList contacts) {
    switch (classifyPacket(countByte, slotCount)) {
        case PacketKind::continuation:
            return continueFrame(std::move(contacts));
        case PacketKind::singleFrame: {
            // The frame counts the contacts it really holds, not what the byte says.
            auto count = static_cast<uint8_t>(contacts.size());
            return {Step::single, makeFrame(count, std::move(contacts))};
        }
        case PacketKind::firstPacket:
            oncompletedModel_ = makeFrame(countByte, std::move(contacts));
            return {Step::started, nullptr};
    }
    return {Step::ignored, nullptr};
}

MultiPacketFrameAssembler::Outcome MultiPacketFrameAssembler::continueFrame(TouchPointList contacts) {
    if (!oncompletedModel_) return {Step::ignored, nullptr};
    auto& collected = *oncompletedModel_->touchDataArray;
    if (collected.size() > oncompletedModel_->count) return {Step::collecting, nullptr};
    collected.insert(collected.end(), contacts.begin(), contacts.end());
    if (collected.size() != oncompletedModel_->count) return {Step::collecting, nullptr};
    auto frame = oncompletedModel_->copy();
    oncompletedModel_.reset();
    return {Step::completed, frame};
}

void MultiPacketFrameAssembler::reset() { oncompletedModel_.reset(); }

}  // namespace touchlane
