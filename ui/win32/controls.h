#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_layout.h"
#include "base/color.h"
#include "win32.h"

namespace ts::win32 {

// A control's place in its window's client area, in pixels at 96 dots per inch.
struct Place {
    int x = 0, y = 0, width = 0, height = 0;
};

using layout::FontKind;
using layout::kNoBackColor;

class ControlSet;

// What every control kind shares: its window, its name (the Qt window's object name), place,
// font, colours, hint and the handler of a click.
struct Control {
    virtual ~Control();

    HWND hwnd = nullptr;
    std::string name;
    Place place;
    FontKind font = FontKind::Normal;
    Color textColor = kColorWindowText;
    Color backColor = kNoBackColor;
    std::string hint;
    std::optional<std::string> shownText;  // what SetText last put there
    bool hasTool = false;                  // the hint is known to the tooltip
    std::function<void()> onClick;

    // Each setter leaves the control alone when the value is already there: no flicker, no
    // needless repaint.
    void SetText(std::string_view utf8);
    std::string Text() const;
    void SetEnabled(bool enabled);
    bool Enabled() const { return IsWindowEnabled(hwnd) != FALSE; }
    void SetVisible(bool visible);
    bool Visible() const { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetTextColor(Color color);

    // A notification of the control (BN_CLICKED, CBN_SELCHANGE...).
    virtual void OnCommand(int code);
};

struct Label : Control {
    void Create(ControlSet& set, std::string name, std::string_view text, Place place,
                DWORD style = SS_LEFT);
};

struct GroupBox : Control {
    void Create(ControlSet& set, std::string name, std::string_view text, Place place);
};

// A push button; an owner-drawn one can show its caption in a colour of the program's.
struct PushButton : Control {
    void Create(ControlSet& set, std::string name, std::string_view text, Place place,
                bool coloured = false);
    bool coloured = false;
};

struct CheckBox : Control {
    void Create(ControlSet& set, std::string name, std::string_view text, Place place);
    bool Checked() const;
    void SetChecked(bool checked);
};

// The program checks its radio buttons itself, from the presentation model: the system's
// automatic ones could not show "none selected" nor leave the choice to the handler.
struct RadioButton : CheckBox {
    void Create(ControlSet& set, std::string name, std::string_view text, Place place);
};

// An editable drop-down list.
struct ComboBox : Control {
    void Create(ControlSet& set, std::string name, Place place, int listHeight);
    void AddItem(std::string_view text);
    int Index() const;
    void SetIndex(int index);
    // Index of the item whose text is exactly `text`, or -1.
    int FindExact(std::string_view text) const;
    std::string EditText() const { return Text(); }
    void OnCommand(int code) override;

    std::function<void()> onSelect;  // an item was chosen from the list
    std::function<void()> onEdit;    // the text was typed
};

// A sunken panel filled with a colour; a click on it is its click.
struct ColorSwatch : Control {
    ~ColorSwatch() override;
    void Create(ControlSet& set, std::string name, Place place);
    void SetColor(Color color);
    Color color = kColorBlack;
    HBRUSH brush = nullptr;
};

// A horizontal scroll bar; the user's moves come as a new position.
struct ScrollBar : Control {
    void Create(ControlSet& set, std::string name, Place place);
    // Range 0 .. maximum + page, the thumb `page` wide at `position`.
    void SetState(int position, int page, int maximum);
    int Position() const;
    // A WM_HSCROLL of the bar with its request code.
    void OnScroll(int code);
    std::function<void(int position)> onScroll;
    int page = 1, maximum = 0;
};

// What a user does to a control of a description, handed to its window.
struct ControlEvents {
    std::function<void(bool checked)> clicked;   // a button, swatch, check box or radio button
    std::function<void(int item)> itemChosen;    // a list's item chosen or typed (-1: none)
    std::function<void(int position)> scrolled;  // a scroll bar moved by the user
};

// Makes the control of a window description at `place` in the window: its kind of control,
// name, caption, hint, font and alignment, its events handed on. Null for a chart, which the
// window makes itself.
std::unique_ptr<Control> MakeControl(ControlSet& set, const layout::ControlEntry& entry,
                                     Place place, ControlEvents events = {});

// The controls of one window: creates them, owns their fonts and the tooltip that shows their
// hints, places them for the window's DPI, and answers the messages a parent gets for them.
class ControlSet {
public:
    ControlSet(HWND parent, UINT dpi);
    ~ControlSet();
    ControlSet(const ControlSet&) = delete;
    ControlSet& operator=(const ControlSet&) = delete;

    void Add(Control& control, const wchar_t* className, DWORD style, std::string_view text,
             std::string name, Place place, DWORD exStyle = 0);
    void SetHint(Control& control, std::string_view hint);
    // Hands the tooltip the mouse messages of the window and its controls, so that it knows
    // when to show a hint; the message loop calls it with every message.
    void Relay(const MSG& msg);
    // Moves and sizes the control to its place at the current DPI.
    void PlaceControl(const Control& control) const;
    void SetDpi(UINT dpi);
    UINT dpi() const { return dpi_; }
    HWND tooltip() const { return tooltip_; }
    HFONT Font(FontKind kind) const { return fonts_[static_cast<std::size_t>(kind)]; }
    // The control named so, or null.
    Control* Find(std::string_view name) const;
    // The size of a text in a font of the set, in pixels at 96 dots per inch.
    SIZE TextSize(FontKind font, std::string_view text) const;

    // WM_COMMAND, WM_HSCROLL, WM_CTLCOLOR* and WM_DRAWITEM of the set's controls; false for
    // any other.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    Control* ByWindow(HWND hwnd) const;
    TTTOOLINFOW Tool(const Control& control) const;
    void TrackHotButton(const MSG& msg);
    void MakeFonts();
    void DrawButton(const PushButton& button, const DRAWITEMSTRUCT& item) const;

    HWND parent_;
    UINT dpi_;
    HWND tooltip_ = nullptr;
    HWND hotButton_ = nullptr;  // the owner-drawn button under the mouse
    std::vector<Control*> controls_;
    std::array<HFONT, layout::kFontKinds> fonts_{};
    std::vector<std::pair<Color, HBRUSH>> backBrushes_;
    int nextId_ = 100;
};

}  // namespace ts::win32
