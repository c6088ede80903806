#include "fine_timer.h"

#include "platform/windows/system_folders.h"
#include "win32.h"

namespace ts::win32 {

namespace {

using PeriodFunction = decltype(::timeBeginPeriod);

// timeBeginPeriod or timeEndPeriod, with 1 ms.
void Call(void* library, const char* name) {
    PeriodFunction* function = nullptr;
    if (ts::FindFunction(static_cast<HMODULE>(library), name, function)) function(1);
}

}  // namespace

FineTimer::FineTimer() : library_(ts::LoadSystemLibrary(L"winmm.dll")) {
    if (library_ == nullptr) return;
    Call(library_, "timeBeginPeriod");
}

FineTimer::~FineTimer() {
    if (library_ == nullptr) return;
    Call(library_, "timeEndPeriod");
    FreeLibrary(static_cast<HMODULE>(library_));
}

}  // namespace ts::win32
