#pragma once

// The one header through which the window's files see the system: each of them includes this
// and never a system header itself, so that the macros the system's headers define (and the
// versions they are told to target) are settled in one place.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif

#include <windows.h>
// windows.h leaves these out when WIN32_LEAN_AND_MEAN is defined, as the core's build does.
#include <commctrl.h>
#include <commdlg.h>
#include <knownfolders.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

// The Ui port has a ChooseColor of its own; the window calls the system's by its W name.
#undef ChooseColor
