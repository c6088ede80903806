#pragma once

// The eleven functions of the bridge's D2XX library that the station calls, declared by us from
// the vendor's published programmer's guide; the vendor's own header and import library are
// neither used nor shipped. The driver looks them up by name at run time, and the emulated
// library in sim/ defines them against these same declarations, so the two cannot drift apart.

#include <windows.h>

namespace ts::d2xx {

using Status = ULONG;  // FT_STATUS
using Handle = PVOID;  // FT_HANDLE

// The status values that matter to us; the station itself tests only for kOk.
constexpr Status kOk = 0;
constexpr Status kInvalidHandle = 1;
constexpr Status kDeviceNotFound = 2;
constexpr Status kDeviceNotOpened = 3;
constexpr Status kIoError = 4;
constexpr Status kInvalidParameter = 6;

extern "C" {
using CreateDeviceInfoListFn = Status WINAPI(DWORD* count);
using GetDeviceInfoDetailFn = Status WINAPI(DWORD index, DWORD* flags, DWORD* type, DWORD* id,
                                            DWORD* location, char* serial, char* description,
                                            Handle* handle);
using OpenFn = Status WINAPI(int index, Handle* handle);
using CloseFn = Status WINAPI(Handle handle);
using ResetDeviceFn = Status WINAPI(Handle handle);
using SetBaudRateFn = Status WINAPI(Handle handle, ULONG baud);
using SetDataCharacteristicsFn = Status WINAPI(Handle handle, UCHAR wordLength, UCHAR stopBits,
                                               UCHAR parity);
using SetTimeoutsFn = Status WINAPI(Handle handle, ULONG readMs, ULONG writeMs);
using SetFlowControlFn = Status WINAPI(Handle handle, USHORT flow, UCHAR xon, UCHAR xoff);
using GetStatusFn = Status WINAPI(Handle handle, DWORD* rxBytes, DWORD* txBytes, DWORD* events);
using ReadFn = Status WINAPI(Handle handle, void* buffer, DWORD toRead, DWORD* bytesRead);
}

// Buffer sizes the guide gives for the details of one device, terminating zero included.
constexpr int kSerialBytes = 16;
constexpr int kDescriptionBytes = 64;

}  // namespace ts::d2xx
