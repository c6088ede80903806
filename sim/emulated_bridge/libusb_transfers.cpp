// Transfers to and from the emulated bridges, asynchronous and synchronous, and the event
// handling that completes them.
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "emulated_bridge/libusb_emulation.h"

namespace ts::emulated {
namespace {

Time Deadline(unsigned int timeoutMs) {
    return timeoutMs == 0 ? Time::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Queues a transfer on its bridge; the bus lock is held.
int Submit(Bus& bus, libusb_transfer* transfer) {
    TransferState& state = StateOf(transfer);
    if (state.inFlight) return LIBUSB_ERROR_BUSY;
    libusb_device_handle* handle = transfer->dev_handle;
    if (handle == nullptr || transfer->length < 0) return LIBUSB_ERROR_INVALID_PARAM;
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    Bridge& bridge = *handle->device->bridge;
    state.bridge = &bridge;
    state.context = handle->device->context;
    state.syncDone = false;
    state.in = InRequest{transfer->buffer, transfer->length, 0, Deadline(transfer->timeout), 0};

    switch (transfer->type) {
        case LIBUSB_TRANSFER_TYPE_BULK:
            if (bridge.claimedBy != nullptr && bridge.claimedBy != handle) return LIBUSB_ERROR_BUSY;
            if (transfer->endpoint == kEndpointIn) {
                bus.Advance(bridge);
                state.inFlight = true;
                bridge.pending.push_back(&state.in);
                bus.changed.notify_all();
                return 0;
            }
            if (transfer->endpoint == kEndpointOut) {
                // The instrument listens to nothing; the bytes go out all the same.
                state.inFlight = true;
                state.in.actual = transfer->length;
                bus.Finish(transfer, LIBUSB_TRANSFER_COMPLETED);
                return 0;
            }
            return LIBUSB_ERROR_NOT_FOUND;
        case LIBUSB_TRANSFER_TYPE_CONTROL: {
            if (transfer->length < static_cast<int>(LIBUSB_CONTROL_SETUP_SIZE))
                return LIBUSB_ERROR_INVALID_PARAM;
            const libusb_control_setup* setup = libusb_control_transfer_get_setup(transfer);
            const ControlRequest request{
                setup->bmRequestType, setup->bRequest, libusb_le16_to_cpu(setup->wValue),
                libusb_le16_to_cpu(setup->wIndex), libusb_le16_to_cpu(setup->wLength)};
            const int result =
                Control(bus, handle, request, libusb_control_transfer_get_data(transfer));
            state.inFlight = true;
            state.in.actual = result < 0 ? 0 : result;
            bus.Finish(transfer, result == LIBUSB_ERROR_NO_DEVICE ? LIBUSB_TRANSFER_NO_DEVICE
                                 : result < 0                     ? LIBUSB_TRANSFER_STALL
                                                                  : LIBUSB_TRANSFER_COMPLETED);
            return 0;
        }
        default:
            return LIBUSB_ERROR_NOT_SUPPORTED;
    }
}

int SyncStatusToError(int status) {
    switch (status) {
        case LIBUSB_TRANSFER_COMPLETED:
            return 0;
        case LIBUSB_TRANSFER_TIMED_OUT:
            return LIBUSB_ERROR_TIMEOUT;
        case LIBUSB_TRANSFER_STALL:
            return LIBUSB_ERROR_PIPE;
        case LIBUSB_TRANSFER_OVERFLOW:
            return LIBUSB_ERROR_OVERFLOW;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return LIBUSB_ERROR_NO_DEVICE;
        default:
            return LIBUSB_ERROR_IO;
    }
}

int HandleEvents(libusb_context* context, std::chrono::microseconds wait, int* completed) {
    Bus& bus = Bus::Get();
    bus.TakeStall();
    std::deque<libusb_transfer*> ready;
    {
        std::unique_lock lock(bus.mutex);
        context = Resolve(context);
        bus.changed.wait_until(lock, Clock::now() + wait, [&] {
            return (completed != nullptr && *completed != 0) || !context->completions.empty() ||
                   context->interrupted;
        });
        context->interrupted = false;
        ready.swap(context->completions);
    }
    // Callbacks run without the lock: they resubmit, and may free their transfer.
    for (libusb_transfer* transfer : ready) {
        const bool freeAfter = (transfer->flags & LIBUSB_TRANSFER_FREE_TRANSFER) != 0;
        if (transfer->callback != nullptr) transfer->callback(transfer);
        if (freeAfter) libusb_free_transfer(transfer);
    }
    return 0;
}

std::chrono::microseconds FromTimeval(const timeval* tv) {
    if (tv == nullptr) return kHandleEventsDefault;
    return std::chrono::seconds(tv->tv_sec) + std::chrono::microseconds(tv->tv_usec);
}

}  // namespace

// Takes an in-flight transfer off its bridge and finishes it with `status`; lock held.
void Withdraw(Bus& bus, libusb_transfer* transfer, int status) {
    TransferState& state = StateOf(transfer);
    if (state.bridge != nullptr) {
        std::erase(state.bridge->pending, &state.in);
    }
    bus.Finish(transfer, status);
}

}  // namespace ts::emulated

using namespace ts::emulated;

extern "C" {

libusb_transfer* LIBUSB_CALL libusb_alloc_transfer(int isoPackets) {
    return isoPackets < 0 ? nullptr : NewTransfer(isoPackets);
}

void LIBUSB_CALL libusb_free_transfer(libusb_transfer* transfer) {
    if (transfer == nullptr) return;
    {
        Bus& bus = Bus::Get();
        const std::lock_guard lock(bus.mutex);
        TransferState& state = StateOf(transfer);
        if (state.inFlight) {
            std::fprintf(stderr, "emulated bridge: a transfer in flight was freed\n");
            if (state.bridge != nullptr) {
                ++state.bridge->hostMisuses;
                std::erase(state.bridge->pending, &state.in);
            }
        }
        if (state.context != nullptr) std::erase(state.context->completions, transfer);
    }
    if ((transfer->flags & LIBUSB_TRANSFER_FREE_BUFFER) != 0) std::free(transfer->buffer);
    DeleteTransfer(transfer);
}

int LIBUSB_CALL libusb_submit_transfer(libusb_transfer* transfer) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    return Submit(bus, transfer);
}

int LIBUSB_CALL libusb_cancel_transfer(libusb_transfer* transfer) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    TransferState& state = StateOf(transfer);
    // What became due before the cancel arrived completes normally.
    if (state.inFlight && state.bridge != nullptr) bus.Advance(*state.bridge);
    if (!state.inFlight) return LIBUSB_ERROR_NOT_FOUND;
    Withdraw(bus, transfer, LIBUSB_TRANSFER_CANCELLED);
    return 0;
}

