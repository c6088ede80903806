#pragma once

#include <windows.h>

#include <string>

namespace ts {

// The folder that holds this program's .exe, and the system folder (System32), both without a
// closing backslash. Only an administrator can put a file into the system folder; the program's
// folder is as safe as the place it was installed or unpacked to.
std::wstring ProgramFolder();
std::wstring SystemFolder();

// A library of Windows' own that is not among the few the loader always takes from the system
// folder (uxtheme.dll, winmm.dll...), loaded from the system folder and nowhere else, so that a
// copy planted beside the program or in the working folder never runs. Null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Finds `name` in a loaded library, as the function it is declared to be where we call it:
// GetProcAddress hands back a generic function pointer. False when the library lacks it.
template <typename Function>
bool FindFunction(HMODULE library, const char* name, Function*& function) {
    function =
        reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
    return function != nullptr;
}

}  // namespace ts
