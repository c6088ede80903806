#include "fine_timer.h"

#include "platform/windows/system_folders.h"
#include "win32.h"

namespace ts::win32 {

namespace {

using PeriodFunction = decltype(&::timeBeginPeriod);

PeriodFunction Function(void* library, const char* name) {
    return reinterpret_cast<PeriodFunction>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)));
}

}  // namespace

FineTimer::FineTimer() : library_(ts::LoadSystemLibrary(L"winmm.dll")) {
    if (library_ == nullptr) return;
    if (const PeriodFunction begin = Function(library_, "timeBeginPeriod")) begin(1);
}

FineTimer::~FineTimer() {
    if (library_ == nullptr) return;
    if (const PeriodFunction end = Function(library_, "timeEndPeriod")) end(1);
    FreeLibrary(static_cast<HMODULE>(library_));
}

}  // namespace ts::win32
