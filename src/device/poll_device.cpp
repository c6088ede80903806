#include <algorithm>
#include <cstring>

#include "base/texts.h"
#include "device/frame_check.h"
#include "device/instrument_link.h"

namespace ts {

void InstrumentLink::Poll() {
    if (state_.DeviceHandle == 0) return;
    std::uint32_t waiting = 0;
    if (driver_.GetStatus(state_.DeviceHandle, waiting) != kFtOk || waiting == 0) return;

    // The start of a frame cut by the last read waits at the front of the
    // buffer; only what fits behind it is read, the rest stays queued.
    std::uint8_t* const buffer = state_.ReceiveBuffer.data();
    const std::size_t room = kReceiveBufferSize - state_.TailLength;
    const auto toRead = static_cast<std::uint32_t>(std::min<std::size_t>(waiting, room));
    std::uint32_t received = 0;
    if (driver_.Read(state_.DeviceHandle, buffer + state_.TailLength, toRead, received) != kFtOk) {
        return;
    }
    // Only bytes this read returned are new; whatever else the buffer holds is stale.
    const std::size_t length = state_.TailLength + std::min(received, toRead);

    std::size_t p = 0;
    while (true) {
        const std::size_t start = FindFrame(buffer, length, p);
        // The bytes left behind for the next read are not counted until a
        // later scan passes over them.
        statistics_.CountSkipped(buffer + p, start - p);
        p = start;
        if (p + kFrameSize > length) break;
        statistics_.CountFrame();
        DecodeFrame(buffer + p);
        // Any valid frame is data, whatever instrument sent it.
        state_.DataReceived = true;
        state_.SilentTicks = 0;
        p += kFrameSize;
    }
    state_.TailLength = length - p;
    std::memmove(buffer, buffer + p, state_.TailLength);
}

void InstrumentLink::DecodeFrame(const std::uint8_t* frame) {
    const int instrument = FrameInstrument(frame);
    state_.DeviceNumber = instrument;
    if (instrument == kWantedInstrument) {
        state_.WrongDeviceLatch = false;
        form_.Label_ErrDeviceNum.Visible = false;
        // In demonstration mode the instrument's samples are dropped; the
        // generator feeds the measurement instead.
        if (pass_) samples_->TakeSample(FrameSample(frame));
        return;
    }
    // A wrong instrument is reported once per episode; a frame of the right
    // one or a silence re-arms the latch.
    if (state_.WrongDeviceLatch) return;
    state_.WrongDeviceLatch = true;
    form_.Label_ErrDeviceNum.Visible = true;
    events_->WrongInstrument();
}

}  // namespace ts
