#include <algorithm>
#include <utility>

#include "controls.h"
#include "platform/windows/wide_text.h"
#include "visual_style.h"
#include "window_base.h"

namespace ts::win32 {

namespace {

COLORREF SystemColor(Color color) {
    return color == kColorWindowText ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(color);
}

}  // namespace

ControlSet::ControlSet(HWND parent, UINT dpi) : parent_(parent), dpi_(dpi) {
    // The common controls' classes (the tooltip's among them) exist once this has been asked.
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    MakeFonts();
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    // A width makes the tooltip break its text at line ends (the link statistics).
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scaled(600, dpi_));
}

ControlSet::~ControlSet() {
    if (tooltip_ != nullptr) DestroyWindow(tooltip_);
    for (HFONT font : fonts_) {
        if (font != nullptr) DeleteObject(font);
    }
    for (auto& [color, brush] : backBrushes_) DeleteObject(brush);
}

void ControlSet::MakeFonts() {
    for (std::size_t k = 0; k < fonts_.size(); ++k) {
        if (fonts_[k] != nullptr) DeleteObject(fonts_[k]);
        // The layout was drawn for the 8-point "MS Sans Serif", a bitmap face that neither
        // scales nor holds every script; "MS Shell Dlg" is the name under which Windows
        // gives its own scalable successor of it.
        const layout::FontFace& entry = layout::kFontFaces[k];
        fonts_[k] = CreateFontW(-Scaled(entry.pixelHeight, dpi_), 0, 0, 0,
                                entry.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
    }
}

void ControlSet::Add(Control& control, const wchar_t* className, DWORD style, std::string_view text,
                     std::string name, Place place, DWORD exStyle) {
    control.name = std::move(name);
    control.place = place;
    const std::wstring caption = Widen(text);
    control.hwnd = CreateWindowExW(
        exStyle, className, caption.c_str(), style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
        0, 0, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)),
        GetModuleHandleW(nullptr), nullptr);
    controls_.push_back(&control);
    SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(control.font)), FALSE);
    PlaceControl(control);
}

TTTOOLINFOW ControlSet::Tool(const Control& control) const {
    // A tool of the window's, over the control's rectangle: the window gets the mouse over a
    // disabled control too, so that its hint shows as well.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = parent_;
    tool.uId = static_cast<UINT_PTR>(GetDlgCtrlID(control.hwnd));
    GetWindowRect(control.hwnd, &tool.rect);
    MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&tool.rect), 2);
    return tool;
}

void ControlSet::SetHint(Control& control, std::string_view hint) {
    if (control.hasTool && control.hint == hint) return;
    control.hint = hint;
    std::wstring text = Widen(hint);
    TTTOOLINFOW tool = Tool(control);
    tool.lpszText = text.data();
    SendMessageW(tooltip_, control.hasTool ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&tool));
    control.hasTool = true;
}

void ControlSet::TrackHotButton(const MSG& msg) {
    // The buttons that draw themselves light up under the mouse as the system's own do.
    HWND hot = hotButton_;
    if (msg.message == WM_MOUSELEAVE && msg.hwnd == hotButton_) hot = nullptr;
    if (msg.message == WM_MOUSEMOVE) {
        const auto* button = dynamic_cast<const PushButton*>(ByWindow(msg.hwnd));
        hot = button != nullptr && button->coloured ? msg.hwnd : nullptr;
    }
    if (hot == hotButton_) return;
    if (hotButton_ != nullptr) InvalidateRect(hotButton_, nullptr, FALSE);
    hotButton_ = hot;
    if (hot == nullptr) return;
    TRACKMOUSEEVENT leave{sizeof(leave), TME_LEAVE, hot, 0};
    TrackMouseEvent(&leave);
    InvalidateRect(hot, nullptr, FALSE);
}

