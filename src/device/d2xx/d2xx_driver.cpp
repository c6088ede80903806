#include "device/d2xx/d2xx_driver.h"

#include <cstring>

#include "device/d2xx/d2xx_functions.h"
#include "platform/windows/system_folders.h"

namespace ts {

struct D2xxDriver::Functions {
    d2xx::CreateDeviceInfoListFn* createDeviceInfoList;
    d2xx::GetDeviceInfoDetailFn* getDeviceInfoDetail;
    d2xx::OpenFn* open;
    d2xx::CloseFn* close;
    d2xx::ResetDeviceFn* resetDevice;
    d2xx::SetBaudRateFn* setBaudRate;
    d2xx::SetDataCharacteristicsFn* setDataCharacteristics;
    d2xx::SetTimeoutsFn* setTimeouts;
    d2xx::SetFlowControlFn* setFlowControl;
    d2xx::GetStatusFn* getStatus;
    d2xx::ReadFn* read;
};

namespace {

FtStatus Result(d2xx::Status status) { return status == d2xx::kOk ? kFtOk : kFtError; }

d2xx::Handle ToD2xx(FtHandle handle) { return reinterpret_cast<d2xx::Handle>(handle); }

}  // namespace

D2xxDriver::D2xxDriver(const std::wstring& library) {
    if (library.empty()) return;
    // By its full path; what it needs in turn comes from the system folder.
    HMODULE module = LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return;
    auto functions = std::make_unique<Functions>();
    const bool complete =
        FindFunction(module, "FT_CreateDeviceInfoList", functions->createDeviceInfoList) &&
        FindFunction(module, "FT_GetDeviceInfoDetail", functions->getDeviceInfoDetail) &&
        FindFunction(module, "FT_Open", functions->open) &&
        FindFunction(module, "FT_Close", functions->close) &&
        FindFunction(module, "FT_ResetDevice", functions->resetDevice) &&
        FindFunction(module, "FT_SetBaudRate", functions->setBaudRate) &&
        FindFunction(module, "FT_SetDataCharacteristics", functions->setDataCharacteristics) &&
        FindFunction(module, "FT_SetTimeouts", functions->setTimeouts) &&
        FindFunction(module, "FT_SetFlowControl", functions->setFlowControl) &&
        FindFunction(module, "FT_GetStatus", functions->getStatus) &&
        FindFunction(module, "FT_Read", functions->read);
    if (!complete) {
        // Some other library of that name: not the driver the program needs.
        FreeLibrary(module);
        return;
    }
    library_ = module;
    functions_ = std::move(functions);
}

D2xxDriver::~D2xxDriver() {
    functions_.reset();
    if (library_ != nullptr) FreeLibrary(static_cast<HMODULE>(library_));
}

FtStatus D2xxDriver::CreateDeviceInfoList(std::uint32_t& count) {
    if (LibraryMissing()) return kFtError;
    DWORD devices = 0;
    const FtStatus status = Result(functions_->createDeviceInfoList(&devices));
    count = status == kFtOk ? devices : 0;
    return status;
}

FtStatus D2xxDriver::GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                         char (&description)[kDescriptionBufferSize]) {
    static_assert(kSerialBufferSize == d2xx::kSerialBytes &&
                  kDescriptionBufferSize == d2xx::kDescriptionBytes);
    if (LibraryMissing()) return kFtError;
    DWORD flags = 0, type = 0, id = 0, location = 0;
    d2xx::Handle handle = nullptr;
    std::memset(serial, 0, sizeof serial);
    std::memset(description, 0, sizeof description);
    const FtStatus status = Result(functions_->getDeviceInfoDetail(
        index, &flags, &type, &id, &location, serial, description, &handle));
    // The callers rely on zero-terminated texts whatever the library wrote.
    serial[kSerialBufferSize - 1] = '\0';
    description[kDescriptionBufferSize - 1] = '\0';
    return status;
}

FtStatus D2xxDriver::Open(std::uint32_t index, FtHandle& handle) {
    if (LibraryMissing()) return kFtError;
    d2xx::Handle opened = nullptr;
    const FtStatus status = Result(functions_->open(static_cast<int>(index), &opened));
    if (status == kFtOk && opened == nullptr) return kFtError;  // 0 means "none open" to us
    handle = status == kFtOk ? reinterpret_cast<FtHandle>(opened) : 0;
    return status;
}

FtStatus D2xxDriver::Close(FtHandle handle) {
    if (LibraryMissing()) return kFtError;
    return Result(functions_->close(ToD2xx(handle)));
}

FtStatus D2xxDriver::ResetDevice(FtHandle handle) {
    if (LibraryMissing()) return kFtError;
    return Result(functions_->resetDevice(ToD2xx(handle)));
}

FtStatus D2xxDriver::SetBaudRate(FtHandle handle, std::uint32_t baud) {
    if (LibraryMissing()) return kFtError;
    return Result(functions_->setBaudRate(ToD2xx(handle), baud));
}

FtStatus D2xxDriver::SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                            std::uint8_t stopBits, std::uint8_t parity) {
    if (LibraryMissing()) return kFtError;
    return Result(functions_->setDataCharacteristics(ToD2xx(handle), wordLength, stopBits, parity));
}

FtStatus D2xxDriver::SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    if (LibraryMissing()) return kFtError;
    return Result(functions_->setTimeouts(ToD2xx(handle), readMs, writeMs));
}

FtStatus D2xxDriver::SetFlowControl(FtHandle handle, std::uint16_t flow, std::uint8_t xon,
                                    std::uint8_t xoff) {
    if (LibraryMissing()) return kFtError;
    return Result(functions_->setFlowControl(ToD2xx(handle), flow, xon, xoff));
}

FtStatus D2xxDriver::GetStatus(FtHandle handle, std::uint32_t& rxBytes) {
    if (LibraryMissing()) return kFtError;
    DWORD received = 0, toSend = 0, events = 0;
    const FtStatus status =
        Result(functions_->getStatus(ToD2xx(handle), &received, &toSend, &events));
    rxBytes = status == kFtOk ? received : 0;
    return status;
}

FtStatus D2xxDriver::Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                          std::uint32_t& bytesRead) {
    if (LibraryMissing()) return kFtError;
    DWORD returned = 0;
    const FtStatus status = Result(functions_->read(ToD2xx(handle), buffer, toRead, &returned));
    bytesRead = status == kFtOk ? returned : 0;
    return status;
}

}  // namespace ts
