#pragma once

#include <string_view>

#include "win32.h"

namespace ts::win32 {

// Scales a length laid out for 96 dots per inch to `dpi`.
inline int Scaled(int length, UINT dpi) { return MulDiv(length, static_cast<int>(dpi), 96); }

// Owns one window of a class of our own and hands its messages to OnMessage, so that each of
// the program's windows is a class with members rather than a procedure with globals.
class WindowBase {
public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase();

    HWND hwnd() const { return hwnd_; }

    // Sizes the window so that its client area is `width` × `height` laid out at 96 dots per
    // inch, scaled to `dpi`; a menu bar takes what room it needs. Then moves it to `at`, or
    // centres it on its monitor's work area when there is none.
    void FitClientArea(int width, int height, UINT dpi, const POINT* at);

protected:
    // Registers `className` on first use and creates the window with this object behind it.
    void CreateWindowOf(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent,
                        std::wstring_view title, RECT place);
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace ts::win32
