#include "visual_style.h"

#include "platform/windows/system_folders.h"

namespace ts::win32 {

namespace {

struct ThemeFunctions {
    decltype(&::IsAppThemed) isAppThemed = nullptr;
    decltype(&::OpenThemeData) open = nullptr;
    decltype(&::CloseThemeData) close = nullptr;
    decltype(&::IsThemeBackgroundPartiallyTransparent) partlyTransparent = nullptr;
    decltype(&::DrawThemeParentBackground) drawParent = nullptr;
    decltype(&::DrawThemeBackground) draw = nullptr;
};

// Loaded once for the program's life; null when the library or any function is missing.
const ThemeFunctions* Theme() {
    static const ThemeFunctions* const functions = []() -> const ThemeFunctions* {
        const HMODULE library = ts::LoadSystemLibrary(L"uxtheme.dll");
        if (library == nullptr) return nullptr;
        static ThemeFunctions found;
        const bool complete =
            ts::FindFunction(library, "IsAppThemed", found.isAppThemed) &&
            ts::FindFunction(library, "OpenThemeData", found.open) &&
            ts::FindFunction(library, "CloseThemeData", found.close) &&
            ts::FindFunction(library, "IsThemeBackgroundPartiallyTransparent",
                             found.partlyTransparent) &&
            ts::FindFunction(library, "DrawThemeParentBackground", found.drawParent) &&
            ts::FindFunction(library, "DrawThemeBackground", found.draw);
        return complete ? &found : nullptr;
    }();
    return functions;
}

}  // namespace

bool DrawStyledButton(HWND button, HDC dc, const RECT& area, int state) {
    const ThemeFunctions* theme = Theme();
    if (theme == nullptr || !theme->isAppThemed()) return false;
    const HTHEME data = theme->open(button, L"BUTTON");
    if (data == nullptr) return false;
    RECT r = area;
    if (theme->partlyTransparent(data, BP_PUSHBUTTON, state)) {
        theme->drawParent(button, dc, &r);
    }
    theme->draw(data, dc, BP_PUSHBUTTON, state, &r, nullptr);
    theme->close(data);
    return true;
}

}  // namespace ts::win32
