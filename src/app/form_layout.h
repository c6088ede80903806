#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/color.h"

namespace ts::layout {

// The windows of the program described once, without a toolkit, as a form designer's resource
// would: every control with its kind, name, caption, hint, place, font, group and handler. The
// Qt and the Win32 window each build themselves from this, so that a control is described once
// and both windows show it alike.

enum class Kind {
    Label,
    Button,
    CheckBox,
    RadioButton,
    GroupBox,
    ComboBox,
    ColorSwatch,
    Chart,
    ReviewChart,  // the review window's chart of a recording
    ScrollBar,    // horizontal
};

// The faces the layout was drawn with: the desktop's normal text, its bold, and two larger bold
// faces of a fixed pixel height (the readouts and the wrong-instrument banner).
enum class FontKind { Normal, Bold, Readout, Banner };
constexpr int kFontKinds = 4;
struct FontFace {
    int pixelHeight;  // at 96 dots per inch
    bool bold;
    bool fixedHeight;  // false: the desktop's own size for its dialog text
};
constexpr FontFace kFontFaces[kFontKinds] = {
    {11, false, false}, {11, true, false}, {15, true, true}, {14, true, true}};

enum class Align { Left, Right, Centre };

// The groups whose radio buttons select one item among them.
enum class RadioGroup { None, Scale, RecordChoice, ReviewSpan };

// What a user's action on a control calls: a handler of the station (named as it), or the
// window's own about box.
enum class Handler {
    None,
    CheckBox_ChartAverClick,
    ButtonChartClearClick,
    PanelColorClick,  // swatch 1..6 the curves, 7 the background, 8 the grid
    RadioGroup_XClick,
    B_ListF_Click,  // channel 1..6
    ChartEN_Click,  // channel 1..6
    B_FileClick,
    B_FileSaveStartClick,
    B_FileSaveStopClick,
    M_Menu_Setting_PortClick,        // the device menu opens
    M_Menu_Setting_ConnectionClick,  // item 1..8
    M_Menu_Mode_NormClick,
    M_Menu_Mode_DemoClick,
    M_Menu_Help_AboutClick,  // the window's own: shows the about box
    B_CloseClick,            // the about box's own: hides it
    M_Menu_Review_OpenClick,
    // The review window's, run on its own model.
    Review_SpanClick,     // item 0..24
    Review_ChannelClick,  // channel 1..6
    Review_FollowClick,
    Review_ScrollChange,
    Review_ExportCsvClick,
    Review_ExportPngClick,
};

// The field of the presentation model a control shows (and, for a tick or a choice, takes).
enum class Field {
    None,
    Chart,  // background and grid colours
    Label_ErrDeviceNum,
    CheckBox_ChartStop,
    CheckBox_ChartAver,
    ButtonChartClear,
    PanelColor_ChartBackGround,
    PanelColor_ChartGrid,
    RadioGroup_X,
    Label_ResCH,
    B_ListF_CH,
    ChartEN_CH,
    FileEN_CH,
    PanelColor_CurveCH,
    RadioB_File,
    Label_FileOnChangeSens,
    ComboBox_FileOnChangeThresh,
    B_File,
    B_FileSaveStart,
    B_FileSaveStop,
    CheckBox_FileDataAver,
    Label_FileRecordTime,
    Label_ResultFileName,
    Label_Connection_Indicator,
    M_Menu_Setting_Connection,
    M_Menu_Mode,
    M_Menu_Mode_Norm,
    M_Menu_Mode_Demo,
    // The review window's, fields of its own model.
    Review_Chart,
    Review_Span,
    Review_ShowCH,
    Review_CurveCH,
    Review_Follow,
    Review_Every,
    Review_ExportCsv,
    Review_ExportPng,
    Review_Cursor,
    Review_Selection,
    Review_Progress,
    Review_Damage,
    Review_Scroll,
};

// A place in the parent's area, in pixels at 96 dots per inch.
struct Place {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Place&) const = default;
};

// Not a colour: the control is painted on the window's own face.
constexpr Color kNoBackColor = 0xFF000000;

struct ControlEntry {
    Kind kind = Kind::Label;
    std::string name{};  // the original's control name, the map between window and code
    std::string caption{};
    std::string hint{};
    Place place{};
    int parent = -1;  // index of the group box or chart it lies in; -1: the client area
    FontKind font = FontKind::Normal;
    Align align = Align::Left;
    bool middle = false;           // a label's text centred vertically too
    bool top = false;              // a label of several lines, its text from the top
    bool sunken = false;           // a label in a sunken frame
    bool colouredCaption = false;  // a button whose caption colour the program sets
    // Sized to its text and centred across its parent, its bottom at the parent's middle.
    bool fitsText = false;
    Color backColor = kNoBackColor;
    RadioGroup radioGroup = RadioGroup::None;
    // The channel (1..6), swatch, scale item, recording choice or menu item the control stands
    // for: the argument of its handler and the element of its field.
    int index = 0;
    Handler handler = Handler::None;
    Field field = Field::None;
    std::vector<std::string> items{};  // a combo box's list
};

// How a menu item shows that it is checked.
enum class Mark { None, Bullet, Tick };

struct MenuItemEntry {
    std::string name{};
    std::string caption{};  // empty: the model gives it
    Mark mark = Mark::None;
    int index = 0;
    Handler handler = Handler::None;
    Field field = Field::None;
};

struct MenuEntry {
    std::string name{};
    std::string caption{};
    Field field = Field::None;       // a title the model rewrites
    Handler onOpen = Handler::None;  // called as the menu opens, before it shows
    std::vector<MenuItemEntry> items{};
};

struct WindowEntry {
    std::string name;
    std::string caption;
    int clientWidth;
    int clientHeight;
    std::string menuBarName;  // empty: no menu bar
};

const WindowEntry& MainWindow();
// In creation order: a parent comes before what lies in it.
const std::vector<ControlEntry>& MainWindowControls();
const std::vector<MenuEntry>& MainWindowMenus();
// The window a recording is looked back in; its caption comes from its model.
const WindowEntry& ReviewWindow();
const std::vector<ControlEntry>& ReviewWindowControls();
const WindowEntry& AboutBox();
const std::vector<ControlEntry>& AboutBoxControls();

// The control's place in the window's client area: its place plus its parents'.
Place PlaceInWindow(std::span<const ControlEntry> controls, std::size_t index);
// Index of the control named so, or -1.
int IndexOf(std::span<const ControlEntry> controls, std::string_view name);
// Room of the result file's label for its text, in pixels at 96 dots per inch.
constexpr int kFileNameRoom = 248;

}  // namespace ts::layout
