#include "controls.h"

#include <algorithm>
#include <utility>

#include "platform/windows/wide_text.h"

namespace ts::win32 {

namespace {

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

Control::~Control() = default;

void Control::SetText(std::string_view utf8) {
    // The mirror runs on every tick: the text last set answers without a conversion or a
    // round trip to the control.
    if (shownText && *shownText == utf8) return;
    shownText = std::string(utf8);
    const std::wstring wanted = Widen(utf8);
    if (WindowText(hwnd) != wanted) SetWindowTextW(hwnd, wanted.c_str());
}

std::string Control::Text() const { return Narrow(WindowText(hwnd)); }

void Control::SetEnabled(bool enabled) {
    if (Enabled() != enabled) EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

void Control::SetVisible(bool visible) {
    if (Visible() != visible) ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void Control::SetTextColor(Color color) {
    if (textColor == color) return;
    textColor = color;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Control::OnCommand(int code) {
    if (code == BN_CLICKED && onClick) onClick();
}

void Label::Create(ControlSet& set, std::string name, std::string_view text, Place place,
                   DWORD style) {
    // SS_NOTIFY lets the label take the mouse, so that its hint shows.
    set.Add(*this, WC_STATICW, style | SS_NOTIFY | SS_NOPREFIX, text, std::move(name), place);
}

void GroupBox::Create(ControlSet& set, std::string name, std::string_view text, Place place) {
    set.Add(*this, WC_BUTTONW, BS_GROUPBOX, text, std::move(name), place);
}

void PushButton::Create(ControlSet& set, std::string name, std::string_view text, Place place,
                        bool colouredCaption) {
    coloured = colouredCaption;
    set.Add(*this, WC_BUTTONW, (coloured ? BS_OWNERDRAW : BS_PUSHBUTTON) | WS_TABSTOP, text,
            std::move(name), place);
}

void CheckBox::Create(ControlSet& set, std::string name, std::string_view text, Place place) {
    set.Add(*this, WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, text, std::move(name), place);
}

void ScrollBar::Create(ControlSet& set, std::string name, Place place) {
    set.Add(*this, WC_SCROLLBARW, SBS_HORZ | WS_TABSTOP, {}, std::move(name), place);
}

void ScrollBar::SetState(int position, int newPage, int newMaximum) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(hwnd, SB_CTL, &info);
    page = newPage;
    maximum = newMaximum;
    const int max = newMaximum + newPage - 1;
    if (info.nMin == 0 && info.nMax == max && static_cast<int>(info.nPage) == newPage &&
        info.nPos == position) {
        return;
    }
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = max;
    info.nPage = static_cast<UINT>(newPage);
    info.nPos = position;
    SetScrollInfo(hwnd, SB_CTL, &info, TRUE);
}

int ScrollBar::Position() const {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(hwnd, SB_CTL, &info);
    return info.nPos;
}

void ScrollBar::OnScroll(int code) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(hwnd, SB_CTL, &info);
    int position = info.nPos;
    switch (code) {
        case SB_LINELEFT:
            position -= std::max(page / 10, 1);
            break;
        case SB_LINERIGHT:
            position += std::max(page / 10, 1);
            break;
        case SB_PAGELEFT:
            position -= page;
            break;
        case SB_PAGERIGHT:
            position += page;
            break;
        case SB_LEFT:
            position = 0;
            break;
        case SB_RIGHT:
            position = maximum;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;
            break;
        default:
            return;
    }
    position = std::clamp(position, 0, maximum);
    if (position == info.nPos && code != SB_THUMBTRACK) return;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(hwnd, SB_CTL, &info, TRUE);
    if (onScroll) onScroll(position);
}

bool CheckBox::Checked() const { return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
    if (Checked() != checked) {
        SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void RadioButton::Create(ControlSet& set, std::string name, std::string_view text, Place place) {
    set.Add(*this, WC_BUTTONW, BS_RADIOBUTTON | WS_TABSTOP, text, std::move(name), place);
}

void ComboBox::Create(ControlSet& set, std::string name, Place place, int listHeight) {
    place.height += listHeight;  // the window of a drop-down list holds its list too
    set.Add(*this, WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, {},
            std::move(name), place);
}

void ComboBox::AddItem(std::string_view text) {
    const std::wstring item = Widen(text);
    SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int ComboBox::Index() const { return static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)); }

void ComboBox::SetIndex(int index) {
    if (Index() != index) SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ComboBox::FindExact(std::string_view text) const {
    const std::wstring wanted = Widen(text);
    const auto count = static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        if (item == wanted) return i;
    }
    return -1;
}

void ComboBox::OnCommand(int code) {
    if (code == CBN_SELCHANGE && onSelect) onSelect();
    if (code == CBN_EDITCHANGE && onEdit) onEdit();
}

ColorSwatch::~ColorSwatch() {
    if (brush != nullptr) DeleteObject(brush);
}

void ColorSwatch::Create(ControlSet& set, std::string name, Place place) {
    set.Add(*this, WC_STATICW, SS_NOTIFY, {}, std::move(name), place, WS_EX_STATICEDGE);
    brush = CreateSolidBrush(static_cast<COLORREF>(color));
}

void ColorSwatch::SetColor(Color wanted) {
    if (color == wanted && brush != nullptr) return;
    color = wanted;
    if (brush != nullptr) DeleteObject(brush);
    brush = CreateSolidBrush(static_cast<COLORREF>(color));
    InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace ts::win32