int LIBUSB_CALL libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint,
                                     unsigned char* data, int length, int* transferred,
                                     unsigned int timeout) {
    Bus& bus = Bus::Get();
    bus.TakeStall();
    libusb_transfer* transfer = NewTransfer(0);
    libusb_fill_bulk_transfer(transfer, handle, endpoint, data, length, nullptr, nullptr, timeout);
    TransferState& state = StateOf(transfer);
    state.sync = true;
    int result = 0;
    {
        std::unique_lock lock(bus.mutex);
        result = Submit(bus, transfer);
        if (result == 0) bus.changed.wait(lock, [&] { return state.syncDone; });
    }
    if (result == 0) {
        if (transferred != nullptr) *transferred = transfer->actual_length;
        result = SyncStatusToError(transfer->status);
    }
    DeleteTransfer(transfer);
    return result;
}

int LIBUSB_CALL libusb_handle_events_timeout_completed(libusb_context* context, timeval* tv,
                                                       int* completed) {
    return HandleEvents(context, FromTimeval(tv), completed);
}

int LIBUSB_CALL libusb_handle_events_timeout(libusb_context* context, timeval* tv) {
    return HandleEvents(context, FromTimeval(tv), nullptr);
}

int LIBUSB_CALL libusb_handle_events_completed(libusb_context* context, int* completed) {
    return HandleEvents(context, kHandleEventsDefault, completed);
}

int LIBUSB_CALL libusb_handle_events(libusb_context* context) {
    return HandleEvents(context, kHandleEventsDefault, nullptr);
}

void LIBUSB_CALL libusb_interrupt_event_handler(libusb_context* context) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    Resolve(context)->interrupted = true;
    bus.changed.notify_all();
}

}  // extern "C"
