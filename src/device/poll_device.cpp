#include <algorithm>
#include <cstring>

#include "app/station.h"
#include "app/texts.h"
#include "device/frame_check.h"

namespace ts {

void Station::PollDevice() {
    if (link.DeviceHandle == 0) return;
    std::uint32_t waiting = 0;
    if (driver.GetStatus(link.DeviceHandle, waiting) != kFtOk || waiting == 0) return;

    // The start of a frame cut by the last read waits at the front of the
    // buffer; only what fits behind it is read, the rest stays queued.
    std::uint8_t* const buffer = link.ReceiveBuffer.data();
    const std::size_t room = kReceiveBufferSize - link.TailLength;
    const auto toRead = static_cast<std::uint32_t>(std::min<std::size_t>(waiting, room));
    std::uint32_t received = 0;
    if (driver.Read(link.DeviceHandle, buffer + link.TailLength, toRead, received) != kFtOk) {
        return;
    }
    // Only bytes this read returned are new; whatever else the buffer holds is stale.
    const std::size_t length = link.TailLength + std::min(received, toRead);

    std::size_t p = 0;
    while (true) {
        const std::size_t start = FindFrame(buffer, length, p);
        // The bytes left behind for the next read are not counted until a
        // later scan passes over them.
        linkStatistics.CountSkipped(buffer + p, start - p);
        p = start;
        if (p + kFrameSize > length) break;
        linkStatistics.CountFrame();
        DecodeFrame(buffer + p);
        // Any valid frame is data, whatever instrument sent it.
        link.DataReceived = true;
        link.SilentTicks = 0;
        p += kFrameSize;
    }
    link.TailLength = length - p;
    std::memmove(buffer, buffer + p, link.TailLength);
}

void Station::DecodeFrame(const std::uint8_t* frame) {
    const int instrument = FrameInstrument(frame);
    link.DeviceNumber = instrument;
    if (instrument == kWantedInstrument) {
        link.WrongDeviceLatch = false;
        form.Label_ErrDeviceNum.Visible = false;
        // In demonstration mode the instrument's samples are dropped; the
        // generator feeds the pipeline instead.
        if (!demo.DemoMode) ProcessSample(FrameSample(frame));
        return;
    }
    // A wrong instrument is reported once per episode; a frame of the right
    // one or a silence re-arms the latch.
    if (link.WrongDeviceLatch) return;
    link.WrongDeviceLatch = true;
    form.Label_ErrDeviceNum.Visible = true;
    demo.DemoMode = false;
    form.M_Menu_Mode_Demo.Enabled = false;
    form.M_Menu_Mode.Caption = text::kMenuMode;
    ResetMeasurement();
}

}  // namespace ts