void ControlSet::Relay(const MSG& msg) {
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_MOUSELEAVE) TrackHotButton(msg);
    switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            break;
        default:
            return;
    }
    if (msg.hwnd != parent_ && !IsChild(parent_, msg.hwnd)) return;
    POINT point{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    MapWindowPoints(msg.hwnd, parent_, &point, 1);
    MSG relayed = msg;
    relayed.hwnd = parent_;
    relayed.lParam = MAKELPARAM(point.x, point.y);
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void ControlSet::PlaceControl(const Control& control) const {
    const Place& p = control.place;
    SetWindowPos(control.hwnd, nullptr, Scaled(p.x, dpi_), Scaled(p.y, dpi_), Scaled(p.width, dpi_),
                 Scaled(p.height, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
    if (control.hasTool) {
        TTTOOLINFOW tool = Tool(control);
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ControlSet::SetDpi(UINT dpi) {
    if (dpi == dpi_) return;
    dpi_ = dpi;
    MakeFonts();
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scaled(600, dpi_));
    for (Control* control : controls_) {
        SendMessageW(control->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(control->font)),
                     FALSE);
        PlaceControl(*control);
    }
}

Control* ControlSet::Find(std::string_view name) const {
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [name](const Control* c) { return c->name == name; });
    return found == controls_.end() ? nullptr : *found;
}

SIZE ControlSet::TextSize(FontKind font, std::string_view text) const {
    const std::wstring wide = Widen(text);
    const HDC dc = GetDC(parent_);
    const HGDIOBJ old = SelectObject(dc, Font(font));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(parent_, dc);
    const int dpi = static_cast<int>(dpi_);
    return {size.cx * 96 / dpi, size.cy * 96 / dpi};
}

Control* ControlSet::ByWindow(HWND hwnd) const {
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [hwnd](const Control* c) { return c->hwnd == hwnd; });
    return found == controls_.end() ? nullptr : *found;
}

bool ControlSet::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND: {
            Control* control = ByWindow(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) return false;
            control->OnCommand(HIWORD(wParam));
            result = 0;
            return true;
        }
        case WM_HSCROLL: {
            auto* bar = dynamic_cast<ScrollBar*>(ByWindow(reinterpret_cast<HWND>(lParam)));
            if (bar == nullptr) return false;
            bar->OnScroll(LOWORD(wParam));
            result = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const Control* control = ByWindow(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) return false;
            const auto dc = reinterpret_cast<HDC>(wParam);
            if (const auto* swatch = dynamic_cast<const ColorSwatch*>(control)) {
                result = reinterpret_cast<LRESULT>(swatch->brush);
                return true;
            }
            ::SetTextColor(dc, SystemColor(control->textColor));
            if (control->backColor == kNoBackColor) {
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
                return true;
            }
            SetBkColor(dc, static_cast<COLORREF>(control->backColor));
            auto brush =
                std::find_if(backBrushes_.begin(), backBrushes_.end(),
                             [control](const auto& b) { return b.first == control->backColor; });
            if (brush == backBrushes_.end()) {
                backBrushes_.emplace_back(
                    control->backColor,
                    CreateSolidBrush(static_cast<COLORREF>(control->backColor)));
                brush = backBrushes_.end() - 1;
            }
            result = reinterpret_cast<LRESULT>(brush->second);
            return true;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const auto* button = dynamic_cast<const PushButton*>(ByWindow(item.hwndItem));
            if (button == nullptr) return false;
            DrawButton(*button, item);
            result = TRUE;
            return true;
        }
        case WM_SETCURSOR: {
            // The colour panels take a click, and say so with the hand.
            if (dynamic_cast<const ColorSwatch*>(ByWindow(reinterpret_cast<HWND>(wParam)))) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                result = TRUE;
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

void ControlSet::DrawButton(const PushButton& button, const DRAWITEMSTRUCT& item) const {
    const HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const int state = disabled                      ? PBS_DISABLED
                      : pressed                     ? PBS_PRESSED
                      : item.hwndItem == hotButton_ ? PBS_HOT
                                                    : PBS_NORMAL;
    if (!DrawStyledButton(item.hwndItem, dc, r, state)) {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        if (pressed) OffsetRect(&r, 1, 1);
    }
    // A disabled button keeps the system's greyed caption whatever its colour, so that it
    // does not look as if it could be used.
    const std::wstring caption = Widen(button.Text());
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : SystemColor(button.textColor));
    const HGDIOBJ oldFont = SelectObject(dc, Font(button.font));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -Scaled(3, dpi_), -Scaled(3, dpi_));
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace ts::win32
